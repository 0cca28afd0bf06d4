#include "iges/iges_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "framework/runtime.h"
#include "framework/text.h"
#include "tests/support/iges_text.h"

namespace {

using igestext::IgesFile;
using igestext::Record;
using testing::HasSubstr;
using Strings = std::vector<std::string>;

// Keeps the text alive for as long as the reader reads it.
struct MemoryReader {
  MemoryReader(std::string bytes, bool importReferenceCurves)
      : text(std::move(bytes)), reader(fw::LineInputStream::FromMemory(text), importReferenceCurves) {}
  std::string text;
  IGESReader reader;
};

// Each element up to the first nullptr, as its kind and its first stored
// coordinate (the file's X).
Strings ReadAll(IGESReader& reader) {
  Strings elements;
  while (const auto e = reader.ReadNextNURBSElement()) {
    if (const auto* c = dynamic_cast<const NURBSCurve*>(e.get())) {
      elements.push_back("curve " + fw::CStr(c->ControlPoints.at(1)));
    } else if (const auto* s = dynamic_cast<const NURBSSurface*>(e.get())) {
      elements.push_back("surface " + fw::CStr(s->ControlPoints.at(1)));
    }
  }
  return elements;
}

std::string Curve(double x) { return igestext::CurveText(1, {{x, 0, 0}, {1, 1, 1}}, {1, 1}); }
std::string Surface(double x) {
  return igestext::SurfaceText(2, 2, {{x, 0, 0, 1}, {1, 0, 0, 1}, {0, 1, 0, 1}, {1, 1, 1, 1}});
}

int yields = 0;

// The kind comes from the Parameter Data, not the directory; lines of
// entities not kept are read through; any line end works.
TEST(Reader, HandsOutElementsInFileOrderWhateverTheLineEnds) {
  IgesFile file;
  file.Add(126, Curve(1));
  file.Add(128, Surface(2));
  file.Add(124, "124,1.,0.,0.,0.,0.,1.,0.,0.,0.,0.,1.,0.;", IgesFile::kIndependent, 0, 20);
  file.Add(126, Surface(3));
  file.Add(128, Curve(4));
  for (const std::string eol : {"\n", "\r\n", "\r", "\r\r\n"}) {
    for (bool startSection : {true, false}) {
      SCOPED_TRACE(testing::PrintToString(eol) + (startSection ? "" : " without Start section"));
      std::string text = file.Text(true, eol) + eol + eol;
      if (!startSection) text.erase(0, 80 + eol.size());
      yields = 0;
      fw::InstallBackgroundTask([] {
        ++yields;
        return true;
      });
      MemoryReader m(text, false);
      EXPECT_EQ(m.reader.CurrentEntrySequence(), 0);
      EXPECT_EQ(ReadAll(m.reader), (Strings{"curve 1", "surface 2", "surface 3", "curve 4"}));
      EXPECT_EQ(m.reader.CurrentEntrySequence(), 9);
      fw::InstallBackgroundTask(nullptr);
      // Running out of kept entries is not an error, and stays the end.
      EXPECT_EQ(m.reader.ErrorMessage, "");
      EXPECT_FALSE(m.reader.ReadNextNURBSElement());
      EXPECT_EQ(m.reader.ErrorMessage, "");
      // The window stays responsive: a yield at least for each of the 20 lines.
      EXPECT_GE(yields, 20);
    }
  }
}

// Columns 67-68 of a curve's status number, its subordinate switch, decide
// whether a curve is kept when trim curves are not wanted.
TEST(Reader, KeepsCurvesByStatusNumberAndTheCurveSwitch) {
  const struct {
    int type;
    const char* status;
    bool keptWithoutSwitch;
  } rows[] = {{126, "00000000", true}, {126, "00010000", false}, {126, "", false},        {126, "01000001", true},
              {126, "00001000", true}, {126, "00020000", false}, {128, "00010000", true}, {128, "", true}};
  IgesFile file;
  Strings all, independent;
  for (const auto& row : rows) {
    const double x = static_cast<double>(all.size() + 1);
    file.Add(row.type, row.type == 126 ? Curve(x) : Surface(x), row.status);
    all.push_back((row.type == 126 ? "curve " : "surface ") + fw::CStr(x));
    if (row.keptWithoutSwitch) independent.push_back(all.back());
  }
  for (bool curves : {false, true}) {
    MemoryReader m(file.Text(), curves);
    EXPECT_EQ(ReadAll(m.reader), curves ? all : independent) << "curve switch " << curves;
    EXPECT_EQ(m.reader.ErrorMessage, "");
  }
}

// Files of one curve, written in the ways that real files differ.
TEST(Reader, ReadsTheCurveWhateverTheWriting) {
  IgesFile split;
  split.Entry(126, 1, 3);
  // "10." is cut after its first digit: a blank or separator put between the
  // pieces would read as 1.
  split.Parameter("126,1,1,0,0,1,0,", 1);
  split.Parameter("   0.,0.,1.,1.,1.,1.,1", 1);
  split.Parameter("0.,0.,0.,20.,30.,0.,0.,1.;", 1);
  // IGES lines are 80 columns; a directory line cut short after its section
  // letter must still put the second line's fields at 11 to 19 of the entry.
  IgesFile cut;
  cut.Add(126, Curve(10), IgesFile::kIndependent, 0, 4);  // a line count of two digits
  std::string cutText = cut.Text();
  for (const std::string number : {"1\n", "2\n"}) {
    const std::string padded = "D      " + number;
    cutText.replace(cutText.find(padded), padded.size(), "D\n");
  }
  // The first line after the Start section is the Global line, whatever its
  // section letter says.
  std::string lostLetter = IgesFile::Of({Curve(10)}).Text();
  lostLetter[lostLetter.find("G      1")] = ' ';
  Strings texts = {split.Text(), cutText, lostLetter};
  // The parameter delimiter comes from column 1 or 3 of the first Global line.
  const std::pair<std::string, char> delimiters[] = {
      {",,7Hexample,;", ','}, {"1H,,1H;,7Hexample,;", ','}, {"1H;;1H/;7Hexample;/", ';'}, {"xx#;;", '#'}};
  for (const auto& [global, delimiter] : delimiters) {
    std::string params = Curve(10);
    std::replace(params.begin(), params.end(), ',', delimiter);
    IgesFile file(global);
    file.Add(126, params);
    texts.push_back(file.Text());
  }
  for (const std::string& text : texts) {
    MemoryReader m(text, false);
    EXPECT_EQ(ReadAll(m.reader), Strings{"curve 10"}) << text.substr(0, 240) << m.reader.ErrorMessage;
  }
}

// A lone line that closes the directory is passed over: the pairs before it
// are kept and read; alone it leaves no entry.
TEST(Reader, LeadingSectionsAndTheirFailures) {
  const std::string s = Record("start", 'S', 1) + "\n";
  const std::string g = Record(",,;", 'G', 1) + "\n";
  IgesFile twoEntries;
  twoEntries.Entry(128, 1, 1);
  twoEntries.Entry(128, 2, 1);
  auto withoutDirectoryLine = [](IgesFile file, int sequence) {
    std::string text = file.Text();
    return text.erase(text.find("D" + igestext::Justify(fw::Str(sequence), 7) + "\n") - 72, 81);
  };
  IgesFile curves;
  curves.Add(126, Curve(1));
  curves.Add(126, Curve(2));
  const struct {
    std::string text, message;
    std::size_t kept;
  } rows[] = {
      {"", "EOF reached in Start Section", 0},
      {"\n\r\n", "EOF reached in Start Section", 0},
      {s + s, "EOF reached in Start Section", 0},
      {s + g, "EOF reached in Global Section", 0},
      {s + g + Record("7Hexample;", 'G', 2), "EOF reached in Global Section", 0},
      // The stream ends right after the last directory line: the pair in
      // hand is not looked at, the pairs before it are kept.
      {twoEntries.Text(false), "EOF reached in Directory Entry Section", 1},
      {withoutDirectoryLine(curves, 4), "", 1},
      {withoutDirectoryLine(IgesFile::Of({Curve(1)}), 2), "", 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.text.substr(0, 100)));
    MemoryReader m(row.text, true);
    EXPECT_EQ(m.reader.ErrorMessage, row.message);
    EXPECT_EQ(m.reader.DirectoryEntries().size(), row.kept);
    EXPECT_EQ(ReadAll(m.reader).size(), row.message.empty() ? row.kept : 0u);
    EXPECT_EQ(m.reader.ErrorMessage, row.message);
  }
}

TEST(Reader, PathsThatCannotBeReadSayWhy) {
  IGESReader missing("/nonexistent-folder/part.igs", false);
  EXPECT_EQ(missing.ErrorMessage, "Input file does not exist");
  EXPECT_FALSE(missing.ReadNextNURBSElement());
  IGESReader folder(testing::TempDir(), false);
  EXPECT_THAT(folder.ErrorMessage, HasSubstr("Cannot open the input file"));
  EXPECT_FALSE(folder.ReadNextNURBSElement());
  // A socket is there but does not open, even for root.
  const std::string path = testing::TempDir() + "reader_test.socket";
  sockaddr_un address{AF_UNIX, {}};
  path.copy(address.sun_path, sizeof address.sun_path - 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ::unlink(path.c_str());
  ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  IGESReader socket(path, false);
  EXPECT_THAT(socket.ErrorMessage, HasSubstr("Cannot open the input file: "));
  ::close(fd);
  ::unlink(path.c_str());
}

// A kept entry that cannot be handed out ends the reading with a message
// naming the entry's directory sequence number, its Parameter Data line and
// the reason. (Parameter Data that the file cuts short: bad_header.igs.)
TEST(Reader, UnreadableEntryNamesItsDirectoryEntryAndTheReason) {
  const std::string line = "124,1.,0.,0.,0.,0.,1.,0.,0.,0.,0.,1.,0.;";
  const struct {
    const char* name;
    std::function<void(IgesFile&)> build;
    std::size_t readBefore;
    Strings mentions;
  } rows[] = {
      {"entries out of order",
       [&](IgesFile& f) {
         f.Entry(126, 3, 1), f.Entry(126, 2, 1), f.Entry(124, 1, 1);
         f.Parameter(line, 5), f.Parameter(Curve(2), 3), f.Parameter(Curve(1), 1);
       },
       1, {"Directory entry D 3 (", "P 2", "not found"}},
      {"line count 0", [](IgesFile& f) { f.Entry(126, 1, 0), f.Parameter(Curve(1), 1); }, 0,
       {"Directory entry D 1 (", "count is 0"}},
      {"pointer 0", [](IgesFile& f) { f.Entry(128, 0, 1), f.Parameter(Surface(1), 1); }, 0,
       {"Directory entry D 1 (", "pointer is 0"}},
      // The readable entry behind the failed one is not handed out.
      {"text of another type", [&](IgesFile& f) { f.Add(126, line), f.Add(126, Curve(2)); }, 0,
       {"Directory entry D 1 (", "P 1", "\"124\""}},
      {"fewer fields than the counts need",
       [](IgesFile& f) { f.Add(128, Surface(1)), f.Add(126, "126,1,1,0,0,1,0,0.,0.,1.,1.,1.,1.;"); }, 1,
       {"Directory entry D 3 (", "P 3", "fields 14 to 19"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    IgesFile file;
    row.build(file);
    MemoryReader m(file.Text(), true);
    ASSERT_EQ(m.reader.ErrorMessage, "");
    EXPECT_EQ(ReadAll(m.reader).size(), row.readBefore);
    const std::string message = m.reader.ErrorMessage;
    for (const std::string& part : row.mentions) EXPECT_THAT(message, HasSubstr(part));
    EXPECT_FALSE(m.reader.ReadNextNURBSElement());
    EXPECT_EQ(m.reader.ErrorMessage, message);
  }
}

}  // namespace
