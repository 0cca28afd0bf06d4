#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "iges/iges_reader.h"
#include "reader_support.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> SampleFiles() {
  std::vector<fs::path> files;
  for (const char* folder : {"generated", "real"}) {
    const fs::path dir = fs::path(BM_SAMPLES_DIR) / folder;
    if (!fs::is_directory(dir)) continue;
    for (const auto& item : fs::directory_iterator(dir)) {
      const std::string ext = item.path().extension().string();
      if (ext == ".igs" || ext == ".iges") files.push_back(item.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Every kept entry of every sample is handed out, with either curve switch;
// the 20 MB benchmark file is read once.
TEST(ReaderSamples, EverySampleReadsToTheEnd) {
  const std::vector<fs::path> files = SampleFiles();
  if (files.empty()) GTEST_SKIP() << "no samples in " << BM_SAMPLES_DIR;
  for (const fs::path& path : files) {
    if (path.filename() == "bad_header.igs") continue;
    for (bool curves : {true, false}) {
      if (!curves && path.filename() == "large.igs") continue;
      SCOPED_TRACE(path.string() + (curves ? " with curves" : " without curves"));
      IGESReader reader(path.string(), curves);
      const std::size_t kept = reader.DirectoryEntries().size();
      EXPECT_EQ(igestest::ReadAll(reader).size(), kept);
      EXPECT_EQ(reader.ErrorMessage, "");
      if (curves) {
        EXPECT_GT(kept, 0u);
      }
    }
  }
}

TEST(ReaderSamples, BadHeaderEndsWithAClearMessage) {
  const fs::path path = fs::path(BM_SAMPLES_DIR) / "real" / "bad_header.igs";
  if (!fs::exists(path)) GTEST_SKIP() << path << " is absent";
  IGESReader reader(path.string(), true);
  // Its only surface claims 20 Parameter Data lines; the file holds fewer.
  EXPECT_TRUE(igestest::ReadAll(reader).empty());
  EXPECT_TRUE(igestest::Mentions(reader.ErrorMessage, "Directory entry D 1 ("));
  EXPECT_TRUE(igestest::Mentions(reader.ErrorMessage, "P 20"));
}

}  // namespace
