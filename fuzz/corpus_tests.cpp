// Every seed of the fuzz corpus and every input that ever broke the core
// road, run through that road in the normal build.
//
// Seeds (fuzz/corpus/*.seed) are valid files: each must convert and give at
// least one object, every point the one that the textbook routines give, and
// every number read as a plain reading would.
// Seeds named error_* are made to fail at one check each: they must fail,
// with a message and no text. Inputs in fuzz/corpus/regressions/ may convert
// or fail, but must keep every promise that CheckResult,
// CheckAgainstTextbook and CheckNumbers test.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/road.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCorpus = BM_FUZZ_CORPUS_DIR;

std::vector<fs::path> FilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  if (!fs::is_directory(folder)) return files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().filename().string().front() != '.') files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

bool IsErrorSeed(const fs::path& path) { return path.filename().string().rfind("error_", 0) == 0; }

// The seeds that must convert (errors false) or must fail (errors true).
std::vector<fs::path> Seeds(bool errors) {
  std::vector<fs::path> seeds = FilesIn(kCorpus);
  std::erase_if(seeds, [errors](const fs::path& path) { return IsErrorSeed(path) != errors; });
  return seeds;
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A test name from a file name: letters and digits kept, anything else "_".
std::string TestName(const testing::TestParamInfo<fs::path>& info) {
  std::string name = info.param.stem().string();
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

class Seed : public testing::TestWithParam<fs::path> {};

TEST_P(Seed, ConvertsToAtLeastOneObject) {
  const std::string bytes = ReadAll(GetParam());
  ASSERT_FALSE(bytes.empty());
  const fuzz::RoadInput input = fuzz::DecodeInput(bytes);
  const fuzz::RoadResult result = fuzz::RunCoreRoad(input);
  ASSERT_TRUE(result.ok) << result.error;
  EXPECT_EQ(fuzz::CheckResult(input, result), "");
  EXPECT_EQ(fuzz::CheckAgainstTextbook(input, result), "");
  EXPECT_EQ(fuzz::CheckNumbers(input.iges), "");
  EXPECT_NE(result.script.find("Start Object"), std::string::npos) << "the seed reaches no conversion";
}

INSTANTIATE_TEST_SUITE_P(Corpus, Seed, testing::ValuesIn(Seeds(false)), TestName);

class ErrorSeed : public testing::TestWithParam<fs::path> {};

TEST_P(ErrorSeed, FailsWithAMessage) {
  const std::string bytes = ReadAll(GetParam());
  const fuzz::RoadInput input = fuzz::DecodeInput(bytes);
  const fuzz::RoadResult result = fuzz::RunCoreRoad(input);
  EXPECT_FALSE(result.ok) << "the seed no longer reaches the failure it was made for";
  EXPECT_EQ(fuzz::CheckResult(input, result), "");
}

INSTANTIATE_TEST_SUITE_P(Corpus, ErrorSeed, testing::ValuesIn(Seeds(true)), TestName);

class Regression : public testing::TestWithParam<fs::path> {};

TEST_P(Regression, KeepsEveryPromise) {
  const std::string bytes = ReadAll(GetParam());
  const fuzz::RoadInput input = fuzz::DecodeInput(bytes);
  const fuzz::RoadResult result = fuzz::RunCoreRoad(input);
  EXPECT_EQ(fuzz::CheckResult(input, result), "") << (result.ok ? "converted" : result.error);
  EXPECT_EQ(fuzz::CheckAgainstTextbook(input, result), "");
  EXPECT_EQ(fuzz::CheckNumbers(input.scale), "");
  EXPECT_EQ(fuzz::CheckNumbers(input.iges), "");
}

INSTANTIATE_TEST_SUITE_P(Crashes, Regression, testing::ValuesIn(FilesIn(kCorpus / "regressions")), TestName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Regression);

// The corpus must not go missing unnoticed: the parameterized tests above
// would then pass with no case at all.
TEST(Corpus, HoldsTheSeeds) {
  EXPECT_GE(Seeds(false).size(), 10u) << kCorpus;
  EXPECT_GE(Seeds(true).size(), 5u) << kCorpus;
}

}  // namespace
