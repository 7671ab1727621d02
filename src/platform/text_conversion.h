// UTF-8 <-> UTF-16 without locale or platform help. Malformed input becomes
// U+FFFD rather than failing: each lone surrogate, and each maximal ill-formed
// subpart of UTF-8 (one to three bytes), as browsers and Qt decode it.
#pragma once

#include <string>
#include <string_view>

namespace vornic {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

}  // namespace vornic
