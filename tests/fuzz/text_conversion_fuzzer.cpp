// Any bytes, read both as UTF-8 and as UTF-16 code units, must convert
// without a sanitizer report, come out well formed and round-trip.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/text_conversion.h"

namespace vornic {
namespace {

bool InRange(std::uint8_t byte, std::uint8_t low, std::uint8_t high) { return byte >= low && byte <= high; }

// The well-formed byte sequences as Unicode tabulates them, written apart
// from the converter so the two can disagree.
bool IsWellFormedUtf8(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[i]); };
  std::size_t i = 0;
  while (i < text.size()) {
    const std::uint8_t lead = byte(i);
    std::size_t length = 0;
    std::uint8_t secondLow = 0x80;
    std::uint8_t secondHigh = 0xBF;
    if (lead <= 0x7F) {
      length = 1;
    } else if (InRange(lead, 0xC2, 0xDF)) {
      length = 2;
    } else if (InRange(lead, 0xE0, 0xEF)) {
      length = 3;
      if (lead == 0xE0) secondLow = 0xA0;
      if (lead == 0xED) secondHigh = 0x9F;
    } else if (InRange(lead, 0xF0, 0xF4)) {
      length = 4;
      if (lead == 0xF0) secondLow = 0x90;
      if (lead == 0xF4) secondHigh = 0x8F;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    if (length > 1 && !InRange(byte(i + 1), secondLow, secondHigh)) return false;
    for (std::size_t k = 2; k < length; ++k) {
      if (!InRange(byte(i + k), 0x80, 0xBF)) return false;
    }
    i += length;
  }
  return true;
}

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Pairs stay, every unpaired surrogate becomes U+FFFD.
std::u16string WithLoneSurrogatesReplaced(std::u16string_view units) {
  std::u16string out(units);
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (IsHighSurrogate(out[i]) && i + 1 < out.size() && IsLowSurrogate(out[i + 1])) {
      ++i;
    } else if (IsHighSurrogate(out[i]) || IsLowSurrogate(out[i])) {
      out[i] = u'\uFFFD';
    }
  }
  return out;
}

void CheckAsUtf8(std::string_view bytes) {
  const std::u16string decoded = Utf8ToUtf16(bytes);
  Require(decoded.size() <= bytes.size(), "UTF-8 decoding gives at most one unit per byte");
  // Readers cap their reads on it: a 4-byte character gives two units, and an
  // ill-formed subpart, one U+FFFD, is at most 3 bytes.
  Require(decoded.size() * 3 >= bytes.size(), "UTF-8 decoding gives at least one unit per 3 bytes");
  Require(WithLoneSurrogatesReplaced(decoded) == decoded, "UTF-8 decoding gives no lone surrogate");
  const std::string encoded = Utf16ToUtf8(decoded);
  Require(IsWellFormedUtf8(encoded), "re-encoded UTF-8 is well formed");
  Require(Utf8ToUtf16(encoded) == decoded, "decoded text round-trips");
  Require((encoded == bytes) == IsWellFormedUtf8(bytes), "exactly the well-formed UTF-8 round-trips unchanged");
}

void CheckAsUtf16(const std::uint8_t* data, std::size_t size) {
  std::u16string units(size / 2, u'\0');
  std::memcpy(units.data(), data, units.size() * sizeof(char16_t));
  const std::string encoded = Utf16ToUtf8(units);
  Require(IsWellFormedUtf8(encoded), "UTF-16 encodes to well-formed UTF-8");
  Require(Utf8ToUtf16(encoded) == WithLoneSurrogatesReplaced(units),
          "UTF-16 round-trips with only its lone surrogates replaced");
}

}  // namespace
}  // namespace vornic

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vornic::CheckAsUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
  vornic::CheckAsUtf16(data, size);
  return 0;
}
