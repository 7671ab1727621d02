// Every line-break kernel this processor runs must count what the plain loop
// counts, wherever the text starts and however long it is.
//
// Input: byte 0 holds the start offset in units (low five bits, enough for
// a 64-byte vector); when its top three bits are all set (rarely, as a long
// text is slow), the rest of the input is repeated to (bytes 1-2) x 32 units,
// far enough to cross the kernels' folding of their 16-bit lanes. Each
// further byte picks one unit from a small alphabet heavy in line breaks and
// in units that share a byte with one.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>
#include <vector>

#include "count/line_breaks.h"
#include "fuzz_check.h"

namespace vornic {
namespace {

constexpr std::size_t kVectorBytes = 64;
constexpr std::size_t kOffsets = kVectorBytes / sizeof(char16_t);
constexpr std::size_t kShortLengths = 256;

constexpr char16_t kAlphabet[16] = {u'\r',  u'\n',  u'\r',  u'\n',  u'a',   0x0D0A, 0x0A0D, 0x010D,
                                    0x0D01, 0x000B, 0x0085, 0x2028, 0x3042, 0xD83D, 0xFFFF, 0x0000};

// Left out of the comparison tracing: on a long text that tracing, not the
// counting, would take the run's time.
__attribute__((no_sanitize("coverage"))) std::size_t PlainCount(const char16_t* units, std::size_t size) {
  return static_cast<std::size_t>(
      std::count_if(units, units + size, [](char16_t unit) { return unit == u'\r' || unit == u'\n'; }));
}

struct AlignedFree {
  void operator()(char16_t* units) const { ::operator delete (units, std::align_val_t{kVectorBytes}); }
};

// The text ends exactly where its allocation does, so any read past it is a
// sanitizer report, not a silent extra count.
void CheckAt(std::size_t offset, const std::vector<char16_t>& text, std::size_t size) {
  const std::unique_ptr<char16_t[], AlignedFree> block(
      static_cast<char16_t*>(::operator new ((offset + size) * sizeof(char16_t), std::align_val_t{kVectorBytes})));
  char16_t* const units = block.get() + offset;
  std::copy_n(text.begin(), size, units);
  const std::size_t expected = PlainCount(units, size);
  static const std::vector<LineBreakKernel> kernels = AvailableLineBreakKernels();
  for (const LineBreakKernel kernel : kernels) {
    if (CountLineBreaks(kernel, units, size) != expected) {
      std::fprintf(stderr, "kernel %d, offset %zu, length %zu: %zu line breaks, plain loop %zu\n",
                   static_cast<int>(kernel), offset, size, CountLineBreaks(kernel, units, size), expected);
      Require(false, "every kernel counts what the plain loop counts");
    }
  }
  Require(CountLineBreaks(units, size) == expected, "the chosen kernel counts what the plain loop counts");
}

}  // namespace
}  // namespace vornic

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vornic;
  if (size == 0) return 0;
  const std::size_t offset = data[0] % kOffsets;
  const bool longText = (data[0] & 0xE0) == 0xE0;
  std::size_t skip = 1;
  std::size_t length = size - 1;
  if (longText) {
    if (size < 4) return 0;
    skip = 3;
    length = ((std::size_t{data[1]} << 8) | data[2]) * 32;
  }
  const std::size_t patternSize = size - skip;
  std::vector<char16_t> text(length);
  for (std::size_t i = 0; i < std::min(length, patternSize); ++i) text[i] = kAlphabet[data[skip + i] % 16];
  for (std::size_t filled = patternSize; filled < length; filled *= 2) {
    std::copy_n(text.begin(), std::min(filled, length - filled), text.begin() + static_cast<std::ptrdiff_t>(filled));
  }

  if (longText) {
    CheckAt(offset, text, length);
    return 0;
  }
  for (std::size_t everyOffset = 0; everyOffset < kOffsets; ++everyOffset) CheckAt(everyOffset, text, length);
  for (std::size_t shorter = 0; shorter < std::min(length, kShortLengths); ++shorter) CheckAt(offset, text, shorter);
  return 0;
}
