// How the bytes an X11 clipboard owner sends become the text a user reads.
#include "platform/x11/x11_text_decoding.h"

#include <gtest/gtest.h>

#include <string_view>

namespace vornic::x11 {
namespace {

using enum ClipboardTextEncoding;
using namespace std::string_view_literals;

TEST(X11TextDecoding, DecodesBytesAsAUserReadsThem) {
  const struct {
    ClipboardTextEncoding encoding;
    std::string_view bytes;
    std::u16string_view text;
  } cases[] = {
      {Utf8, "caf\xC3\xA9 \xF0\x9F\x98\x80", u"café 😀"},
      {Utf8,
       "a\xFF"
       "b\xE6\x97",
       u"a\uFFFDb\uFFFD"},
      {Utf8, "a\0b\0"sv, u"a\0b"sv},  // one terminator dropped, the NUL inside kept
      {Latin1, "caf\xE9\x80\0"sv, u"café\u0080"},
      {CompoundText, "caf\xE9\t\n", u"café\t\n"},
      {CompoundText, "\x1B%G\xE6\x97\xA5\xE6\x9C\xAC\x1B%@x", u"日本x"},
      {CompoundText, "\x1B%G\xE6\x97\xA5", u"日"},  // segment never closed
      // Japanese as Xlib writes it: JIS X 0208 and JIS X 0201 Katakana in GR.
      {CompoundText, "Vornic \x1B$)B\xC6\xFC\xCB\xDC\x1B)I\xB6\xC5\x1B$)B\xA4\xF2", u"Vornic 日本ｶﾅを"},
      {CompoundText, "\x1B$B\x46\x7C\x1B$(B\x4B\x5C \x1B(I\x36\x1B(J\\~", u"日本 ｶ¥‾"},         // the same sets in GL
      {CompoundText, "\x1B$)B\xA9\xA1\xC6\xFC\xC6!\x1B)I\xE0\xB1", u"\uFFFD日\uFFFD!\uFFFDｱ"},  // unmapped, cut short
      {CompoundText, "\x1B$)A\xC4\xE3!", u"\uFFFD!"},  // any other set: one mark a character
      {CompoundText, "\x1B-B\xE9\x1B-A\xE9\x1B(Jz", u"\uFFFDéz"},
      {CompoundText,
       "\x9B"
       "1]ab\x9B]",
       u"ab"},  // writing direction
      {CompoundText,
       "\x1B%/1\x80\x8Biso8859-1\x02\xE9"
       "z",
       u"éz"},
      {CompoundText,
       "\x1B%/1\x80\x86koi8\x02\xE9"
       "z",
       u"\uFFFDz"},
      {CompoundText, "\x1B%/1\x80", u"\uFFFD\uFFFD"},  // extended segment cut short
      {CompoundText, "a\x85\x1B", u"a\uFFFD\uFFFD"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeClipboardText(c.encoding, c.bytes), c.text) << ::testing::PrintToString(c.bytes);
  }
}

}  // namespace
}  // namespace vornic::x11
