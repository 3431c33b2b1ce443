#include "viewer/reader.h"

#include <gtest/gtest.h>

#include "support/fake_os.h"

namespace tessal {
namespace {

std::vector<std::string> Lines(const std::string& contents, size_t chunk) {
  platform::FakeOs os;
  os.files["log"] = contents;
  os.read_chunk = chunk;
  platform::FileHandle file = 0;
  EXPECT_EQ(os.OpenForReading("log", &file), 0u);
  std::vector<std::string> lines;
  ReadLines(os, file, [&](std::string_view line) { lines.emplace_back(line); });
  return lines;
}

using L = std::vector<std::string>;

TEST(ReadLines, LineEndsCarriageReturnsAndCtrlZ) {
  struct Case {
    std::string input;
    L lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\n", {"a", "b"}},
      {"a\r\n\r\n\nb", {"a", "", "", "b"}},
      {"ab\rcd\n", {"abcd"}},  // a lone CR is dropped and the line goes on
      {"ab\r\rcd\r\r\n", {"abcd"}},
      {"a\r", {"a"}},
      {"\r", {""}},
      {"a\r\n\x1a"
       "b\r\n",
       {"a"}},  // Ctrl-Z first on a line: nothing more is read
      {"\x1a"
       "a\n",
       {}},
      // Ctrl-Z inside a line ends it; the rest of it is skipped, and the next line follows.
      {"a\x1a"
       "b\nc\n",
       {"a", "c"}},
      {"a\r\x1a", {"a"}},
      {"a\x1a"
       "b\r\n\r\nc",
       {"a", "", "c"}},
      {"a\x1a\x1a"
       "b\rc\nd\x1a\n\x1a"
       "e\n",
       {"a", "d"}},  // a Ctrl-Z that begins the line after a skipped rest still ends the input
      {"\r\x1a\nb", {"", "b"}},  // the CR is the line's first byte: the Ctrl-Z is inside it
      {"a\x1a"
       "b",
       {"a"}},
      {std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
      {"x,y\xff\x80\n", {"x,y\xff\x80"}},
  };
  for (const Case& c : cases) {
    for (size_t chunk : {size_t{1}, size_t{2}, size_t{3}, size_t{7}, kReadBlock}) {
      EXPECT_EQ(Lines(c.input, chunk), c.lines)
          << testing::PrintToString(c.input) << " chunk " << chunk;
    }
  }
}

TEST(ReadLines, LinesLongerThanABlockArriveWhole) {
  const std::string longer(3 * kReadBlock + 17, 'x');
  const L lines = Lines("a\r\n" + longer + "\r\n" + longer + "\rz\r\nb", kReadBlock);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "a");
  EXPECT_EQ(lines[1], longer);
  EXPECT_EQ(lines[2], longer + "z");
  EXPECT_EQ(lines[3], "b");
}

TEST(ReadLines, AReadFailureIsAnInOutError) {
  platform::FakeOs os;
  os.files["log"] = "a\r\nb";
  os.read_error = 30;
  platform::FileHandle file = 0;
  ASSERT_EQ(os.OpenForReading("log", &file), 0u);
  L lines;
  try {
    ReadLines(os, file, [&](std::string_view line) { lines.emplace_back(line); });
    FAIL() << "no failure";
  } catch (const EInOutError& failure) {
    EXPECT_EQ(failure.Code(), 30u);
  }
  // The complete line before the failure was handed on, the unfinished one was not.
  EXPECT_EQ(lines, L{"a"});
}

}  // namespace
}  // namespace tessal
