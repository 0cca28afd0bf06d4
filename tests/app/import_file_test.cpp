#include "app/import_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "nurbs/iges_importer.h"
#include "tests/nurbs/test_support.h"

namespace {

using namespace nurbs_test;
using Strings = std::vector<std::string>;
namespace fs = std::filesystem;

TEST(ImportFileOutputPath, CutsTheFileNameNotTheFolderAtTheFirstDot) {
  const std::pair<const char*, const char*> cases[] = {
      {"/data/part.igs", "/data/part.txt"},      {"/data/part.old.igs", "/data/part.txt"},
      {"/data/run.1/part.igs", "/data/run.1/part.txt"}, {"/data/part", "/data/part.txt"},
      {"/data/part.txt", "/data/part.txt"},      {"/data/.part.igs", "/data/.part.txt"},
      {"/data/.igs", "/data/.igs.txt"}};
  for (const auto& [input, output] : cases) EXPECT_EQ(OutputPathFor(input), output) << input;
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
  Strings Names() const {
    Strings names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  const std::string file_ = IgesFile::Of({CurveText(2, {{0.1, 2, 3}, {1.5, 2.25, 4}, {3, 0.75, 5}}, {1, 2, 1})}).Text();
  std::string dir_;
};

// An earlier output is replaced whole, as a safe save does: through a
// symbolic link, which stays, and with the file's permissions kept. The
// script gets one closing CR and keeps no comma.
TEST_F(ImportFileTest, WritesTheScriptAndOneCarriageReturn) {
  Settings settings(16, 16);
  WriteFile(Path("part.igs"), file_);
  WriteFile(Path("old.txt"), std::string(100000, 'x'));
  fs::permissions(Path("old.txt"), fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("old.txt", Path("part.txt"));
  Strings statuses;
  const ImportOutcome outcome =
      ImportFile(Path("part.igs"), false, [&](std::string_view s) { statuses.emplace_back(s); });
  ASSERT_TRUE(outcome.ok) << outcome.message;
  EXPECT_EQ(outcome.outputPath, Path("part.txt"));
  EXPECT_EQ(statuses, Strings{"Saving..."});
  std::string script;
  IGESImporter importer(fw::LineInputStream::FromMemory(file_), false);
  ASSERT_TRUE(importer.GetBrindlemarkObjects(script));
  EXPECT_EQ(ReadFile(Path("old.txt")), script + "\r");
  EXPECT_TRUE(script.ends_with("End Object\r\n"));
  EXPECT_EQ(script.find(','), std::string::npos);
  EXPECT_TRUE(fs::is_symlink(Path("part.txt")));
  EXPECT_EQ(fs::status(Path("old.txt")).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Names(), (Strings{"old.txt", "part.igs", "part.txt"}));
}

// Nothing is written, an earlier output stays as it was and nothing is left
// behind; write failures give the system's reason. Tests run as root, who may
// write anywhere: a file size limit makes the write itself fail. A script
// too large for the memory is refused before any work.
TEST_F(ImportFileTest, FailuresWriteNothing) {
  WriteFile(Path("part.igs"), file_);
  WriteFile(Path("x.txt"), file_);
  WriteFile(Path("old.txt"), file_);
  IgesFile claimsMore;
  claimsMore.Add(126, CurveText(1, {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}}, {1, 1, 1}), IgesFile::kIndependent, 3);
  WriteFile(Path("bad.igs"), claimsMore.Text());
  fs::create_directory(Path("folder"));
  const std::string overwrite = "Not converted: the script of ";
  const struct {
    std::string input, output, message;  // the message's beginning
    bool saving;                         // the script was built
    std::uint64_t memory = 0;            // the computer's, when not 0
  } cases[] = {
      {"x.txt", "", overwrite + Path("x.txt") + " would overwrite the input file itself", false},
      {"part.igs", "./part.igs", overwrite + Path("part.igs") + " would overwrite the input file itself", false},
      {"bad.igs", "", "Cannot convert " + Path("bad.igs") + ": Directory entry D 1 (type 126)", false},
      {"absent.igs", "", "Cannot convert " + Path("absent.igs") + ": Input file does not exist", false},
      {"part.igs", "missing/part.txt", "Cannot write " + Path("missing/part.txt") + ": " + strerror(ENOENT), true},
      {"part.igs", "part.igs/part.txt", "Cannot write " + Path("part.igs/part.txt") + ": " + strerror(ENOTDIR), true},
      {"part.igs", "folder", "Cannot write " + Path("folder") + ": Filename refers to a directory", true},
      {"part.igs", "old.txt", "Cannot write " + Path("old.txt") + ": " + strerror(EFBIG), true},
      {"part.igs", "", "Cannot convert " + Path("part.igs") + ": at 16 steps its script would need", false, 1},
  };
  Settings settings(16, 16);
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit small{64, limit.rlim_max};
  ::setrlimit(RLIMIT_FSIZE, &small);
  for (const auto& c : cases) {
    bool saving = false;
    auto status = [&](std::string_view) { saving = true; };
    fw::InstallMemorySize(c.memory);
    const ImportOutcome outcome = c.output.empty() ? ImportFile(Path(c.input), false, status)
                                                   : ImportFileTo(Path(c.input), Path(c.output), false, status);
    EXPECT_FALSE(outcome.ok);
    EXPECT_TRUE(outcome.message.starts_with(c.message)) << outcome.message << "\ninstead of " << c.message;
    EXPECT_EQ(saving, c.saving) << c.message;
  }
  fw::InstallMemorySize(0);
  ::setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_EQ(Names(), (Strings{"bad.igs", "folder", "old.txt", "part.igs", "x.txt"}));
  EXPECT_TRUE(fs::is_empty(Path("folder")));
  EXPECT_EQ(ReadFile(Path("x.txt")) + ReadFile(Path("part.igs")) + ReadFile(Path("old.txt")), file_ + file_ + file_);
}

// --- The shared sample files ---

// Structure exactly, coordinates within 1e-9 relative: the last digits of a
// coordinate may differ between correct evaluations. "" when they agree.
std::string ScriptDifference(const std::string& expected, const std::string& actual) {
  if (!actual.ends_with("\r\n\r")) return "does not end with CR LF CR";
  const Strings e = Lines(expected), a = Lines(actual);
  auto field = [](const std::string& line, int n) { return fw::NthField(line, "\t", n); };
  for (std::size_t i = 0; i < std::max(e.size(), a.size()); ++i) {
    const std::string want = i < e.size() ? e[i] : "(end)", got = i < a.size() ? a[i] : "(end)";
    bool same = want == got;
    if (!same && !field(want, 5).empty()) {  // a point row
      same = field(want, 1) == field(got, 1) && field(want, 2) == field(got, 2) && !field(got, 5).empty() &&
             field(got, 6).empty();
      for (int j = 3; same && j <= 5; ++j) {
        const double ev = fw::Val(field(want, j)), av = fw::Val(field(got, j));
        same = std::abs(ev - av) <= 1e-9 * std::max(1.0, std::abs(ev));
      }
    }
    if (!same) return "line " + std::to_string(i + 1) + ": " + got + ", expected " + want;
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
    for (const auto& entry : fs::directory_iterator(samples_ / folder)) {
      // large.igs is the benchmark's file: too slow for the sanitizer run.
      const fs::path& file = entry.path();
      if ((file.extension() != ".igs" && file.extension() != ".iges") || file.filename() == "large.igs") continue;
      const ImportOutcome outcome = ImportFileTo(file.string(), Path("out.txt"), true);
      EXPECT_EQ(outcome.ok, file.filename() != "bad_header.igs") << file << ": " << outcome.message;
    }
  }
}

TEST_F(ImportFileSamples, ReproducesTheExpectedScripts) {
  int compared = 0;
  for (const auto& entry : fs::directory_iterator(samples_ / "expected")) {
    // INPUT.ALONGxSIDE.sSCALE.cCURVES.txt, where the scale may hold a point.
    const std::string name = entry.path().filename().string();
    const std::size_t c = name.rfind(".c"), s = name.rfind(".s", c - 1), steps = name.rfind('.', s - 1);
    ASSERT_TRUE(name.ends_with(".txt") && c != std::string::npos && s != std::string::npos) << name;
    fs::path input = samples_ / "generated" / name.substr(0, steps);
    if (!fs::exists(input)) input = samples_ / "real" / name.substr(0, steps);
    Settings settings(std::stoi(name.substr(steps + 1)), std::stoi(name.substr(name.find('x', steps) + 1)),
                      name.substr(s + 2, c - s - 2));
    const ImportOutcome outcome = ImportFileTo(input.string(), Path("out.txt"), name[c + 2] == '1');
    ASSERT_TRUE(outcome.ok) << name << ": " << outcome.message;
    EXPECT_EQ(ScriptDifference(ReadFile(entry.path().string()), ReadFile(Path("out.txt"))), "") << name;
    ++compared;
  }
  EXPECT_GT(compared, 0);
}

}  // namespace
