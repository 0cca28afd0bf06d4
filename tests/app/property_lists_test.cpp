// The stored property lists: their bytes, and the one reader that applies them.
#include "app/property_lists.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QMainWindow>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "app/set_properties.h"

namespace {

namespace lists = shell::PropertyLists;
using shell::PropertyEntry;
using shell::ReadPropertyList;

std::vector<PropertyEntry> Decode(std::string_view list, std::size_t* consumed = nullptr) {
  std::vector<PropertyEntry> entries;
  const std::size_t used = ReadPropertyList(list, [&](const PropertyEntry& e) { entries.push_back(e); });
  if (consumed) *consumed = used;
  return entries;
}

const PropertyEntry* Entry(const std::vector<PropertyEntry>& entries, std::string_view name) {
  for (const PropertyEntry& e : entries) {
    if (e.name == name) return &e;
  }
  return nullptr;
}

// The order of entries of each kind of list, as the lists were stored.
const std::vector<std::string> kWindowOrder = {
    "Placement",      "Width",       "Height",       "MinWidth",   "MinHeight",      "MaxWidth",       "MaxHeight",
    "Frame",          "Composite",   "HasBackColor", "BackColor",  "Title",          "Visible",        "FullScreen",
    "MenuBarVisible", "CloseButton", "Resizeable",   "LiveResize", "MaximizeButton", "MinimizeButton", "MacProcID"};
const std::vector<std::string> kHead = {"Name",     "Index",   "Left",      "Top",        "Width",        "Height",
                                        "LockLeft", "LockTop", "LockRight", "LockBottom", "TabPanelIndex"};

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const std::vector<std::string> kBoxOrder =
    Join(kHead, {"Visible", "HelpTag", "AutoDeactivate", "Enabled", "FillColor", "BorderWidth", "BorderColor",
                 "OvalWidth", "OvalHeight", "InitialParent"});
const std::vector<std::string> kLabelOrder = Join(
    kHead, {"TabIndex", "Text", "TextAlign", "TextColor", "Multiline", "Enabled", "Visible", "HelpTag",
            "AutoDeactivate", "TextFont", "Bold", "Italic", "Underline", "DataSource", "DataField", "InitialParent"});
const std::vector<std::string> kButtonOrder =
    Join(kHead, {"TabIndex", "TabStop", "Caption", "Default", "Cancel", "Enabled", "Visible", "HelpTag",
                 "AutoDeactivate", "TextFont", "Bold", "Italic", "Underline", "InitialParent"});
const std::vector<std::string> kFieldOrder =
    Join(kHead, {"TabIndex",   "TabStop",   "Border",     "Password",  "UseFocusRing",   "TextColor", "BackColor",
                 "Enabled",    "Format",    "Visible",    "HelpTag",   "AutoDeactivate", "TextFont",  "Bold",
                 "Italic",     "Underline", "CueText",    "Text",      "Mask",           "ReadOnly",  "LimitText",
                 "AcceptTabs", "Alignment", "DataSource", "DataField", "InitialParent"});
const std::vector<std::string> kCheckBoxOrder =
    Join(kHead, {"TabIndex", "TabStop", "Caption", "Enabled", "Visible", "HelpTag", "AutoDeactivate", "TextFont",
                 "Bold", "Italic", "Underline", "State", "Value", "DataSource", "DataField", "InitialParent"});

std::vector<std::string> WithoutLast(std::vector<std::string> order) {
  order.pop_back();
  return order;
}

struct ListCase {
  const char* name;
  std::string_view list;
  std::vector<std::string> order;
  std::size_t bytes;
};

std::vector<ListCase> AllLists() {
  const std::size_t notice = std::string_view(lists::kNotice).size();
  return {
      {"window", lists::kMainWindow, kWindowOrder, 295},
      {"RoundRectangle1", lists::kRoundRectangle1, kBoxOrder, 269},
      {"HelpT", lists::kHelpT, kLabelOrder, 365},
      {"ImportButton", lists::kImportButton, kButtonOrder, 294},
      {"lblFile", lists::kLblFile, kLabelOrder, 332},
      {"AlongStepsF", lists::kAlongStepsF, kFieldOrder, 438},
      {"SideStepsF", lists::kSideStepsF, kFieldOrder, 437},
      {"lblFile1", lists::kLblFile1, kLabelOrder, 339},
      {"chkExportRefCurves", lists::kChkExportRefCurves, kCheckBoxOrder, 344},
      {"lblFile11", lists::kLblFile11, kLabelOrder, 335},
      {"ScaleF", lists::kScaleF, WithoutLast(kFieldOrder), 414},
      {"lblFile12", lists::kLblFile12, kLabelOrder, 323 + notice},
  };
}

TEST(AppPropertyLists, EveryListDecodesToExactlyItsStoredLength) {
  for (const ListCase& c : AllLists()) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.list.size(), c.bytes);
    std::size_t consumed = 0;
    const std::vector<PropertyEntry> entries = Decode(c.list, &consumed);
    EXPECT_EQ(consumed, c.list.size());
    std::vector<std::string> names;
    for (const PropertyEntry& e : entries) names.emplace_back(e.name);
    EXPECT_EQ(names, c.order);
  }
}

// The one list whose bytes were written out entry by entry where it was
// designed: name and space, then the value.
TEST(AppPropertyLists, RoundRectangleListIsByteForByteTheStoredOne) {
  using namespace std::string_view_literals;
  // clang-format off
  const std::string_view entries[] = {
      "Name \x00\x00\x00\x0F" "RoundRectangle1"sv,
      "Index \x80\x00\x00\x00"sv,
      "Left \x00\x00\x00\xA2"sv,
      "Top \x00\x00\x00\x26"sv,
      "Width \x00\x00\x01\xA2"sv,
      "Height \x00\x00\x00\x23"sv,
      "LockLeft \x01"sv,
      "LockTop \x01"sv,
      "LockRight \x00"sv,
      "LockBottom \x00"sv,
      "TabPanelIndex \x00\x00\x00\x00"sv,
      "Visible \x01"sv,
      "HelpTag \x00\x00\x00\x00"sv,
      "AutoDeactivate \x01"sv,
      "Enabled \x01"sv,
      "FillColor \xE1\xEF\xFF"sv,
      "BorderWidth \x00\x00\x00\x01"sv,
      "BorderColor \x00\x00\x00"sv,
      "OvalWidth \x00\x00\x00\x10"sv,
      "OvalHeight \x00\x00\x00\x10"sv,
      "InitialParent \x00\x00\x00\x00"sv,
  };
  // clang-format on
  std::string expected;
  for (std::string_view entry : entries) expected += entry;
  ASSERT_EQ(expected.size(), 269u);
  EXPECT_EQ(lists::kRoundRectangle1, expected);
}

TEST(AppPropertyLists, ValuesDecodeAsStored) {
  const std::vector<PropertyEntry> window = Decode(lists::kMainWindow);
  ASSERT_NE(Entry(window, "Title"), nullptr);
  EXPECT_EQ(Entry(window, "Title")->text, "IGES To Brindlemark Importer");
  EXPECT_NE(lists::kMainWindow.find(std::string_view("Title \x00\x00\x00\x1CIGES To", 14)), std::string_view::npos);
  EXPECT_EQ(Entry(window, "Width")->int32, 600);
  EXPECT_EQ(Entry(window, "MaxHeight")->int32, 32000);
  EXPECT_EQ(Entry(window, "BackColor")->rgb, 0xFFFFFFu);
  EXPECT_FALSE(Entry(window, "Resizeable")->boolean);

  EXPECT_EQ(Entry(Decode(lists::kLblFile), "Left")->int32, -5);
  EXPECT_EQ(Entry(Decode(lists::kRoundRectangle1), "FillColor")->rgb, 0xE1EFFFu);
  EXPECT_EQ(Entry(Decode(lists::kLblFile12), "Text")->text, lists::kNotice);

  for (const ListCase& c : AllLists()) {
    if (std::string_view(c.name) == "window") continue;
    SCOPED_TRACE(c.name);
    const std::vector<PropertyEntry> entries = Decode(c.list);
    EXPECT_EQ(Entry(entries, "Name")->text, c.name);
    EXPECT_EQ(Entry(entries, "Index")->int32, INT32_MIN);
    const PropertyEntry* parent = Entry(entries, "InitialParent");
    if (std::string_view(c.name) == "ScaleF") {
      EXPECT_EQ(parent, nullptr);
    } else {
      ASSERT_NE(parent, nullptr);
      EXPECT_EQ(parent->text, std::string_view(c.name) == "HelpT" ? "RoundRectangle1" : "");
    }
  }
}

// A list cut anywhere decodes its whole entries and stops before the cut one;
// copies of exactly the cut length put anything read past them out of bounds.
TEST(AppPropertyLists, CutListStopsAtItsLastWholeEntry) {
  for (const ListCase& c : AllLists()) {
    SCOPED_TRACE(c.name);
    // The ends of whole entries, found as the prefixes that decode entirely.
    std::vector<std::size_t> ends = {0};
    for (std::size_t n = 1; n <= c.list.size(); ++n) {
      const std::string cut(c.list.substr(0, n));
      std::size_t consumed = 0;
      const std::vector<PropertyEntry> entries = Decode(cut, &consumed);
      ASSERT_LE(consumed, n);
      if (consumed == n) ends.push_back(n);
      EXPECT_EQ(consumed, ends.back()) << "cut at " << n;
      for (const PropertyEntry& e : entries) {
        if (e.text.empty()) continue;
        ASSERT_GE(e.text.data(), cut.data());
        ASSERT_LE(e.text.data() + e.text.size(), cut.data() + cut.size());
      }
    }
    EXPECT_EQ(ends.size(), c.order.size() + 1);
  }
}

TEST(AppPropertyLists, ReaderStopsAtWhatItCannotMeasure) {
  const std::string bold("Bold \x01", 6);
  const struct {
    const char* what;
    std::string list;
    std::size_t consumed;
  } cases[] = {
      {"unknown name", bold + std::string("Shadow \x01", 8) + bold, 6},
      {"no space after the name", bold + "Bold", 6},
      {"empty name", bold + std::string(" \x01", 2), 6},
      {"string longer than the list",
       std::string("Text \x00\x00\x01\x00"
                   "abc",
                   12),
       0},
      {"count of four gigabytes", std::string("Text \xFF\xFF\xFF\xFF", 9), 0},
      {"names in any case",
       std::string("multiline \x01"
                   "BOLD \x00",
                   17),
       17},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::size_t consumed = 0;
    Decode(c.list, &consumed);
    EXPECT_EQ(consumed, c.consumed);
  }
}

// Applying cut lists must neither crash nor leave a control half set in a
// way later entries depend on; every prefix is applied to a fresh control.
TEST(AppPropertyLists, ApplyingCutListsIsSafe) {
  for (const ListCase& c : AllLists()) {
    SCOPED_TRACE(c.name);
    for (std::size_t n = 0; n <= c.list.size(); n += 7) {
      QWidget parent;
      std::unique_ptr<QWidget> target;
      if (std::string_view(c.name) == "window") {
        auto* window = new QMainWindow;
        window->setCentralWidget(new QWidget);
        target.reset(window);
      } else {
        target.reset(new QLabel(&parent));
      }
      shell::SetProperties(target.get(), std::string(c.list.substr(0, n)));
      target->hide();
    }
  }
}

}  // namespace
