// Which offered clipboard targets (X11 names and MIME types) are text, and
// which encoding each one names.
#include "platform/clipboard_targets.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vornic {
namespace {

using enum ClipboardTextEncoding;

TEST(ClipboardTargets, AsksForTheRichestTextFirstAndNeverForFiles) {
  const struct {
    std::vector<std::string> offered;
    std::vector<std::size_t> order;
  } cases[] = {
      {{"TARGETS", "TIMESTAMP", "x-special/gnome-copied-files", "text/uri-list"}, {}},
      {{"image/png", "text/html", "text/plainfoo", "text/plain;charset=utf-16"}, {}},
      {{"STRING", "TEXT", "UTF8_STRING", "COMPOUND_TEXT"}, {2, 3, 1, 0}},
      {{"text/plain", "STRING", "TEXT", "COMPOUND_TEXT"}, {3, 2, 1, 0}},
      {{"TEXT", "text/plain;charset=UTF-8"}, {1, 0}},
      {{"text/html", "text/plain; format=flowed"}, {1}},
      // File managers' text forms beside their file lists (GTK 3 Nautilus,
      // Dolphin, Caja), and Wayland's offer of wl-copy --type text/uri-list.
      {{"TARGETS", "x-special/gnome-copied-files", "UTF8_STRING", "text/plain", "STRING"}, {}},
      {{"application/x-kde4-urilist", "text/uri-list", "text/plain;charset=utf-8"}, {}},
      {{"x-special/mate-copied-files", "UTF8_STRING"}, {}},
      {{"text/uri-list", "text/plain;charset=utf-8", "TEXT", "STRING", "UTF8_STRING"}, {}},
      // A link copied as text (a browser's "copy link") is text.
      {{"UTF8_STRING", "text/x-moz-url", "text/plain"}, {0, 2}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TextTargetsToAsk(c.offered), c.order) << ::testing::PrintToString(c.offered);
  }
}

TEST(ClipboardTargets, EncodingFollowsTheTypeSent) {
  const struct {
    std::string_view type;
    std::optional<ClipboardTextEncoding> encoding;
  } cases[] = {
      {"UTF8_STRING", Utf8},  {"text/plain;charset=\"utf-8\"", Utf8},    {"STRING", Latin1},
      {"TEXT", Latin1},       {"text/plain;charset=ISO-8859-1", Latin1}, {"COMPOUND_TEXT", CompoundText},
      {"ATOM", std::nullopt}, {"text/uri-list", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(TextEncodingOf(c.type), c.encoding) << c.type;
}

}  // namespace
}  // namespace vornic
