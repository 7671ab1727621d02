#include "platform/win32/win32_clipboard_text.h"

#include <cstring>
#include <string>
#include <utility>

namespace vornic::win32 {

ClipboardText ReadUnicodeTextBlock(const void* data, std::size_t size, std::size_t maxLength) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  const std::size_t units = size / sizeof(char16_t);
  // One unit past the limit tells a longer text apart.
  const std::size_t scanned = units > maxLength ? maxLength + 1 : units;
  std::size_t length = 0;
  while (length < scanned && (bytes[2 * length] != 0 || bytes[2 * length + 1] != 0)) ++length;
  if (length > maxLength) return ClipboardText::TooLong();
  // Copied bytewise: the block need not be aligned for char16_t.
  std::u16string text(length, u'\0');
  if (length > 0) std::memcpy(text.data(), bytes, length * sizeof(char16_t));
  return ClipboardText::Of(std::move(text));
}

}  // namespace vornic::win32
