#include "framework/line_stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// Reads bytes from memory and from a file of the test's own (tests run in
// parallel): both must give the same lines and then stay at their end.
void ExpectLines(const std::string& bytes, const std::vector<std::string>& expected) {
  const std::string path = testing::TempDir() + testing::UnitTest::GetInstance()->current_test_info()->name();
  std::ofstream(path, std::ios::binary) << bytes;
  fw::LineInputStream memory = fw::LineInputStream::FromMemory(bytes);
  fw::LineInputStream file = fw::LineInputStream::OpenFile(path);
  ASSERT_TRUE(file.IsOpen()) << file.OpenError();
  for (fw::LineInputStream* stream : {&memory, &file}) {
    std::vector<std::string> lines;
    while (!stream->AtEnd()) lines.emplace_back(stream->ReadLine());
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(stream->ReadLine(), "");
    EXPECT_TRUE(stream->AtEnd());
  }
  std::filesystem::remove(path);
}

TEST(FrameworkLineStream, AnyRunOfLineEndsEndsOneLine) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"a\nb\n", {"a", "b"}}, {"a\r\nb\r\n", {"a", "b"}}, {"a\rb\r", {"a", "b"}}, {"a\r\r\nb\r\r\n", {"a", "b"}},
      {"a\nb\r\nc\rd\r\r\n", {"a", "b", "c", "d"}}, {"\n\na\n\n\nb\n\n", {"a", "b"}}, {"a\nb", {"a", "b"}},
      {"  \n", {"  "}}, {"", {}}, {"\r\n\r\n", {}}};
  for (const auto& [bytes, lines] : cases) {
    SCOPED_TRACE(testing::PrintToString(bytes));
    ExpectLines(bytes, lines);
  }
  // A line end at every position of a word-sized stretch, and beyond.
  for (std::size_t length = 1; length <= 40; ++length) {
    const std::string line(length, 'x');
    ExpectLines(line + "\r" + line + "\n" + line, {line, line, line});
  }
}

// The file is read in 64 KiB blocks: lines longer than a block, and line
// ends split between two blocks, must come out whole.
TEST(FrameworkLineStream, LinesAndLineEndsAcrossBlockBoundaries) {
  constexpr std::size_t kBlock = 1 << 16;
  for (std::size_t length : {kBlock - 2, kBlock - 1, kBlock, kBlock + 1, 3 * kBlock + 5}) {
    for (const std::string end : {"\n", "\r\n", "\r\r\n"}) {
      SCOPED_TRACE(testing::Message() << "line of " << length << ", end " << testing::PrintToString(end));
      ExpectLines(std::string(length, 'x') + end + "next" + end, {std::string(length, 'x'), "next"});
    }
  }
}

}  // namespace
