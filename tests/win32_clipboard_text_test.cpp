// The clipboard's Unicode text block: where the text ends, whatever the
// block's size and alignment, and how much of it a limit lets through.
#include "platform/win32/win32_clipboard_text.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace vornic::win32 {
namespace {

constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();
constexpr auto kTooLong = ClipboardText::Found::LongerThanLimit;
constexpr auto kText = ClipboardText::Found::Text;

struct BlockCase {
  const char* what;
  std::vector<unsigned char> bytes;  // little-endian units, as Windows stores them
  std::size_t maxLength;
  ClipboardText::Found found;
  std::u16string text;
};

const BlockCase kBlocks[] = {
    {"terminated", {'a', 0, 'b', 0, 0, 0}, kNoLimit, kText, u"ab"},
    {"no terminator: up to the end", {'a', 0, 'b', 0}, kNoLimit, kText, u"ab"},
    {"odd last byte dropped", {'a', 0, 'b', 0, 'c'}, kNoLimit, kText, u"ab"},
    {"first NUL ends it", {'a', 0, 0, 0, 'b', 0, 0, 0}, kNoLimit, kText, u"a"},
    {"only a NUL", {0, 0}, kNoLimit, kText, u""},
    {"no bytes", {}, kNoLimit, kText, u""},
    {"one byte", {'a'}, kNoLimit, kText, u""},
    {"a zero byte is no NUL unit", {0x00, 0x30, 'x', 0x00, 0x42, 0x30}, kNoLimit, kText, u"\u3000x\u3042"},
    {"surrogates and line breaks kept",
     {0x3D, 0xD8, 0x00, 0xDE, '\r', 0, '\n', 0, 0, 0},
     kNoLimit,
     kText,
     u"\U0001F600\r\n"},
    {"bytes after the NUL ignored", {'a', 0, 0, 0, 0xFF}, kNoLimit, kText, u"a"},
    {"exactly the limit, terminated", {'a', 0, 'b', 0, 0, 0}, 2, kText, u"ab"},
    {"exactly the limit, block ends", {'a', 0, 'b', 0}, 2, kText, u"ab"},
    {"one over the limit, terminated", {'a', 0, 'b', 0, 'c', 0, 0, 0}, 2, kTooLong, u""},
    {"one over the limit, block ends", {'a', 0, 'b', 0, 'c', 0}, 2, kTooLong, u""},
    {"NUL inside the limit, more text after it", {'a', 0, 0, 0, 'b', 0, 'c', 0}, 2, kText, u"a"},
};

TEST(ReadUnicodeTextBlock, EndsAtTheFirstNulOrTheEndOfTheBlockAtAnyAlignmentAndRefusesPastTheLimit) {
  for (const BlockCase& block : kBlocks) {
    for (std::size_t offset : {0, 1}) {
      SCOPED_TRACE(::testing::Message() << block.what << ", offset " << offset);
      std::vector<unsigned char> memory(offset, 0xEE);
      memory.insert(memory.end(), block.bytes.begin(), block.bytes.end());
      const ClipboardText read = ReadUnicodeTextBlock(memory.data() + offset, block.bytes.size(), block.maxLength);
      EXPECT_EQ(read.found, block.found);
      EXPECT_EQ(read.text, block.text);
    }
  }
}

}  // namespace
}  // namespace vornic::win32
