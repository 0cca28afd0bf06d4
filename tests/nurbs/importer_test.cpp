#include "nurbs/iges_importer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace {

using namespace nurbs_test;

struct Imported {
  bool ok = false;
  std::string script, message;
};

Imported Import(const IgesFile& file) {
  const std::string text = file.Text();
  IGESImporter importer(fw::LineInputStream::FromMemory(text), false);
  Imported result{false, "left over", ""};
  result.ok = importer.GetBrindlemarkObjects(result.script);
  result.message = importer.ErrorMessage();
  return result;
}

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

}  // namespace
