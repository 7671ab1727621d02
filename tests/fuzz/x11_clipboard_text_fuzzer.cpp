// What any X11 clipboard owner may send: any bytes, of any size, as any
// target. Decoding must never read outside them and must always give
// well-formed text; the choice of target must name one that was offered.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "platform/clipboard_targets.h"
#include "platform/x11/x11_text_decoding.h"

namespace vornic {
namespace {

bool IsWellFormed(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t unit = text[i];
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

}  // namespace
}  // namespace vornic

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using vornic::ClipboardTextEncoding;
  using vornic::Require;
  // The bytes in a block of exactly their size, so a read past it is reported.
  const auto block = std::make_unique<char[]>(size);
  for (std::size_t i = 0; i < size; ++i) block[i] = static_cast<char>(data[i]);
  const std::string_view bytes(block.get(), size);

  for (const auto encoding :
       {ClipboardTextEncoding::Utf8, ClipboardTextEncoding::Latin1, ClipboardTextEncoding::CompoundText}) {
    const std::u16string text = vornic::x11::DecodeClipboardText(encoding, bytes);
    Require(vornic::IsWellFormed(text), "decoded text has no lone surrogate");
    Require(text.size() <= size, "no byte becomes more than one unit");
  }
  const std::u16string latin1 = vornic::x11::DecodeClipboardText(ClipboardTextEncoding::Latin1, bytes);
  for (std::size_t i = 0; i < latin1.size(); ++i) {
    Require(latin1[i] == data[i], "Latin-1 keeps every byte as its own character");
  }

  // The same bytes read as a TARGETS list: names split at NUL and newline.
  std::vector<std::string> offered;
  std::string name;
  for (const char byte : bytes) {
    if (byte == '\0' || byte == '\n') {
      offered.push_back(name);
      name.clear();
    } else {
      name.push_back(byte);
    }
  }
  offered.push_back(name);
  for (const std::size_t chosen : vornic::TextTargetsToAsk(offered)) {
    Require(chosen < offered.size(), "the chosen target was offered");
    Require(vornic::TextEncodingOf(offered[chosen]).has_value(), "the chosen target is plain text");
  }
  return 0;
}
