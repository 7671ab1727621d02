// A Unicode text block as any program may leave it on the Windows clipboard:
// any bytes, any size, terminated or not, read against a limit. The first
// input byte is the limit (0xFF: none), the rest the block. Reading must stay
// inside the block and within one unit past the limit, and stop exactly where
// its first NUL unit is.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>

#include "fuzz_check.h"
#include "platform/win32/win32_clipboard_text.h"

namespace {

// Only the bytes the reader may touch are there, so a read past them, or
// past the block, is a sanitizer report.
vornic::ClipboardText ReadFromCopy(const std::uint8_t* block, std::size_t size, std::size_t maxLength,
                                   std::size_t offset) {
  const std::size_t reachable = std::min(size, maxLength < size / 2 ? 2 * (maxLength + 1) : size);
  const auto memory = std::make_unique<std::uint8_t[]>(reachable + offset);
  if (reachable != 0) std::memcpy(memory.get() + offset, block, reachable);
  return vornic::win32::ReadUnicodeTextBlock(memory.get() + offset, size, maxLength);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using vornic::ClipboardText;
  using vornic::Require;
  if (size == 0) return 0;
  const std::size_t maxLength = data[0] == 0xFF ? std::numeric_limits<std::size_t>::max() : data[0];
  const std::uint8_t* block = data + 1;
  const std::size_t blockSize = size - 1;
  const ClipboardText read = ReadFromCopy(block, blockSize, maxLength, 0);

  std::size_t units = 0;
  while (units < blockSize / 2 && (block[2 * units] != 0 || block[2 * units + 1] != 0)) ++units;
  if (units > maxLength) {
    Require(read.found == ClipboardText::Found::LongerThanLimit && read.text.empty(),
            "a text past the limit is refused, and nothing is copied");
  } else {
    Require(read.found == ClipboardText::Found::Text, "a text within the limit is text");
    Require(read.text.size() == units, "the text ends at the first NUL unit or at the block's end");
    for (std::size_t i = 0; i < read.text.size(); ++i) {
      const auto expected = static_cast<char16_t>(block[2 * i] | (block[2 * i + 1] << 8));
      Require(read.text[i] == expected, "each unit is the block's little-endian pair of bytes");
    }
  }
  const ClipboardText shifted = ReadFromCopy(block, blockSize, maxLength, 1);
  Require(shifted.found == read.found && shifted.text == read.text, "alignment changes nothing");
  return 0;
}
