// Whole files, from IGES text on disk to the text an import writes: the
// script, every "," turned into ".", and one closing CR. The files in
// tests/data come with the project; the real files of the shared sample
// folder are tested where that folder is present.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "nurbs/iges_importer.h"
#include "test_support.h"

namespace {

using namespace nurbs_test;
namespace fs = std::filesystem;

const fs::path kData = BM_TEST_DATA_DIR, kShared = BM_SAMPLES_DIR;

// The text written for file, or the failure's message.
std::string Import(const fs::path& file, bool curves, bool& ok) {
  IGESImporter importer(file.string(), curves);
  std::string script;
  ok = importer.GetBrindlemarkObjects(script);
  fw::ReplaceAllInPlace(script, ",", ".");
  return ok ? script + "\r" : importer.ErrorMessage();
}

// Every file converts with either curve switch, to at least one object when
// curves are kept; the broken one names the entry whose Parameter Data the
// file cuts short: its only surface claims 20 lines.
void ExpectEveryFileConverts(const fs::path& folder) {
  Settings settings(16, 16);
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    const fs::path& file = entry.path();
    if (file.extension() != ".igs" && file.extension() != ".iges") continue;
    for (bool curves : {true, false}) {
      SCOPED_TRACE(file.string() + (curves ? " with curves" : " without curves"));
      bool ok = false;
      const std::string text = Import(file, curves, ok);
      if (file.filename() == "bad_header.igs") {
        EXPECT_FALSE(ok);
        EXPECT_THAT(text, testing::AllOf(testing::HasSubstr("Directory entry D 1 ("), testing::HasSubstr("P 20")));
      } else {
        EXPECT_TRUE(ok && (!curves || text.find("Start Object") != std::string::npos)) << text;
      }
    }
  }
}

// Each INPUT.ALONGxSIDE.sSCALE.cCURVES.txt in expected whose input is in
// inputs: line ends, headers and indices the same, coordinates within 1e-9
// relative, since their last digits may differ between correct evaluations.
// Returns the count compared.
int CompareExpectedScripts(const fs::path& expected, const fs::path& inputs) {
  int compared = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(expected)) {
    const std::string name = entry.path().filename().string();
    const std::size_t c = name.rfind(".c"), s = name.rfind(".s", c - 1), steps = name.rfind('.', s - 1);
    const fs::path input = inputs / name.substr(0, steps);
    if (!fs::exists(input)) continue;
    Settings settings(std::stoi(name.substr(steps + 1)), std::stoi(name.substr(name.find('x', steps) + 1)),
                      name.substr(s + 2, c - s - 2));
    bool ok = false;
    const std::string text = Import(input, name[c + 2] == '1', ok);
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string script{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(fuzz::ScriptDifference(script, text, 1e-9), "") << name;
    ++compared;
  }
  return compared;
}

TEST(Samples, EveryFileConvertsButTheBrokenOne) { ExpectEveryFileConverts(kData); }

TEST(Samples, GeneratedFilesGiveTheirExpectedScripts) { EXPECT_EQ(CompareExpectedScripts(kData / "expected", kData), 5); }

TEST(Samples, EveryRealFileConvertsButTheBrokenOne) {
  if (!fs::is_directory(kShared / "real")) GTEST_SKIP() << "no real sample files: " << kShared / "real" << " is missing";
  ExpectEveryFileConverts(kShared / "real");
}

TEST(Samples, RealFilesGiveTheirExpectedScripts) {
  for (const fs::path& folder : {kShared / "real", kShared / "expected"}) {
    if (!fs::is_directory(folder)) GTEST_SKIP() << "no real sample scripts: " << folder << " is missing";
  }
  EXPECT_GT(CompareExpectedScripts(kShared / "expected", kShared / "real"), 0);
}

}  // namespace
