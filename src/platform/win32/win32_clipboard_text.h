// The clipboard's Unicode text block turned into text. No window-system
// header, so that it builds and can be exercised on any system.
#pragma once

#include <cstddef>
#include <string>

namespace vornic::win32 {

// The UTF-16 units of a block of `size` bytes at `data` (any alignment), up
// to the first NUL or the end of the block; an odd last byte is no unit.
std::u16string DecodeUnicodeTextBlock(const void* data, std::size_t size);

}  // namespace vornic::win32
