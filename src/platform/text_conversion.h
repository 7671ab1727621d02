// UTF-8 <-> UTF-16 without locale or platform help. Malformed input (lone
// surrogates, invalid bytes) becomes U+FFFD rather than failing.
#pragma once

#include <string>
#include <string_view>

namespace vornic {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace vornic
