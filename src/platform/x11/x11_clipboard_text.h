// Plain text on the X11 clipboard (and any clipboard named by MIME types):
// which of the targets an owner offers is text, which ones to ask for, and
// how the bytes it sends become UTF-16.
// Pure functions: no window system needed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vornic::x11 {

enum class ClipboardTextEncoding : std::uint8_t { Utf8, Latin1, CompoundText };

// The encoding of bytes sent as the named target or property type, or none
// when that type is not plain text (a picture, a file list, HTML...).
std::optional<ClipboardTextEncoding> TextEncodingOf(std::string_view typeName);

// The offered targets that are plain text, as indices in the order to ask
// for them, the richest text first. None when the owner also offers a list of
// files or links: file managers add a text form of what they copy, and that
// is not text the user copied. Works alike on X11 targets and MIME types.
std::vector<std::size_t> TextTargetsToAsk(std::span<const std::string> offeredTargets);

// Any bytes, of any size, become text: malformed input becomes U+FFFD.
std::u16string DecodeClipboardText(ClipboardTextEncoding encoding, std::string_view bytes);

}  // namespace vornic::x11
