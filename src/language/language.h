// The captions of Form1 in both languages, and switching between them.
#pragma once

#include <array>
#include <string_view>

#include "language/ui_language.h"
#include "platform/form_definition.h"

namespace vornic {

class WindowServices;

struct CaptionEntry {
  ControlRef control;
  std::u16string_view japanese;
  std::u16string_view english;

  [[nodiscard]] constexpr std::u16string_view In(UiLanguage language) const {
    return language == UiLanguage::Japanese ? japanese : english;
  }
};

extern const std::array<CaptionEntry, 8> CaptionTable;

// The buttons' font family, chosen once at start-up.
std::u16string_view ButtonFontFamily(UiLanguage language);

void ApplyLanguage(WindowServices& services);
void ApplyStartupLanguage(WindowServices& services);
void SelectEnglish(WindowServices& services);
void SelectJapanese(WindowServices& services);

}  // namespace vornic
