// Whole files, from IGES text on disk to the text an import writes: the
// script, every "," turned into ".", and one closing CR. The files in
// tests/data come with the project; the real files of the shared sample
// folder are tested only where that folder is present.

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

const fs::path kData = BM_TEST_DATA_DIR;
const fs::path kShared = BM_SAMPLES_DIR;

struct Imported {
  bool ok = false;
  std::string text, message;
};

Imported Import(const fs::path& file, bool curves) {
  IGESImporter importer(file.string(), curves);
  Imported imported;
  imported.ok = importer.GetBrindlemarkObjects(imported.text);
  imported.message = importer.ErrorMessage();
  fw::ReplaceAllInPlace(imported.text, ",", ".");
  imported.text += "\r";
  return imported;
}

// With either curve switch every file converts to at least one object when
// curves are kept; the broken one names the entry whose Parameter Data the
// file cuts short: its only surface claims 20 lines.
void ExpectEveryFileConverts(const fs::path& folder) {
  Settings settings(16, 16);
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    const fs::path& file = entry.path();
    if (file.extension() != ".igs" && file.extension() != ".iges") continue;
    for (bool curves : {true, false}) {
      SCOPED_TRACE(file.string() + (curves ? " with curves" : " without curves"));
      const Imported imported = Import(file, curves);
      if (file.filename() == "bad_header.igs") {
        EXPECT_FALSE(imported.ok);
        EXPECT_THAT(imported.message, testing::AllOf(testing::HasSubstr("Directory entry D 1 ("),
                                                     testing::HasSubstr("P 20")));
      } else {
        EXPECT_TRUE(imported.ok) << imported.message;
        EXPECT_TRUE(!curves || imported.text.find("Start Object") != std::string::npos);
      }
    }
  }
}

// Each INPUT.ALONGxSIDE.sSCALE.cCURVES.txt in expected whose input is in
// inputs, compared as written: line ends, headers and indices exactly,
// coordinates within 1e-9 relative, since the last digits of a coordinate
// may differ between correct evaluations. Returns the count compared.
int CompareExpectedScripts(const fs::path& expected, const fs::path& inputs) {
  int compared = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(expected)) {
    const std::string name = entry.path().filename().string();
    const std::size_t c = name.rfind(".c"), s = name.rfind(".s", c - 1), steps = name.rfind('.', s - 1);
    const fs::path input = inputs / name.substr(0, steps);
    if (!fs::exists(input)) continue;
    Settings settings(std::stoi(name.substr(steps + 1)), std::stoi(name.substr(name.find('x', steps) + 1)),
                      name.substr(s + 2, c - s - 2));
    const Imported imported = Import(input, name[c + 2] == '1');
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string script{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    EXPECT_EQ(fuzz::ScriptDifference(script, imported.text, 1e-9), "") << name << ": " << imported.message;
    ++compared;
  }
  return compared;
}

TEST(Samples, EveryFileConvertsButTheBrokenOne) { ExpectEveryFileConverts(kData); }

TEST(Samples, GeneratedFilesGiveTheirExpectedScripts) {
  EXPECT_EQ(CompareExpectedScripts(kData / "expected", kData), 5);
}

TEST(Samples, EveryRealFileConvertsButTheBrokenOne) {
  if (!fs::is_directory(kShared / "real")) GTEST_SKIP() << "no real sample files: " << kShared / "real" << " is missing";
  ExpectEveryFileConverts(kShared / "real");
}

TEST(Samples, RealFilesGiveTheirExpectedScripts) {
  for (const char* folder : {"real", "expected"}) {
    if (!fs::is_directory(kShared / folder)) GTEST_SKIP() << "no real sample scripts: " << kShared / folder << " is missing";
  }
  EXPECT_GT(CompareExpectedScripts(kShared / "expected", kShared / "real"), 0);
}

}  // namespace
