// Plain text on the X11 clipboard: which of the targets an owner offers is
// text, which one to ask for, and how the bytes it sends become UTF-16.
// Pure functions: no window system needed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vornic::qt {

enum class ClipboardTextEncoding : std::uint8_t { Utf8, Latin1, CompoundText };

// The encoding of bytes sent as the named target or property type, or none
// when that type is not plain text (a picture, a file list, HTML...).
std::optional<ClipboardTextEncoding> TextEncodingOf(std::string_view typeName);

// The index of the offered target to ask for, the richest text first, or
// none when no offered target is plain text.
std::optional<std::size_t> PreferredTextTarget(std::span<const std::string> offeredTargets);

// Any bytes, of any size, become text: malformed input becomes U+FFFD.
std::u16string DecodeClipboardText(ClipboardTextEncoding encoding, std::string_view bytes);

}  // namespace vornic::qt
