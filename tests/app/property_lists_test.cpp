// The stored property lists: their bytes, and the one reader that applies them.
#include "app/property_lists.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "app/set_properties.h"

namespace {

namespace lists = shell::PropertyLists;
using shell::PropertyEntry;
using namespace std::literals;

std::vector<PropertyEntry> Decode(std::string_view list, std::size_t* consumed = nullptr) {
  std::vector<PropertyEntry> entries;
  const std::size_t used = shell::ReadPropertyList(list, [&](const PropertyEntry& e) { entries.push_back(e); });
  if (consumed) *consumed = used;
  return entries;
}

const PropertyEntry& Entry(std::string_view list, std::string_view name) {
  static std::vector<PropertyEntry> entries;
  entries = Decode(list);
  for (const PropertyEntry& e : entries) {
    if (e.name == name) return e;
  }
  ADD_FAILURE() << name << " is missing";
  static const PropertyEntry none;
  return none;
}

struct ListCase {
  const char* name;
  std::string_view list;
  std::size_t bytes, entries;
};

std::vector<ListCase> AllLists() {
  return {{"window", lists::kMainWindow, 295, 21},
          {"RoundRectangle1", lists::kRoundRectangle1, 269, 21},
          {"HelpT", lists::kHelpT, 365, 27},
          {"ImportButton", lists::kImportButton, 294, 25},
          {"lblFile", lists::kLblFile, 332, 27},
          {"AlongStepsF", lists::kAlongStepsF, 438, 37},
          {"SideStepsF", lists::kSideStepsF, 437, 37},
          {"lblFile1", lists::kLblFile1, 339, 27},
          {"chkExportRefCurves", lists::kChkExportRefCurves, 344, 27},
          {"lblFile11", lists::kLblFile11, 335, 27},
          {"ScaleF", lists::kScaleF, 414, 36},  // stored without InitialParent
          {"lblFile12", lists::kLblFile12, 323 + sizeof(lists::kNotice) - 1, 27}};
}

// A list cut anywhere decodes its whole entries and stops before the cut one;
// copies of exactly the cut length put anything read past them out of bounds.
TEST(AppPropertyLists, EveryListDecodesToExactlyItsLengthAndStopsAtACut) {
  for (const ListCase& c : AllLists()) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.list.size(), c.bytes);
    std::vector<std::size_t> ends = {0};  // the prefixes that decode entirely
    for (std::size_t n = 1; n <= c.list.size(); ++n) {
      const std::string cut(c.list.substr(0, n));
      std::size_t consumed = 0;
      for (const PropertyEntry& e : Decode(cut, &consumed)) {
        ASSERT_TRUE(e.text.empty() || (e.text.data() >= cut.data() && e.text.end() <= cut.data() + n));
      }
      if (consumed == n) ends.push_back(n);
      EXPECT_EQ(consumed, ends.back()) << "cut at " << n;
    }
    EXPECT_EQ(ends.back(), c.list.size());
    EXPECT_EQ(ends.size(), c.entries + 1);
  }
}

TEST(AppPropertyLists, ValuesAreStoredAndDecodedAsDesigned) {
  // Int32 big-endian, colours R G B, strings after a big-endian byte count.
  const std::pair<std::string_view, std::string_view> stored[] = {
      {lists::kRoundRectangle1, "Index \x80\x00\x00\x00Left \x00\x00\x00\xA2Top \x00\x00\x00\x26"sv},
      {lists::kRoundRectangle1, "LockLeft \x01LockTop \x01LockRight \x00"sv},
      {lists::kRoundRectangle1, "FillColor \xE1\xEF\xFF" "BorderWidth \x00\x00\x00\x01"sv},
      {lists::kMainWindow, "Title \x00\x00\x00\x1CIGES To Brindlemark Importer"sv},
  };
  for (const auto& [list, bytes] : stored) EXPECT_NE(list.find(bytes), std::string_view::npos) << bytes;

  EXPECT_EQ(Entry(lists::kMainWindow, "Title").text, "IGES To Brindlemark Importer");
  EXPECT_EQ(Entry(lists::kMainWindow, "Width").int32, 600);
  EXPECT_EQ(Entry(lists::kMainWindow, "MaxHeight").int32, 32000);
  EXPECT_EQ(Entry(lists::kMainWindow, "BackColor").rgb, 0xFFFFFFu);
  EXPECT_FALSE(Entry(lists::kMainWindow, "Resizeable").boolean);
  EXPECT_EQ(Entry(lists::kLblFile, "Left").int32, -5);
  EXPECT_EQ(Entry(lists::kRoundRectangle1, "FillColor").rgb, 0xE1EFFFu);
  EXPECT_EQ(Entry(lists::kLblFile12, "Text").text, lists::kNotice);
  for (const ListCase& c : AllLists()) {
    if (c.list == lists::kMainWindow) continue;
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Entry(c.list, "Name").text, c.name);
    EXPECT_EQ(Entry(c.list, "Index").int32, INT32_MIN);
    if (c.list == lists::kScaleF) continue;
    EXPECT_EQ(Entry(c.list, "InitialParent").text, c.list == lists::kHelpT ? "RoundRectangle1" : "");
  }
}

TEST(AppPropertyLists, ReaderStopsAtWhatItCannotMeasure) {
  const std::string bold = "Bold \x01"s;
  const std::pair<std::string, std::size_t> cases[] = {
      {bold + "Shadow \x01"s + bold, 6},       // an unknown name
      {bold + "Bold", 6},                      // no space after the name
      {bold + " \x01"s, 6},                    // an empty name
      {"Text \x00\x00\x01\x00"s "abc", 0},     // a string longer than the list
      {"Text \xFF\xFF\xFF\xFF"s, 0},           // a count of four gigabytes
      {"multiline \x01"s "BOLD \x00"s, 17}};  // names in any case
  for (const auto& [list, consumed] : cases) {
    std::size_t used = 0;
    Decode(list, &used);
    EXPECT_EQ(used, consumed) << testing::PrintToString(list);
  }
}

}  // namespace
