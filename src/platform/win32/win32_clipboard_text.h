// The clipboard's Unicode text block turned into text. No window-system
// header, so that it builds and can be exercised on any system.
#pragma once

#include <cstddef>

#include "platform/window_services.h"

namespace vornic::win32 {

// The UTF-16 units of a block of `size` bytes at `data` (any alignment), up
// to the first NUL or the end of the block; an odd last byte is no unit.
// Reads at most maxLength + 1 units, wherever the block ends, and copies
// them only when they are the whole text: the owner sets the block's size.
ClipboardText ReadUnicodeTextBlock(const void* data, std::size_t size, std::size_t maxLength);

}  // namespace vornic::win32
