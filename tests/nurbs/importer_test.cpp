#include "nurbs/iges_importer.h"

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

Imported Import(const std::string& file) {
  IGESImporter importer(fw::LineInputStream::FromMemory(file), false);
  Imported result;
  result.script = "left over";
  result.ok = importer.GetBrindlemarkObjects(result.script);
  result.message = importer.ErrorMessage();
  return result;
}

const IgesEntity kCurve{CurveParameters(2, {{7, 8, 9}, {8, 8, 8}, {9, 7, 9}}, {1, 1, 1})};
const IgesEntity kTwoPointCurve{CurveParameters(1, {{1, 1, 1}, {2, 2, 2}}, {1, 1})};

TEST(Importer, FileWithoutObjectsGivesTheHeaderAlone) {
  for (const std::string& file : {IgesFile({}), IgesFile({kTwoPointCurve})}) {
    const Imported imported = Import(file);
    EXPECT_TRUE(imported.ok) << imported.message;
    EXPECT_EQ(imported.script, "Brindlemark(1.1)\r\n");
    EXPECT_EQ(imported.message, "");
  }
}

TEST(Importer, ObjectsFollowTheFileOrder) {
  // Each element is known by its first row, its first control point with the
  // file's X, Y, Z stored as X, Z, Y. A curve takes the along count alone.
  Settings settings(4, 3);
  const std::vector<Point4> net = {{1, 2, 3, 1}, {2, 2, 3, 1}, {3, 2, 3, 1}, {1, 3, 4, 1}, {2, 3, 4, 1}, {3, 3, 4, 1}};
  const Imported imported =
      Import(IgesFile({{SurfaceParameters(3, 2, net)}, kCurve, kTwoPointCurve,
                       {CurveParameters(1, {{4, 5, 6}, {5, 5, 5}, {6, 5, 4}, {7, 7, 7}}, {1, 1, 1, 1})}}));
  ASSERT_TRUE(imported.ok) << imported.message;
  EXPECT_EQ(imported.script.rfind("Brindlemark(1.1)\r\nStart Object\r\n", 0), 0u);
  const std::vector<TextObject> objects = Objects(imported.script);
  ASSERT_EQ(objects.size(), 3u);
  const struct {
    const char* type;
    std::size_t rows;
    std::string first;
  } expected[] = {{"3", 12, Row(0, 0, 1, 3, 2)}, {"1", 4, Row(0, 0, 7, 9, 8)}, {"1", 4, Row(0, 0, 4, 6, 5)}};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(objects[i].type, expected[i].type) << "object " << i;
    ASSERT_EQ(objects[i].rows.size(), expected[i].rows) << "object " << i;
    EXPECT_EQ(objects[i].rows[0], expected[i].first) << "object " << i;
  }
}

TEST(Importer, FailureGivesAMessageAndNoScript) {
  Settings settings(16, 16);
  const IgesEntity zeroWeights{CurveParameters(2, {{1, 2, 3}, {2, 3, 4}, {3, 4, 5}}, {0, 0, 0})};
  const struct {
    const char* name;
    std::string file;
    const char* message;
  } cases[] = {
      {"global section without end", IgesLine("", 'S', 1) + IgesLine(",,;", 'G', 1), "EOF reached in Global Section"},
      {"directory claims lines the file lacks", IgesFile({{kCurve.parameters, 2}}), "Directory entry D 1 (type 126)"},
      // The objects before a failed entry must not be handed out either.
      {"entry cut short after a good one", IgesFile({kCurve, {"126,5,2;"}}), "Directory entry D 3 (type 126)"},
      {"entry that cannot be evaluated", IgesFile({kCurve, zeroWeights}), "Directory entry D 3 (type 126): its weights"},
  };
  for (const auto& c : cases) {
    const Imported imported = Import(c.file);
    EXPECT_FALSE(imported.ok) << c.name;
    EXPECT_EQ(imported.script, "") << c.name;
    EXPECT_NE(imported.message.find(c.message), std::string::npos) << c.name << ": " << imported.message;
  }
}

}  // namespace
