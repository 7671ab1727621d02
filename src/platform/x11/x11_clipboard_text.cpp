#include "platform/x11/x11_clipboard_text.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "platform/text_conversion.h"

namespace vornic::x11 {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::ranges::transform(lower, lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\"");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\"") - first + 1);
}

std::optional<ClipboardTextEncoding> CharsetEncoding(std::string_view charset) {
  const std::string name = Lower(Trimmed(charset));
  if (name == "utf-8" || name == "utf8") return ClipboardTextEncoding::Utf8;
  if (name == "iso-8859-1" || name == "iso8859-1" || name == "latin1" || name == "us-ascii") {
    return ClipboardTextEncoding::Latin1;
  }
  return std::nullopt;
}

// A plain-text target: how much Vornic prefers it (lower is better) and how
// its bytes are encoded.
struct TextTarget {
  int rank;
  ClipboardTextEncoding encoding;
};

// text/plain without a charset is taken as UTF-8, as today's programs write
// it. TEXT lets the owner choose; an owner that answers with the type TEXT
// itself sends Latin-1, as STRING.
std::optional<TextTarget> TextTargetOf(std::string_view name) {
  using enum ClipboardTextEncoding;
  if (name == "UTF8_STRING") return TextTarget{0, Utf8};
  if (name == "COMPOUND_TEXT") return TextTarget{2, CompoundText};
  if (name == "TEXT") return TextTarget{3, Latin1};
  if (name == "STRING") return TextTarget{4, Latin1};
  const std::string lower = Lower(name);
  if (!lower.starts_with("text/plain")) return std::nullopt;
  const std::string_view rest = std::string_view(lower).substr(10);
  if (Trimmed(rest).empty()) return TextTarget{5, Utf8};
  if (Trimmed(rest).front() != ';') return std::nullopt;  // text/plainfoo
  const auto charset = rest.find("charset=");
  if (charset == std::string_view::npos) return TextTarget{5, Utf8};
  const auto encoding = CharsetEncoding(rest.substr(charset + 8, rest.find(';', charset) - charset - 8));
  if (!encoding) return std::nullopt;
  return *encoding == Utf8 ? TextTarget{1, Utf8} : TextTarget{6, Latin1};
}

// What file managers (GNOME, MATE, KDE) and every program that copies URLs
// offer for files and links.
bool IsFileList(std::string_view name) {
  const std::string lower = Lower(name);
  return lower == "text/uri-list" || lower == "x-special/gnome-copied-files" ||
         lower == "x-special/mate-copied-files" || lower == "application/x-kde4-urilist";
}

void AppendLatin1(std::u16string& out, std::string_view bytes) {
  for (const char byte : bytes) out.push_back(static_cast<unsigned char>(byte));
}

// COMPOUND_TEXT is ISO 2022: escape sequences put character sets into the
// left (GL) and right (GR) halves of the byte range. ASCII and Latin-1 are
// decoded, as are the UTF-8 segments that Xlib writes for everything else;
// a character of any other set becomes one U+FFFD.
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
      } else if (byte < 0x20 || byte == 0x7F) {
        out_.push_back(byte);
      } else if (byte < 0x80) {
        Character(gl_, byte);
      } else if (byte < 0xA0) {
        out_.push_back(kReplacement);
      } else {
        Character(gr_, byte);
      }
    }
    return std::move(out_);
  }

 private:
  enum class Set : std::uint8_t { Ascii, Latin1Right, OtherSingle, OtherDouble };

  [[nodiscard]] char16_t Byte(std::size_t at) const { return static_cast<unsigned char>(bytes_[at]); }

  void Character(Set set, char16_t byte) {
    if (set == Set::Ascii || set == Set::Latin1Right) {
      out_.push_back(byte);
      return;
    }
    // Both bytes of a double-byte character lie in the same half.
    if (set == Set::OtherDouble && position_ < bytes_.size() && (Byte(position_) & 0x80U) == (byte & 0x80U) &&
        (Byte(position_) & 0x7FU) > 0x20 && (Byte(position_) & 0x7FU) < 0x7F) {
      ++position_;
    }
    out_.push_back(kReplacement);
  }

  void Escape() {
    std::string intermediates;
    while (position_ < bytes_.size() && Byte(position_) >= 0x20 && Byte(position_) <= 0x2F) {
      intermediates.push_back(static_cast<char>(Byte(position_++)));
    }
    if (position_ >= bytes_.size() || Byte(position_) < 0x30 || Byte(position_) > 0x7E) {
      out_.push_back(kReplacement);
      return;
    }
    const auto final = static_cast<char>(Byte(position_++));
    if (intermediates == "%" && final == 'G') {
      Utf8Segment();
    } else if (intermediates == "%/" && final >= '0' && final <= '4') {
      ExtendedSegment();
    } else if (intermediates == "(") {
      gl_ = final == 'B' || final == 'J' ? Set::Ascii : Set::OtherSingle;
    } else if (intermediates == "-" || intermediates == ")") {
      gr_ = intermediates == "-" && final == 'A' ? Set::Latin1Right : Set::OtherSingle;
    } else if (intermediates == "$(" || intermediates == "$") {
      gl_ = Set::OtherDouble;
    } else if (intermediates == "$)") {
      gr_ = Set::OtherDouble;
    }
  }

  // Runs to ESC % @, or to the end when that is missing.
  void Utf8Segment() {
    const auto end = bytes_.find("\x1B%@", position_);
    const std::string_view segment = bytes_.substr(position_, end == std::string_view::npos ? end : end - position_);
    out_ += Utf8ToUtf16(segment);
    position_ = end == std::string_view::npos ? bytes_.size() : end + 3;
  }

  // ESC % / F M L, then (M - 128) * 128 + (L - 128) bytes: the encoding's
  // name, STX, and the text in that encoding.
  void ExtendedSegment() {
    if (position_ + 2 > bytes_.size() || Byte(position_) < 0x80 || Byte(position_ + 1) < 0x80) {
      out_.push_back(kReplacement);
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
      out_.push_back(kReplacement);
    } else if (*encoding == ClipboardTextEncoding::Utf8) {
      out_ += Utf8ToUtf16(text);
    } else {
      AppendLatin1(out_, text);
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
};

}  // namespace

std::optional<ClipboardTextEncoding> TextEncodingOf(std::string_view typeName) {
  const auto target = TextTargetOf(typeName);
  if (!target) return std::nullopt;
  return target->encoding;
}

std::vector<std::size_t> TextTargetsToAsk(std::span<const std::string> offeredTargets) {
  if (std::ranges::any_of(offeredTargets, IsFileList)) return {};
  std::vector<std::pair<int, std::size_t>> ranked;
  for (std::size_t i = 0; i < offeredTargets.size(); ++i) {
    if (const auto target = TextTargetOf(offeredTargets[i])) ranked.emplace_back(target->rank, i);
  }
  std::ranges::stable_sort(ranked, {}, &std::pair<int, std::size_t>::first);
  std::vector<std::size_t> order;
  for (const auto& [rank, index] : ranked) order.push_back(index);
  return order;
}

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
