#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/runtime.h"
#include "iges/iges_reader.h"
#include "reader_support.h"

namespace {

using igestest::AsCurve;
using igestest::AsSurface;
using igestest::Curve;
using igestest::IgesFile;
using igestest::MemoryReader;
using igestest::Mentions;
using igestest::ReadAll;
using igestest::Surface;

// First stored coordinate (the file's X) of every element, in the order handed out.
std::vector<double> FirstXs(IGESReader& reader) {
  std::vector<double> xs;
  for (const auto& e : ReadAll(reader)) {
    if (const NURBSCurve* c = AsCurve(e)) xs.push_back(c->ControlPoints.at(1));
    if (const NURBSSurface* s = AsSurface(e)) xs.push_back(s->ControlPoints.at(1));
  }
  return xs;
}

int yields = 0;
void CountYield() { ++yields; }

TEST(Reader, HandsOutElementsInFileOrderWhateverTheLineEnds) {
  IgesFile file;
  file.Add(126, Curve("1."));
  file.Add(128, Surface("2."));
  file.Add(126, Curve("3."));
  for (const char* eol : {"\n", "\r\n", "\r", "\r\r\n"}) {
    SCOPED_TRACE(testing::PrintToString(std::string(eol)));
    yields = 0;
    fw::InstallBackgroundTask(&CountYield);
    MemoryReader m(file.Text(true, eol) + eol + eol, false);
    const auto elements = ReadAll(m.reader);
    fw::InstallBackgroundTask(nullptr);
    ASSERT_EQ(elements.size(), 3u) << m.reader.ErrorMessage;
    EXPECT_EQ(elements[0]->ElementType(), 126);
    EXPECT_EQ(elements[1]->ElementType(), 128);
    EXPECT_EQ(AsCurve(elements[2])->ControlPoints.at(1), 3.0);
    // Running out of kept entries is not an error, and stays the end.
    EXPECT_EQ(m.reader.ErrorMessage, "");
    EXPECT_FALSE(m.reader.ReadNextNURBSElement());
    EXPECT_EQ(m.reader.ErrorMessage, "");
    // The window stays responsive: a yield for each of the 12 lines read.
    EXPECT_GE(yields, 12);
  }
}

TEST(Reader, FileWithoutStartSectionBeginsWithItsGlobalLine) {
  IgesFile file;
  file.Add(126, Curve("4."));
  const std::string text = file.Text();
  MemoryReader m(text.substr(text.find('\n') + 1), false);
  EXPECT_EQ(FirstXs(m.reader), std::vector<double>{4.0});
  EXPECT_EQ(m.reader.ErrorMessage, "");
}

TEST(Reader, JoinsParameterLinesTrimmedWithNothingBetween) {
  IgesFile file;
  file.Entry(126, 1, 3);
  // "10." is cut after its first digit: a blank or separator put between the
  // pieces would read as 1.
  file.Parameter("126,1,1,0,0,1,0,", 1);
  file.Parameter("   0.,0.,1.,1.,1.,1.,0.,0.,0.,1", 1);
  file.Parameter("0.,20.,30.,0.,1.;", 1);
  MemoryReader m(file.Text(), false);
  const auto elements = ReadAll(m.reader);
  ASSERT_EQ(elements.size(), 1u) << m.reader.ErrorMessage;
  EXPECT_EQ(AsCurve(elements[0])->ControlPoints, (std::vector<double>{0, 0, 0, 0, 10, 30, 20}));
}

// Columns 67-68 of a curve's status number, its subordinate switch, decide
// whether a curve is kept when trim curves are not wanted.
TEST(Reader, KeepsCurvesByStatusNumberAndTheCurveSwitch) {
  struct Row {
    int type;
    const char* status;
    bool keptWithoutSwitch;
  };
  const std::vector<Row> rows = {
      {126, "00000000", true}, {126, "00010000", false}, {126, "", false},        {126, "01000001", true},
      {126, "00001000", true}, {126, "00020000", false}, {128, "00010000", true}, {128, "", true},
  };
  IgesFile file;
  std::vector<double> all, independent;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::string x = std::to_string(i + 1) + ".";
    file.Add(rows[i].type, rows[i].type == 126 ? Curve(x) : Surface(x), rows[i].status);
    all.push_back(static_cast<double>(i + 1));
    if (rows[i].keptWithoutSwitch) independent.push_back(static_cast<double>(i + 1));
  }
  for (bool curves : {false, true}) {
    MemoryReader m(file.Text(), curves);
    EXPECT_EQ(FirstXs(m.reader), curves ? all : independent) << "curve switch " << curves;
    EXPECT_EQ(m.reader.ErrorMessage, "");
  }
}

TEST(Reader, ReadsThroughTheLinesOfEntitiesItDoesNotKeep) {
  IgesFile file;
  file.Add(128, Surface("1."));
  file.Add(124, "124,1.,0.,0.,0.,0.,1.,0.,0.,0.,0.,1.,0.;", "00000000", 20);
  file.Add(128, Surface("2."));
  MemoryReader m(file.Text(), true);
  EXPECT_EQ(FirstXs(m.reader), (std::vector<double>{1.0, 2.0}));
  EXPECT_EQ(m.reader.ErrorMessage, "");
}

// IGES lines are 80 columns; a directory line cut short after its section
// letter must still put the second line's fields at 11 to 19 of the entry.
TEST(Reader, ShortDirectoryLineIsPaddedTo80Columns) {
  IgesFile file;
  file.Add(126, Curve("5."), "00000000", 6);  // ten lines: a count of two digits
  std::string text = file.Text();
  for (const char* number : {"1\n", "2\n"}) {
    const std::string padded = std::string("D      ") + number;
    text.replace(text.find(padded), padded.size(), "D\n");
  }
  MemoryReader m(text, false);
  EXPECT_EQ(FirstXs(m.reader), std::vector<double>{5.0});
  EXPECT_EQ(m.reader.ErrorMessage, "");
}

TEST(Reader, ParameterDelimiterComesFromColumn1Or3OfTheFirstGlobalLine) {
  struct Row {
    std::string global;
    std::string delimiter;
  };
  const std::vector<Row> rows = {
      {",,7Hexample,;", ","},
      {"1H,,1H;,7Hexample,;", ","},
      {"1H;;1H/;7Hexample;/", ";"},
      {"xx#;;", "#"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.global);
    std::string params = Curve("6.");
    for (char& c : params) {
      if (c == ',') c = row.delimiter[0];
    }
    IgesFile file(row.global);
    file.Add(126, params);
    MemoryReader m(file.Text(), false);
    EXPECT_EQ(m.reader.ParameterDelimiter(), row.delimiter);
    EXPECT_EQ(FirstXs(m.reader), std::vector<double>{6.0});
    EXPECT_EQ(m.reader.ErrorMessage, "");
  }
  MemoryReader defaulted(IgesFile(",,;").Text(), false);
  EXPECT_EQ(defaulted.reader.RecordDelimiter(), ";");
}

TEST(Reader, FailuresOfTheLeadingSectionsStopWithTheirMessage) {
  const std::string s = igestest::Record("start", 'S', 1) + "\n";
  const std::string g = igestest::Record(",,;", 'G', 1) + "\n";
  IgesFile twoEntries;
  twoEntries.Entry(128, 1, 1);
  twoEntries.Entry(128, 2, 1);
  struct Row {
    std::string text;
    std::string message;
    std::size_t kept;
  };
  const std::vector<Row> rows = {
      {"", "EOF reached in Start Section", 0},
      {"\n\r\n", "EOF reached in Start Section", 0},
      {s + s, "EOF reached in Start Section", 0},
      {s + g, "EOF reached in Global Section", 0},
      {s + g + igestest::Record("7Hexample;", 'G', 2), "EOF reached in Global Section", 0},
      // The stream ends right after the last directory line: the pair in
      // hand is not looked at, the pairs before it are kept.
      {twoEntries.Text(false), "EOF reached in Directory Entry Section", 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.text.substr(0, 100)));
    MemoryReader m(row.text, true);
    EXPECT_EQ(m.reader.ErrorMessage, row.message);
    EXPECT_EQ(m.reader.DirectoryEntries().size(), row.kept);
    EXPECT_FALSE(m.reader.ReadNextNURBSElement());
    EXPECT_EQ(m.reader.ErrorMessage, row.message);
  }
}

TEST(Reader, PathsThatCannotBeReadSayWhy) {
  IGESReader missing("/nonexistent-folder/part.igs", false);
  EXPECT_EQ(missing.ErrorMessage, "Input file does not exist");
  EXPECT_FALSE(missing.ReadNextNURBSElement());

  IGESReader folder(testing::TempDir(), false);
  EXPECT_TRUE(Mentions(folder.ErrorMessage, "Cannot open the input file"));
  EXPECT_FALSE(folder.ReadNextNURBSElement());
}

// A kept entry that cannot be handed out ends the reading with nullptr and a
// message naming the entry's directory sequence number and the reason.
TEST(Reader, UnreadableEntryNamesItsDirectoryEntryAndTheReason) {
  struct Row {
    const char* name;
    std::function<void(IgesFile&)> build;
    std::size_t readBefore;  // elements handed out before the failure
    std::vector<std::string> mentions;
  };
  const std::vector<Row> rows = {
      {"Parameter Data cut short",
       [](IgesFile& f) {
         f.Entry(126, 1, 3);
         f.Parameter("126,1,1,0,0,1,0,0.,0.,1.,1.,1.,1.,", 1);
         f.Parameter("0.,0.,0.,1.,1.,1.,", 1);
       },
       0,
       {"Directory entry D 1 (", "P 3"}},
      {"pointer past the last line",
       [](IgesFile& f) {
         f.Add(126, Curve("1."));
         f.Entry(128, 9, 1);
       },
       1,
       {"Directory entry D 3 (", "P 9", "not found"}},
      {"entries out of order",
       [](IgesFile& f) {
         f.Entry(126, 3, 1);
         f.Entry(126, 2, 1);
         f.Entry(124, 1, 1);
         f.Parameter("124,1.,0.,0.,0.,0.,1.,0.,0.,0.,0.,1.,0.;", 5);
         f.Parameter(Curve("2."), 3);
         f.Parameter(Curve("1."), 1);
       },
       1,
       {"Directory entry D 3 (", "P 2", "not found"}},
      {"line count 0",
       [](IgesFile& f) {
         f.Entry(126, 1, 0);
         f.Parameter(Curve("1."), 1);
       },
       0,
       {"Directory entry D 1 (", "count is 0"}},
      {"pointer 0",
       [](IgesFile& f) {
         f.Entry(128, 0, 1);
         f.Parameter(Surface("1."), 1);
       },
       0,
       {"Directory entry D 1 (", "pointer is 0"}},
      {"text of another type",
       [](IgesFile& f) { f.Add(126, "124,1.,0.,0.,0.,0.,1.,0.,0.,0.,0.,1.,0.;"); },
       0,
       {"Directory entry D 1 (", "P 1", "\"124\""}},
      {"blank before the first delimiter",
       [](IgesFile& f) { f.Add(126, "126 ,1,1,0,0,1,0,0.,0.,1.,1.,1.,1.;"); },
       0,
       {"Directory entry D 1 (", "\"126 \""}},
      {"fewer fields than the counts need",
       [](IgesFile& f) {
         f.Add(128, Surface("1."));
         f.Add(126, "126,1,1,0,0,1,0,0.,0.,1.,1.,1.,1.;");
       },
       1,
       {"Directory entry D 3 (", "P 3", "fields 14 to 19"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    IgesFile file;
    row.build(file);
    MemoryReader m(file.Text(), true);
    ASSERT_EQ(m.reader.ErrorMessage, "");
    EXPECT_EQ(ReadAll(m.reader).size(), row.readBefore);
    const std::string message = m.reader.ErrorMessage;
    for (const std::string& part : row.mentions) EXPECT_TRUE(Mentions(message, part));
    EXPECT_FALSE(m.reader.ReadNextNURBSElement());
    EXPECT_EQ(m.reader.ErrorMessage, message);
  }
}

// A real file: CR CR LF line ends, the delimiter in Hollerith form, six
// surfaces of two Parameter Data lines each.
TEST(Reader, RealFileWithCrCrLfLineEnds) {
  IGESReader reader(std::string(BM_TEST_DATA_DIR) + "/brick.iges", false);
  const auto elements = ReadAll(reader);
  EXPECT_EQ(reader.ErrorMessage, "");
  ASSERT_EQ(elements.size(), 6u);
  const NURBSSurface* first = AsSurface(elements[0]);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->ControlPoints, (std::vector<double>{0, -5, 5, -5, 1, 5, 5, -5, 1, -5, 5, 5, 1, 5, 5, 5, 1}));
}

}  // namespace
