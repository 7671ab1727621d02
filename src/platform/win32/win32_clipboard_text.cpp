#include "platform/win32/win32_clipboard_text.h"

#include <cstring>

namespace vornic::win32 {

std::u16string DecodeUnicodeTextBlock(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  const std::size_t units = size / sizeof(char16_t);
  std::size_t length = 0;
  while (length < units && (bytes[2 * length] != 0 || bytes[2 * length + 1] != 0)) ++length;
  // Copied bytewise: the block need not be aligned for char16_t.
  std::u16string text(length, u'\0');
  if (length > 0) std::memcpy(text.data(), bytes, length * sizeof(char16_t));
  return text;
}

}  // namespace vornic::win32
