#include "platform/clipboard_targets.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace vornic {

namespace {

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

}  // namespace

std::optional<ClipboardTextEncoding> CharsetEncoding(std::string_view charset) {
  const std::string name = Lower(Trimmed(charset));
  if (name == "utf-8" || name == "utf8") return ClipboardTextEncoding::Utf8;
  if (name == "iso-8859-1" || name == "iso8859-1" || name == "latin1" || name == "us-ascii") {
    return ClipboardTextEncoding::Latin1;
  }
  return std::nullopt;
}

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

}  // namespace vornic
