// How the bytes an X11 clipboard owner sends become UTF-16, in each of the
// encodings its targets name: COMPOUND_TEXT too, which only X11 speaks.
#pragma once

#include <string>
#include <string_view>

#include "platform/clipboard_targets.h"

namespace vornic::x11 {

// Any bytes, of any size, become text: malformed input becomes U+FFFD.
std::u16string DecodeClipboardText(ClipboardTextEncoding encoding, std::string_view bytes);

}  // namespace vornic::x11
