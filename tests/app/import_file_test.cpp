#include "app/import_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
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
      {"/data/part.igs", "/data/part.txt"}, {"/data/part.old.igs", "/data/part.txt"}, {"/data/part", "/data/part.txt"},
      {"/data/run.1/part.igs", "/data/run.1/part.txt"}, {"/data/part.txt", "/data/part.txt"},
      {"/data/.part.igs", "/data/.part.txt"}, {"/data/.igs", "/data/.igs.txt"}};
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
    dir_ = ::testing::TempDir() + "import_file_XXXXXX";
    ASSERT_NE(::mkdtemp(dir_.data()), nullptr);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  Strings Names() const {
    Strings names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  const std::string curve_ = CurveText(2, {{0.1, 2, 3}, {1.5, 2.25, 4}, {3, 0.75, 5}}, {1, 2, 1});
  const std::string file_ = IgesFile::Of({curve_}).Text();
  std::string dir_;
};

// As a safe save does, the script replaces an earlier output through a link,
// which stays, keeping its permissions; memory for its typical rows, not its
// longest, is enough, and patches of two control points count as the 3 x 3
// rows they give. A failure leaves an earlier output as it was and nothing
// behind (for root a file size limit makes the write fail); a script too large
// for the memory is refused before it is built, and before the elements of
// curves.igs, which cannot be read, are converted.
TEST_F(ImportFileTest, SavesAsASafeSaveDoes) {
  for (const char* name : {"part.igs", "x.txt", "new.txt"}) WriteFile(Path(name), file_);
  WriteFile(Path("curves.igs"), IgesFile::Of({"126;", "126;"}).Text());
  std::vector<Point4> net;
  for (int i = 0; i < 9; ++i) net.push_back({i % 3 * 1.0, i / 3 * 1.0, i == 4 ? 1.0 : 0.0, 1});
  WriteFile(Path("mixed.igs"), IgesFile::Of({curve_, SurfaceText(3, 3, net)}).Text());
  const std::string flat = SurfaceText(2, 2, {{0, 0, 0, 1}, {1, 0, 0, 1}, {0, 1, 0, 1}, {1, 1, 0, 1}});
  WriteFile(Path("flat.igs"), IgesFile::Of({flat, flat}).Text());
  fs::permissions(Path("new.txt"), fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("new.txt", Path("part.txt"));
  const std::string overwrite = "Not converted: the script of ";
  const struct {
    std::string input, output, message;  // the message's beginning; "" for success
    bool saving;                         // the script was built
    std::int32_t steps = 16;
    std::uint64_t memory = 0;  // the computer's, when not 0
  } cases[] = {
      {"part.igs", "", "", true, 16, 1500},
      {"flat.igs", "", "", true, 10000, 4096},  // two 3 x 3 objects, whatever the steps
      {"x.txt", "", overwrite + Path("x.txt") + " would overwrite the input file itself", false},
      {"part.igs", "./part.igs", overwrite + Path("part.igs") + " would overwrite the input file itself", false},
      {"part.igs", "missing/part.txt", "Cannot write " + Path("missing/part.txt") + ": " + strerror(ENOENT), true},
      {"part.igs", "x.txt", "Cannot write " + Path("x.txt") + ": " + strerror(EFBIG), true, 10000},
      {"mixed.igs", "", "Cannot convert " + Path("mixed.igs") + ": these steps need about 9 GB, but this "
       "computer has 4 GB; lower Ruler Steps or Cross Curve steps.", false, 10000, std::uint64_t{4} << 30},
      {"curves.igs", "", "Cannot convert " + Path("curves.igs") + ": these steps need about 2 MB, but this computer "
       "has 1 MB; lower Ruler Steps.", false, 10000, 1 << 20},
  };
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  const rlimit small{1 << 16, limit.rlim_max};
  ::setrlimit(RLIMIT_FSIZE, &small);
  for (const auto& c : cases) {
    Settings settings(c.steps, c.steps);
    fw::InstallMemorySize(c.memory);
    bool saving = false;
    auto status = [&](std::string_view) { saving = true; };
    const ImportOutcome outcome = c.output.empty() ? ImportFile(Path(c.input), false, status)
                                                   : ImportFileTo(Path(c.input), Path(c.output), false, status);
    EXPECT_EQ(outcome.ok, c.message.empty()) << outcome.message;
    EXPECT_TRUE(outcome.message.starts_with(c.message)) << outcome.message << "\ninstead of " << c.message;
    EXPECT_EQ(saving, c.saving) << c.message;
  }
  fw::InstallMemorySize(0);
  ::setrlimit(RLIMIT_FSIZE, &limit);
  Settings settings(16, 16);
  std::string script;
  ASSERT_TRUE(IGESImporter(fw::LineInputStream::FromMemory(file_), false).GetBrindlemarkObjects(script));
  EXPECT_EQ(ReadFile(Path("new.txt")), script + "\r");
  EXPECT_TRUE(fs::is_symlink(Path("part.txt")));
  EXPECT_EQ(fs::status(Path("new.txt")).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(Names(), (Strings{"curves.igs", "flat.igs", "flat.txt", "mixed.igs", "new.txt", "part.igs", "part.txt", "x.txt"}));
  EXPECT_EQ(ReadFile(Path("x.txt")) + ReadFile(Path("part.igs")), file_ + file_);
}

// Asked to stop (the user closed the window) while it reads, while it
// prepares the text and while it writes, the road stops there and says so:
// an earlier script is as it was, and no temporary file is left.
TEST_F(ImportFileTest, StopsWhereverItIsAskedAndWritesNothing) {
  WriteFile(Path("part.igs"), file_);
  WriteFile(Path("part.txt"), "earlier");
  // Yields left before the stop; counted only once "Saving..." is shown when
  // afterSaving is set.
  static int yieldsLeft;
  static bool counting;
  fw::InstallBackgroundTask([] { return !counting || yieldsLeft-- > 0; });
  const struct {
    bool afterSaving;
    int yields;
  } cases[] = {{false, 0}, {true, 0}, {true, 1}};
  for (const auto& c : cases) {
    Settings settings(16, 16);
    yieldsLeft = c.yields;
    counting = !c.afterSaving;
    const ImportOutcome outcome = ImportFile(Path("part.igs"), false, [](std::string_view) { counting = true; });
    EXPECT_TRUE(outcome.stopped && !outcome.ok && yieldsLeft < 0) << c.afterSaving << c.yields;
    EXPECT_EQ(outcome.file, Path("part.igs"));
  }
  fw::InstallBackgroundTask(nullptr);
  EXPECT_EQ(Names(), (Strings{"part.igs", "part.txt"}));
  EXPECT_EQ(ReadFile(Path("part.txt")), "earlier");
}

}  // namespace
