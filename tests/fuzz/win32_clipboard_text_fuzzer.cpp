// A Unicode text block as any program may leave it on the Windows clipboard:
// any bytes, any size, terminated or not. Decoding must stay inside the block
// and stop exactly where its first NUL unit is.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "fuzz_check.h"
#include "platform/win32/win32_clipboard_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using vornic::Require;
  // A block of exactly this size, so a read past its end is a sanitizer report.
  const auto block = std::make_unique<std::uint8_t[]>(size);
  if (size != 0) std::memcpy(block.get(), data, size);
  const std::u16string text = vornic::win32::DecodeUnicodeTextBlock(block.get(), size);

  std::size_t units = 0;
  while (units < size / 2 && (data[2 * units] != 0 || data[2 * units + 1] != 0)) ++units;
  Require(text.size() == units, "the text ends at the first NUL unit or at the block's end");
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto expected = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    Require(text[i] == expected, "each unit is the block's little-endian pair of bytes");
  }
  // An unaligned copy decodes alike.
  const auto shifted = std::make_unique<std::uint8_t[]>(size + 1);
  if (size != 0) std::memcpy(shifted.get() + 1, data, size);
  Require(vornic::win32::DecodeUnicodeTextBlock(shifted.get() + 1, size) == text, "alignment changes nothing");
  return 0;
}
