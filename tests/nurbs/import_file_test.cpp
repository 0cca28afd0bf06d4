#include "nurbs/import_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "nurbs/iges_importer.h"
#include "test_support.h"

namespace {

using namespace nurbs_test;
namespace fs = std::filesystem;

TEST(ImportFileOutputPath, CutsTheNameAtItsFirstDot) {
  const struct {
    const char *input, *output;
  } cases[] = {
      {"/data/part.igs", "/data/part.txt"},
      {"/data/part.old.igs", "/data/part.txt"},
      {"/data/run.1/part.igs", "/data/run.1/part.txt"},
      {"/data/part", "/data/part.txt"},
  };
  for (const auto& c : cases) EXPECT_EQ(OutputPathFor(c.input), c.output) << c.input;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// Each test works in a folder of its own.
class ImportFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "import_file_XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  const std::string file_ = IgesFile({{CurveParameters(2, {{0.1, 2, 3}, {1.5, 2.25, 4}, {3, 0.75, 5}}, {1, 2, 1})}});
  std::string dir_;
};

TEST_F(ImportFileTest, WritesTheScriptAndOneCarriageReturn) {
  Settings settings(16, 16);
  WriteFile(Path("part.igs"), file_);
  std::vector<std::string> statuses;
  const ImportOutcome outcome =
      ImportFile(Path("part.igs"), false, [&](std::string_view s) { statuses.emplace_back(s); });
  ASSERT_TRUE(outcome.ok) << outcome.message;
  EXPECT_EQ(outcome.outputPath, Path("part.txt"));
  EXPECT_EQ(statuses, std::vector<std::string>{"Saving..."});

  std::string script;
  IGESImporter importer(fw::LineInputStream::FromMemory(file_), false);
  ASSERT_TRUE(importer.GetBrindlemarkObjects(script));
  const std::string written = ReadFile(Path("part.txt"));
  EXPECT_EQ(written, script + "\r");
  EXPECT_TRUE(written.ends_with("\r\n\r"));
  EXPECT_EQ(written.find(','), std::string::npos);
  EXPECT_EQ(Names(), (std::vector<std::string>{"part.igs", "part.txt"}));
}

TEST_F(ImportFileTest, ReplacesAnExistingOutputWhole) {
  WriteFile(Path("part.igs"), file_);
  WriteFile(Path("part.txt"), std::string(100000, 'x'));
  ASSERT_TRUE(ImportFile(Path("part.igs"), false).ok);
  const std::string written = ReadFile(Path("part.txt"));
  EXPECT_TRUE(written.starts_with("Brindlemark(1.1)\r\nStart Object\r\n"));
  EXPECT_EQ(written.find('x'), std::string::npos);
  EXPECT_EQ(Names(), (std::vector<std::string>{"part.igs", "part.txt"}));
}

TEST_F(ImportFileTest, NeverOverwritesItsInput) {
  WriteFile(Path("x.txt"), file_);
  WriteFile(Path("x.igs"), file_);
  for (const ImportOutcome& outcome :
       {ImportFile(Path("x.txt"), false), ImportFileTo(Path("x.igs"), dir_ + "/./x.igs", false)}) {
    EXPECT_FALSE(outcome.ok);
    EXPECT_NE(outcome.message.find("overwrite the input"), std::string::npos) << outcome.message;
  }
  EXPECT_EQ(ReadFile(Path("x.txt")), file_);
  EXPECT_EQ(ReadFile(Path("x.igs")), file_);
  EXPECT_EQ(Names(), (std::vector<std::string>{"x.igs", "x.txt"}));
}

TEST_F(ImportFileTest, UnwritableOutputGivesTheSystemsReasonAndLeavesNothing) {
  // Tests run as root, who may write anywhere: a missing folder or a file in
  // place of a folder fails before anything is written, a folder in place of
  // the output only at the final rename, when the temporary file exists.
  WriteFile(Path("part.igs"), file_);
  fs::create_directory(Path("folder"));
  const struct {
    std::string output;
    int reason;
  } cases[] = {{Path("missing/part.txt"), ENOENT}, {Path("part.igs/part.txt"), ENOTDIR}, {Path("folder"), EISDIR}};
  for (const auto& c : cases) {
    const ImportOutcome outcome = ImportFileTo(Path("part.igs"), c.output, false);
    EXPECT_FALSE(outcome.ok);
    EXPECT_EQ(outcome.message, "Cannot write " + c.output + ": " + std::strerror(c.reason));
  }
  EXPECT_EQ(Names(), (std::vector<std::string>{"folder", "part.igs"}));
  EXPECT_TRUE(fs::is_empty(Path("folder")));
}

TEST_F(ImportFileTest, FailedConversionWritesNothing) {
  WriteFile(Path("bad.igs"), IgesFile({{CurveParameters(1, {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}}, {1, 1, 1}), 3}}));
  const struct {
    std::string input, message;
  } cases[] = {
      {Path("bad.igs"), "Cannot convert " + Path("bad.igs") + ": Directory entry D 1 (type 126)"},
      {Path("absent.igs"), "Cannot convert " + Path("absent.igs") + ": Input file does not exist"},
  };
  for (const auto& c : cases) {
    bool saved = false;
    const ImportOutcome outcome = ImportFile(c.input, false, [&](std::string_view) { saved = true; });
    EXPECT_FALSE(outcome.ok);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(outcome.message.starts_with(c.message)) << outcome.message;
  }
  EXPECT_EQ(Names(), std::vector<std::string>{"bad.igs"});
}

// --- The shared sample files ---

// Structure exactly, coordinates within 1e-9 relative: the last digits of a
// coordinate may differ between correct evaluations. "" when they agree.
std::string ScriptDifference(const std::string& expected, const std::string& actual) {
  if (!actual.ends_with("\r\n\r")) return "does not end with CR LF CR";
  const std::vector<std::string> e = Lines(expected), a = Lines(actual);
  if (e.size() != a.size()) return std::to_string(a.size()) + " lines, expected " + std::to_string(e.size());
  auto fields = [](const std::string& line) {
    std::vector<std::string> out;
    std::stringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) out.push_back(field);
    return out;
  };
  for (std::size_t i = 0; i < e.size(); ++i) {
    const std::vector<std::string> ef = fields(e[i]), af = fields(a[i]);
    bool same = ef.size() != 5 ? e[i] == a[i] : af.size() == 5 && ef[0] == af[0] && ef[1] == af[1];
    for (std::size_t j = 2; same && ef.size() == 5 && j < 5; ++j) {
      const double ev = fw::Val(ef[j]), av = fw::Val(af[j]);
      same = std::abs(ev - av) <= 1e-9 * std::max(1.0, std::abs(ev));
    }
    if (!same) return "line " + std::to_string(i + 1) + ": " + a[i] + ", expected " + e[i];
  }
  return "";
}

class ImportFileSamples : public ImportFileTest {
 protected:
  void SetUp() override {
    if (!fs::is_directory(samples_)) GTEST_SKIP() << "no samples at " << samples_;
    ImportFileTest::SetUp();
  }
  const fs::path samples_ = BM_SAMPLES_DIR;
};

TEST_F(ImportFileSamples, EveryFileConvertsButTheBrokenOne) {
  Settings settings(16, 16);
  for (const char* folder : {"generated", "real"}) {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(samples_ / folder)) files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
      // large.igs is the benchmark's file: too slow for the sanitizer run.
      const std::string extension = file.extension().string();
      if ((extension != ".igs" && extension != ".iges") || file.filename() == "large.igs") continue;
      const ImportOutcome outcome = ImportFileTo(file.string(), Path("out.txt"), true);
      if (file.filename() == "bad_header.igs") {
        EXPECT_FALSE(outcome.ok);
        EXPECT_NE(outcome.message.find("Directory entry D "), std::string::npos) << outcome.message;
      } else {
        EXPECT_TRUE(outcome.ok) << outcome.message;
      }
    }
  }
}

// The settings of an expected script, from its name
// INPUT.ALONGxSIDE.sSCALE.cCURVES.txt, where INPUT ends in .igs or .iges.
struct ExpectedName {
  std::string input;
  int along = 0, side = 0, curves = 0;
  char scale[32] = {};
};

bool ParseExpectedName(const std::string& name, ExpectedName& out) {
  std::size_t end = name.find(".igs.");
  if (end != std::string::npos) {
    end += 4;
  } else if ((end = name.find(".iges.")) != std::string::npos) {
    end += 5;
  } else {
    return false;
  }
  out.input = name.substr(0, end);
  // The scale's own points stop the scan only before "c".
  if (std::sscanf(name.c_str() + end, ".%dx%d.s%30[0-9.]c%d.txt", &out.along, &out.side, out.scale, &out.curves) != 4) {
    return false;
  }
  out.scale[std::strlen(out.scale) - 1] = '\0';  // the point before "c"
  return true;
}

TEST_F(ImportFileSamples, ReproducesTheExpectedScripts) {
  int compared = 0;
  for (const auto& entry : fs::directory_iterator(samples_ / "expected")) {
    const std::string filename = entry.path().filename().string();
    ExpectedName name;
    ASSERT_TRUE(ParseExpectedName(filename, name)) << filename;
    fs::path input = samples_ / "generated" / name.input;
    if (!fs::exists(input)) input = samples_ / "real" / name.input;
    Settings settings(name.along, name.side, name.scale);
    const ImportOutcome outcome = ImportFileTo(input.string(), Path("out.txt"), name.curves == 1);
    ASSERT_TRUE(outcome.ok) << filename << ": " << outcome.message;
    EXPECT_EQ(ScriptDifference(ReadFile(entry.path().string()), ReadFile(Path("out.txt"))), "") << filename;
    ++compared;
  }
  EXPECT_GT(compared, 0);
}

TEST_F(ImportFileSamples, NonuniformKnotsGiveTheScriptOfUniformOnes) {
  Settings settings(16, 16);
  ASSERT_TRUE(ImportFileTo((samples_ / "generated/small.igs").string(), Path("uniform.txt"), false).ok);
  ASSERT_TRUE(ImportFileTo((samples_ / "generated/small_nonuniform.igs").string(), Path("other.txt"), false).ok);
  EXPECT_EQ(ReadFile(Path("other.txt")), ReadFile(Path("uniform.txt")));
}

}  // namespace
