#include "framework/line_stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> ReadAll(fw::LineInputStream& stream) {
  std::vector<std::string> lines;
  while (!stream.AtEnd()) lines.emplace_back(stream.ReadLine());
  return lines;
}

// A file in the test's temporary folder holding exactly bytes.
std::string WriteTempFile(const std::string& name, const std::string& bytes) {
  const std::string path = (std::filesystem::path(testing::TempDir()) / name).string();
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

// Reads bytes from memory and from a file; both must give the same lines,
// and the stream must stay at its end afterwards.
void ExpectLines(const std::string& bytes, const std::vector<std::string>& expected) {
  fw::LineInputStream memory = fw::LineInputStream::FromMemory(bytes);
  fw::LineInputStream file = fw::LineInputStream::OpenFile(WriteTempFile("lines.txt", bytes));
  ASSERT_TRUE(file.IsOpen()) << file.OpenError();
  for (fw::LineInputStream* stream : {&memory, &file}) {
    EXPECT_EQ(ReadAll(*stream), expected);
    EXPECT_TRUE(stream->AtEnd());
    EXPECT_EQ(stream->ReadLine(), "");
    EXPECT_EQ(stream->ReadLine(), "");
  }
}

TEST(FrameworkLineStream, AnyRunOfLineEndsEndsOneLine) {
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"a\nb\n", {"a", "b"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\rb\r", {"a", "b"}},
      {"a\r\r\nb\r\r\n", {"a", "b"}},
      {"a\nb\r\nc\rd\r\r\n", {"a", "b", "c", "d"}},
      {"\n\na\n\n\nb\n\n", {"a", "b"}},
      {"a\nb", {"a", "b"}},
      {"  \n", {"  "}},
      {"", {}},
      {"\r\n\r\n", {}},
  };
  for (const auto& [bytes, lines] : cases) {
    SCOPED_TRACE(testing::PrintToString(bytes));
    ExpectLines(bytes, lines);
  }
  // A line end at every position of a 16-character stretch, and beyond.
  for (std::size_t length = 1; length <= 40; ++length) {
    SCOPED_TRACE(testing::Message() << "line of " << length);
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
      SCOPED_TRACE(testing::Message() << "first line of " << length << " characters, end "
                                      << testing::PrintToString(end));
      const std::string longLine(length, 'x');
      ExpectLines(longLine + end + "next" + end, {longLine, "next"});
    }
  }
}

TEST(FrameworkLineStream, FileThatCannotBeOpenedSaysWhy) {
  fw::LineInputStream stream = fw::LineInputStream::OpenFile("/nonexistent-folder/none.igs");
  EXPECT_FALSE(stream.IsOpen());
  EXPECT_FALSE(stream.OpenError().empty());
  EXPECT_TRUE(stream.AtEnd());
  EXPECT_EQ(stream.ReadLine(), "");
}

}  // namespace
