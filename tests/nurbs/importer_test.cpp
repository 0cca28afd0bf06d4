#include "nurbs/iges_importer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
const std::string kTwoPointCurve = CurveText(1, {{1, 1, 1}, {2, 2, 2}}, {1, 1});

// An object is known by its type, its row count and its first row: the first
// control point, the file's X, Y, Z written X, Z, Y. A curve takes the along
// count alone; a curve of two points is left out.
TEST(Importer, ObjectsFollowTheFileOrder) {
  Settings settings(4, 3);
  const IgesFile file = IgesFile::Of(
      {SurfaceText(3, 2, {{1, 2, 3, 1}, {2, 2, 3, 1}, {3, 2, 3, 1}, {1, 3, 4, 1}, {2, 3, 4, 1}, {3, 3, 4, 1}}), kCurve,
       kTwoPointCurve, CurveText(1, {{4, 5, 6}, {5, 5, 5}, {6, 5, 4}, {7, 7, 7}}, {1, 1, 1, 1})});
  const Imported imported = Import(file);
  ASSERT_TRUE(imported.ok) << imported.message;
  EXPECT_TRUE(imported.script.starts_with("Brindlemark(1.1)\r\nStart Object\r\n"));
  std::vector<std::string> objects;
  for (const TextObject& o : Objects(imported.script)) {
    objects.push_back(o.type + " " + fw::Str(static_cast<std::int64_t>(o.rows.size())) + " " + o.rows.at(0));
  }
  EXPECT_EQ(objects, (std::vector<std::string>{"3 12 " + Row(0, 0, 1, 3, 2), "1 4 " + Row(0, 0, 7, 9, 8),
                                               "1 4 " + Row(0, 0, 4, 6, 5)}));

  for (const IgesFile& empty : {IgesFile(), IgesFile::Of({kTwoPointCurve})}) {
    const Imported header = Import(empty);
    EXPECT_TRUE(header.ok);
    EXPECT_EQ(header.script + header.message, "Brindlemark(1.1)\r\n");
  }
}

// The objects before a failed entry are not handed out either.
TEST(Importer, FailureGivesAMessageAndNoScript) {
  Settings settings(16, 16);
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
