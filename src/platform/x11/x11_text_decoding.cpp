#include "platform/x11/x11_text_decoding.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <utility>

#include "platform/text_conversion.h"

namespace vornic::x11 {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void AppendLatin1(std::u16string& out, std::string_view bytes) {
  for (const char byte : bytes) out.push_back(static_cast<unsigned char>(byte));
}

// glibc's EUC-JP converter, which holds both JIS sets: JIS X 0208 as two
// bytes with the high bit set, JIS X 0201 Katakana after SS2. Opened at most
// once a decode, and only for text that has such characters.
class EucJpDecoder {
 public:
  EucJpDecoder() : converter_(iconv_open("UTF-8", "EUC-JP")) {}
  ~EucJpDecoder() {
    if (Opened()) iconv_close(converter_);
  }
  EucJpDecoder(const EucJpDecoder&) = delete;
  EucJpDecoder& operator=(const EucJpDecoder&) = delete;

  // Characters of exactly two bytes each; one iconv cannot map becomes U+FFFD.
  void Append(std::u16string& out, std::string_view euc) {
    if (!Opened()) {
      out.append(euc.size() / 2, kReplacement);
      return;
    }
    // Every character here is in the BMP: at most three bytes of UTF-8.
    std::string utf8(euc.size() / 2 * 3, '\0');
    char* in = const_cast<char*>(euc.data());  // iconv does not write its input
    std::size_t inLeft = euc.size();
    char* next = utf8.data();
    std::size_t outLeft = utf8.size();
    while (inLeft > 0 && iconv(converter_, &in, &inLeft, &next, &outLeft) == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG || outLeft < 3) break;
      const std::size_t skipped = std::min<std::size_t>(2, inLeft);
      in += skipped;
      inLeft -= skipped;
      next = std::copy_n("\xEF\xBF\xBD", 3, next);
      outLeft -= 3;
    }
    out += Utf8ToUtf16(std::string_view(utf8.data(), static_cast<std::size_t>(next - utf8.data())));
    out.append(inLeft / 2, kReplacement);
  }

 private:
  [[nodiscard]] bool Opened() const { return converter_ != reinterpret_cast<iconv_t>(std::intptr_t{-1}); }

  iconv_t converter_;
};

// COMPOUND_TEXT is ISO 2022: escape sequences put character sets into the
// left (GL) and right (GR) halves of the byte range. ASCII, Latin-1 and the
// Japanese sets are decoded, as are the UTF-8 segments that Xlib writes for
// everything else; a character of any other set becomes one U+FFFD.
class CompoundTextDecoder {
 public:
  explicit CompoundTextDecoder(std::string_view bytes) : bytes_(bytes) {}

  std::u16string Decode() {
    while (position_ < bytes_.size()) {
      const auto byte = Byte(position_++);
      if (byte == 0x1B) {
        Escape();
      } else if (byte == 0x9B) {
        SkipControlSequence();
      } else if (byte <= 0x20 || byte == 0x7F) {
        Out().push_back(byte);  // SPACE too, whichever set is in GL
      } else if (byte < 0x80) {
        Character(gl_, byte);
      } else if (byte < 0xA0) {
        Out().push_back(kReplacement);
      } else {
        Character(gr_, byte);
      }
    }
    return std::move(Out());
  }

 private:
  enum class Set : std::uint8_t { Ascii, Latin1Right, JisRoman, JisKatakana, Jis0208, OtherSingle, OtherDouble };

  [[nodiscard]] char16_t Byte(std::size_t at) const { return static_cast<unsigned char>(bytes_[at]); }

  static bool IsGraphic(char16_t byte) { return (byte & 0x7FU) > 0x20 && (byte & 0x7FU) < 0x7F; }

  // The text so far, with the pending Japanese run converted.
  std::u16string& Out() {
    if (!japanese_.empty()) {
      if (!eucJp_) eucJp_.emplace();
      eucJp_->Append(out_, japanese_);
      japanese_.clear();
    }
    return out_;
  }

  void Character(Set set, char16_t byte) {
    const char16_t code = byte & 0x7FU;
    if (set == Set::Ascii || set == Set::Latin1Right) {
      Out().push_back(byte);
    } else if (set == Set::JisRoman && IsGraphic(byte)) {
      Out().push_back(code == 0x5C ? u'\u00A5' : code == 0x7E ? u'\u203E' : code);
    } else if (set == Set::JisKatakana && IsGraphic(byte)) {
      japanese_ += {'\x8E', static_cast<char>(code | 0x80U)};
    } else if ((set == Set::Jis0208 || set == Set::OtherDouble) && IsGraphic(byte) && position_ < bytes_.size() &&
               (Byte(position_) & 0x80U) == (byte & 0x80U) && IsGraphic(Byte(position_))) {
      // Both bytes of a double-byte character lie in the same half.
      const char16_t second = Byte(position_++) & 0x7FU;
      if (set == Set::OtherDouble) {
        Out().push_back(kReplacement);
      } else {
        japanese_ += {static_cast<char>(code | 0x80U), static_cast<char>(second | 0x80U)};
      }
    } else {
      Out().push_back(kReplacement);
    }
  }

  void Escape() {
    std::string intermediates;
    while (position_ < bytes_.size() && Byte(position_) >= 0x20 && Byte(position_) <= 0x2F) {
      intermediates.push_back(static_cast<char>(Byte(position_++)));
    }
    if (position_ >= bytes_.size() || Byte(position_) < 0x30 || Byte(position_) > 0x7E) {
      Out().push_back(kReplacement);
      return;
    }
    const auto final = static_cast<char>(Byte(position_++));
    const Set single = final == 'J' ? Set::JisRoman : final == 'I' ? Set::JisKatakana : Set::OtherSingle;
    const Set twoByte = final == 'B' ? Set::Jis0208 : Set::OtherDouble;
    if (intermediates == "%" && final == 'G') {
      Utf8Segment();
    } else if (intermediates == "%/" && final >= '0' && final <= '4') {
      ExtendedSegment();
    } else if (intermediates == "(") {
      gl_ = final == 'B' ? Set::Ascii : single;
    } else if (intermediates == ")") {
      gr_ = single;
    } else if (intermediates == "-") {
      gr_ = final == 'A' ? Set::Latin1Right : Set::OtherSingle;
    } else if (intermediates == "$(" || intermediates == "$") {
      gl_ = twoByte;
    } else if (intermediates == "$)") {
      gr_ = twoByte;
    }
  }

  // Runs to ESC % @, or to the end when that is missing.
  void Utf8Segment() {
    const auto end = bytes_.find("\x1B%@", position_);
    const std::string_view segment = bytes_.substr(position_, end == std::string_view::npos ? end : end - position_);
    Out() += Utf8ToUtf16(segment);
    position_ = end == std::string_view::npos ? bytes_.size() : end + 3;
  }

  // ESC % / F M L, then (M - 128) * 128 + (L - 128) bytes: the encoding's
  // name, STX, and the text in that encoding.
  void ExtendedSegment() {
    if (position_ + 2 > bytes_.size() || Byte(position_) < 0x80 || Byte(position_ + 1) < 0x80) {
      Out().push_back(kReplacement);
      return;
    }
    const std::size_t length = (Byte(position_) - 0x80U) * 0x80U + (Byte(position_ + 1) - 0x80U);
    position_ += 2;
    const std::string_view segment = bytes_.substr(position_, length);
    position_ += segment.size();
    const auto nameEnd = segment.find('\x02');
    const auto encoding = CharsetEncoding(segment.substr(0, nameEnd));
    const std::string_view text = nameEnd == std::string_view::npos ? std::string_view{} : segment.substr(nameEnd + 1);
    if (!encoding || nameEnd == std::string_view::npos) {
      Out().push_back(kReplacement);
    } else if (*encoding == ClipboardTextEncoding::Utf8) {
      Out() += Utf8ToUtf16(text);
    } else {
      AppendLatin1(Out(), text);
    }
  }

  // CSI parameters, intermediates, final byte: the writing direction, which
  // does not change the characters.
  void SkipControlSequence() {
    while (position_ < bytes_.size() && Byte(position_) >= 0x20 && Byte(position_) <= 0x3F) ++position_;
    if (position_ < bytes_.size() && Byte(position_) >= 0x40 && Byte(position_) <= 0x7E) ++position_;
  }

  std::string_view bytes_;
  std::size_t position_ = 0;
  Set gl_ = Set::Ascii;
  Set gr_ = Set::Latin1Right;
  std::u16string out_;
  // JIS characters as EUC-JP, converted together when other text follows.
  std::string japanese_;
  std::optional<EucJpDecoder> eucJp_;
};

}  // namespace

std::u16string DecodeClipboardText(ClipboardTextEncoding encoding, std::string_view bytes) {
  // Some owners send a C string's terminator with the text.
  if (bytes.ends_with('\0')) bytes.remove_suffix(1);
  switch (encoding) {
    case ClipboardTextEncoding::Utf8:
      return Utf8ToUtf16(bytes);
    case ClipboardTextEncoding::CompoundText:
      return CompoundTextDecoder(bytes).Decode();
    case ClipboardTextEncoding::Latin1:
      break;
  }
  std::u16string text;
  text.reserve(bytes.size());
  AppendLatin1(text, bytes);
  return text;
}

}  // namespace vornic::x11
