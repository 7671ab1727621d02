// Which of the formats a clipboard's owner offers are plain text, and how
// each one's bytes are encoded: X11 targets and MIME types alike, so the X11
// reader and Qt's own data (Wayland, offscreen) follow one rule.
// Pure functions: no window system needed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vornic {

enum class ClipboardTextEncoding : std::uint8_t { Utf8, Latin1, CompoundText };

// The encoding of bytes sent as the named target or property type, or none
// when that type is not plain text (a picture, a file list, HTML...).
std::optional<ClipboardTextEncoding> TextEncodingOf(std::string_view typeName);

// The encoding a charset name gives (as in text/plain;charset=...), or none
// for a charset Vornic does not read.
std::optional<ClipboardTextEncoding> CharsetEncoding(std::string_view charset);

// The offered targets that are plain text, as indices in the order to ask
// for them, the richest text first. None when the owner also offers a list of
// files or links: file managers add a text form of what they copy, and that
// is not text the user copied. Works alike on X11 targets and MIME types.
std::vector<std::size_t> TextTargetsToAsk(std::span<const std::string> offeredTargets);

// The one format of a clipboard that Vornic cleared: no program pastes it,
// and clipboard managers leave a clipboard that offers a format they do not
// know alone, where they put their last entry back on one that offers none.
inline constexpr std::string_view kEmptyClipboardMarker = "application/x-vornic-empty";

}  // namespace vornic
