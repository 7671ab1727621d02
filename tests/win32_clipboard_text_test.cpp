// The clipboard's Unicode text block: where the text ends, whatever the
// block's size and alignment.
#include "platform/win32/win32_clipboard_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vornic::win32 {
namespace {

struct BlockCase {
  const char* what;
  std::vector<unsigned char> bytes;  // little-endian units, as Windows stores them
  std::u16string text;
};

const BlockCase kBlocks[] = {
    {"terminated", {'a', 0, 'b', 0, 0, 0}, u"ab"},
    {"no terminator: up to the end", {'a', 0, 'b', 0}, u"ab"},
    {"odd last byte dropped", {'a', 0, 'b', 0, 'c'}, u"ab"},
    {"first NUL ends it", {'a', 0, 0, 0, 'b', 0, 0, 0}, u"a"},
    {"only a NUL", {0, 0}, u""},
    {"no bytes", {}, u""},
    {"one byte", {'a'}, u""},
    {"a zero byte is no NUL unit", {0x00, 0x30, 'x', 0x00, 0x42, 0x30}, u"\u3000x\u3042"},
    {"surrogates and line breaks kept", {0x3D, 0xD8, 0x00, 0xDE, '\r', 0, '\n', 0, 0, 0}, u"\U0001F600\r\n"},
    {"bytes after the NUL ignored", {'a', 0, 0, 0, 0xFF}, u"a"},
};

TEST(DecodeUnicodeTextBlock, EndsAtTheFirstNulOrTheEndOfTheBlockAtAnyAlignment) {
  for (const BlockCase& block : kBlocks) {
    for (std::size_t offset : {0, 1}) {
      SCOPED_TRACE(::testing::Message() << block.what << ", offset " << offset);
      std::vector<unsigned char> memory(offset, 0xEE);
      memory.insert(memory.end(), block.bytes.begin(), block.bytes.end());
      EXPECT_EQ(DecodeUnicodeTextBlock(memory.data() + offset, block.bytes.size()), block.text);
    }
  }
}

}  // namespace
}  // namespace vornic::win32
