// Every seed of the fuzz corpus and every input that ever broke the core
// road, run through that road in the normal build. Each must keep every
// promise that CheckResult tests. Besides, seeds (fuzz/corpus/*.seed) are
// valid files that must convert to at least one object, except those named
// error_*, made to fail at one check each; inputs saved in
// fuzz/corpus/regressions/ may convert or fail.

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

std::vector<fs::path> Inputs() {
  std::vector<fs::path> files;
  for (const fs::path& folder : {kCorpus, kCorpus / "regressions"}) {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
      if (entry.is_regular_file() && entry.path().filename().string().front() != '.') files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// A test name from a file name: letters and digits kept, anything else "_".
std::string TestName(const testing::TestParamInfo<fs::path>& info) {
  std::string name = info.param.stem().string();
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
}

class CorpusInput : public testing::TestWithParam<fs::path> {};

TEST_P(CorpusInput, KeepsEveryPromise) {
  std::ifstream in(GetParam(), std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const fuzz::RoadInput input = fuzz::DecodeInput(bytes);
  const fuzz::RoadResult result = fuzz::RunCoreRoad(input);
  EXPECT_EQ(fuzz::CheckResult(input, result), "") << (result.ok ? "converted" : result.error);
  if (GetParam().parent_path() != kCorpus) return;
  if (GetParam().filename().string().starts_with("error_")) {
    EXPECT_FALSE(result.ok) << "the seed no longer reaches the failure it was made for";
  } else {
    EXPECT_NE(result.script.find("Start Object"), std::string::npos) << "the seed reaches no conversion: " << result.error;
  }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusInput, testing::ValuesIn(Inputs()), TestName);

// The corpus must not go missing unnoticed: the test above would then pass
// with no case at all.
TEST(Corpus, HoldsTheSeeds) { EXPECT_GE(Inputs().size(), 25u) << kCorpus; }

}  // namespace
