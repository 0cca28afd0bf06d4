#include "nurbs/iges_importer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "test_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define BM_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BM_ADDRESS_SANITIZER 1
#endif
#endif

namespace {

using namespace nurbs_test;

struct Imported {
  bool ok = false;
  std::string script, message;
};

// Reads text from memory, or from a file by path when one is given.
Imported Import(const std::string& text, const std::string& path = "") {
  IGESImporter importer = path.empty() ? IGESImporter(fw::LineInputStream::FromMemory(text), false)
                                       : IGESImporter(path, false);
  Imported result{false, "left over", ""};
  result.ok = importer.GetBrindlemarkObjects(result.script);
  result.message = importer.ErrorMessage();
  return result;
}

Imported Import(const IgesFile& file) { return Import(file.Text()); }

const std::string kCurve = CurveText(2, {{7, 8, 9}, {8, 8, 8}, {9, 7, 9}}, {1, 1, 1});

// A file without curves or surfaces gives the header alone; a failure gives
// its message and not even the objects before the failed entry.
TEST(Importer, HeaderAloneOrAMessageAndNoScript) {
  Settings settings(16, 16);
  EXPECT_EQ(Import(IgesFile()).script, "Brindlemark(1.1)\r\n");
  IgesFile claimsMore;
  claimsMore.Add(126, kCurve, IgesFile::kIndependent, 2);
  const std::pair<IgesFile, const char*> cases[] = {
      {claimsMore, "Directory entry D 1 (type 126)"},
      {IgesFile::Of({kCurve, "126,5,2;"}), "Directory entry D 3 (type 126)"},
      {IgesFile::Of({kCurve, CurveText(2, {{1, 2, 3}, {2, 3, 4}, {3, 4, 5}}, {0, 0, 0})}),
       "Directory entry D 3 (type 126): its weights"},
  };
  for (const auto& [file, message] : cases) {
    const Imported imported = Import(file);
    EXPECT_FALSE(imported.ok) << message;
    EXPECT_EQ(imported.script, "") << message;
    EXPECT_THAT(imported.message, testing::HasSubstr(message));
  }
}

// A file written to the temporary folder for an importer to open by path,
// removed afterwards; named after the process, which may not be the only one
// running these tests.
struct TempFile {
  TempFile(const std::string& name, const std::string& text)
      : path(::testing::TempDir() + fw::Str(::getpid()) + "_" + name) {
    std::ofstream(path, std::ios::binary) << text;
  }
  ~TempFile() { std::filesystem::remove(path); }
  std::string path;
};

// A surface of the given degrees over nu x nv control points (U fastest),
// with round coordinates and unit weights.
std::string SurfaceOfDegree(int degreeU, int degreeV, int nu, int nv) {
  std::string text = "128," + fw::Str(nu - 1) + "," + fw::Str(nv - 1) + "," + fw::Str(degreeU) + "," +
                     fw::Str(degreeV) + ",0,0,0,0,0";
  for (int i = 0; i < nu + degreeU + 1; ++i) text += "," + fw::Str(i);
  for (int i = 0; i < nv + degreeV + 1; ++i) text += "," + fw::Str(i);
  for (int i = 0; i < nu * nv; ++i) text += ",1";
  for (int i = 0; i < nu * nv; ++i) text += "," + fw::Str(i % nu) + "," + fw::Str(i / nu) + "," + fw::Str(i % 3);
  return text + ",0.,1.,0.,1.;";
}

// A curve of 1 + degree control points whose coordinates have 16 to 17
// significant digits, as most real ones do.
std::string LongCurve(int degree) {
  std::vector<Point3> points;
  std::vector<double> weights;
  for (int i = 0; i <= degree; ++i) {
    points.push_back({100 * std::cos(i * 0.37) + 0.123456789, 50 * std::sin(i * 0.21), i * 0.731 - 20});
    weights.push_back(1 + std::sin(i) * std::sin(i) / 2);
  }
  return CurveText(degree, points, weights);
}

// A surface of degree 100 across holds the basis values of every step
// across, 824 bytes each, far more than its script: refused, from the
// directory and from the exact reading alike. The directory does not know
// degrees, so a cubic one is refused from memory but taken once its file is
// read. A curve, and a surface along, hold one step at a time: a degree-100
// curve or surface along whose script fits is taken.
TEST(ImporterMemory, CountsTheBasisValuesAConversionHolds) {
  fw::InstallMemorySize(1 << 20);
  const std::string wide = IgesFile::Of({SurfaceOfDegree(100, 1, 101, 2)}).Text();
  const std::string cubic = IgesFile::Of({SurfaceOfDegree(3, 1, 4, 2)}).Text();
  const std::string curve = IgesFile::Of({LongCurve(100)}).Text();
  const std::string along = IgesFile::Of({SurfaceOfDegree(1, 100, 3, 101)}).Text();
  const std::string need = "these steps need about ";
  const std::string refused = " MB, but this computer has 1 MB; lower Ruler Steps or Cross Curve steps.";
  const struct {
    const char* what;
    const std::string& file;
    bool byPath;
    std::int32_t along, side;
    std::string message;  // "" when taken
  } cases[] = {
      {"degree 100", wide, false, 1, 2048, need + "3" + refused},
      {"degree 100", wide, true, 1, 2048, need + "2" + refused},
      {"cubic", cubic, false, 1, 2048, need + "3" + refused},
      {"cubic", cubic, true, 1, 2048, ""},
      {"curve", curve, false, 2000, 16, ""},
      {"degree 100 along", along, true, 2048, 1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.what) + (c.byPath ? " by path" : " from memory"));
    Settings settings(c.along, c.side);
    const TempFile file("memory_case.igs", c.file);
    const Imported imported = Import(c.file, c.byPath ? file.path : "");
    EXPECT_EQ(imported.message, c.message);
    EXPECT_EQ(imported.ok, c.message.empty());
  }
  fw::InstallMemorySize(0);
}

// The process's resident memory in bytes: now ("VmRSS") or its peak since the
// last reset ("VmHWM"); 0 when the system does not tell.
std::uint64_t Resident(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(field + ":")) return std::stoull(line.substr(field.size() + 1)) * 1024;
  }
  return 0;
}

// A file of count faces of 2 x 2 control points, written at 3 x 3 rows
// whatever the steps, with coordinates of 16 to 17 digits: their headers are
// a tenth of the script.
std::string SmallFaces(int count) {
  std::vector<std::string> faces;
  for (int i = 0; i < count; ++i) {
    const double x = -10 - i / 3.0 - 1.0 / 13, y = -20 - i / 7.0 - 1.0 / 17, z = -30 - i / 11.0 - 1.0 / 19;
    faces.push_back(SurfaceText(2, 2, {{x, y, z, 1}, {x - 1.0 / 7, y, z, 1}, {x, y - 1.0 / 3, z, 1},
                                       {x - 1.0 / 7, y - 1.0 / 3, z - 1.0 / 9, 1}}));
  }
  return IgesFile::Of(faces).Text();
}

// What a conversion really takes: a curve of degree 100 and a cubic one at
// many steps, and many small faces, their scripts at full length, the
// peak's growth measured while the elements are read and converted (the
// directory, read as the file is opened, is the file's). With that much
// memory less one byte the import is refused both from the directory and
// from the exact reading.
TEST(ImporterMemory, EstimateIsAtLeastTheMeasuredPeak) {
#ifdef BM_ADDRESS_SANITIZER
  GTEST_SKIP() << "the address sanitizer's shadow memory and quarantine are not the program's peak";
#endif
  if (Resident("VmHWM") == 0 || !(std::ofstream("/proc/self/clear_refs") << "5")) {
    GTEST_SKIP() << "the system does not tell the peak resident memory or cannot reset it";
  }
  // Large pages would round the resident size up to 2 MB at the script's
  // end, which tells nothing of what the conversion holds.
  ::prctl(PR_SET_THP_DISABLE, 1, 0, 0, 0);
  const struct {
    const char* what;
    std::string text;
    std::int32_t steps;
  } cases[] = {
      {"degree 100", IgesFile::Of({LongCurve(100)}).Text(), 20000},
      {"cubic", IgesFile::Of({LongCurve(3)}).Text(), 1000000},
      {"small faces", SmallFaces(2000), 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.what << " at " << c.steps << " steps");
    Settings settings(c.steps, c.steps);
    const TempFile file("memory_peak.igs", c.text);
    // Code and buffers that a first import brings in are the program's,
    // not the conversion's.
    ASSERT_TRUE(Import(c.text, file.path).ok);
    std::uint64_t peak = 0;
    {
      IGESImporter importer(file.path, false);
      std::string script;
      // Freed memory that the allocator keeps would be used again unseen.
      ::malloc_trim(0);
      std::ofstream("/proc/self/clear_refs") << "5";
      const std::uint64_t before = Resident("VmRSS");
      ASSERT_TRUE(importer.GetBrindlemarkObjects(script)) << importer.ErrorMessage();
      peak = Resident("VmHWM") - before;
    }
    ASSERT_GT(peak, 0u);
    fw::InstallMemorySize(peak - 1);
    for (const std::string& path : {std::string(), file.path}) {
      EXPECT_THAT(Import(c.text, path).message, testing::HasSubstr("these steps need about "))
          << (path.empty() ? "from the directory" : "from the file") << ", peak " << peak;
    }
    fw::InstallMemorySize(0);
  }
  ::prctl(PR_SET_THP_DISABLE, 0, 0, 0, 0);
}

}  // namespace
