// The count command: the clipboard's text, its length without line breaks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "language/ui_language.h"

namespace vornic {

class WindowServices;

inline constexpr std::size_t MaxClipboardLength = 50000;

// Code units other than carriage return and line feed.
std::int32_t CountCharacters(std::u16string_view text);

// What Label1 shows for a count: " = 1234".
std::u16string CountCaption(std::int32_t count);

std::u16string LimitMessage(UiLanguage language);

// What Text1 shows after a refused text.
std::u16string_view LimitNotice(UiLanguage language);

void CountClipboardText(WindowServices& services);

}  // namespace vornic
