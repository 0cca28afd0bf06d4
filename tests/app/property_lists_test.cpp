// The reader that SetProperties applies the stored property lists with.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>

#include "app/property_lists.h"
#include "app/set_properties.h"

namespace {

using shell::PropertyType;
using namespace std::literals;

// The entries read, as "name=value, ", then how many bytes were read.
std::string Decode(std::string_view list) {
  std::string entries;
  const std::size_t consumed = shell::ReadPropertyList(list, [&](const shell::PropertyEntry& e) {
    EXPECT_TRUE(e.text.empty() || (e.text.data() >= list.data() && e.text.end() <= list.end()));
    const std::int64_t number =
        e.type == PropertyType::Int32 ? e.int32 : e.type == PropertyType::Color ? std::int64_t{e.rgb} : e.boolean;
    entries += std::string(e.name) + "=" +
               (e.type == PropertyType::String ? std::string(e.text) : std::to_string(number)) + ", ";
  });
  return entries + std::to_string(consumed) + " bytes";
}

// Int32 big-endian, colours R G B, strings after a big-endian byte count;
// names in any case. Reading stops before the first entry it cannot measure.
TEST(AppPropertyLists, ReaderDecodesWholeEntriesAndStopsAtWhatItCannotMeasure) {
  const std::string bold = "Bold \x01"s;
  const std::pair<std::string, const char*> cases[] = {
      {"Left \xFF\xFF\xFF\xFB" "FillColor \xE1\xEF\xFF"s, "Left=-5, FillColor=14807039, 22 bytes"},
      {"Title \x00\x00\x00\x03" "abcmultiline \x01" "aCCEPTtABS \x00"s,
       "Title=abc, multiline=1, aCCEPTtABS=0, 36 bytes"},
      {bold + "Shadow \x01"s + bold, "Bold=1, 6 bytes"},  // an unknown name
      {bold + "Bold", "Bold=1, 6 bytes"},                 // no space after the name
      {bold + " \x01"s, "Bold=1, 6 bytes"},               // an empty name
      {bold + "Width \x00\x00\x02"s, "Bold=1, 6 bytes"},  // a number cut short
      {bold + "Bold ", "Bold=1, 6 bytes"},                // a flag cut short
      {"Text \x00\x00\x00\x04"s "abc", "0 bytes"},        // a string longer than the list
      {"Text \xFF\xFF\xFF\xFF"s, "0 bytes"}};             // a count of four gigabytes
  for (const auto& [list, read] : cases) EXPECT_EQ(Decode(list), read) << testing::PrintToString(list);
}

// "Name=value|Name=value|...", a value running to the next '|'.
std::map<std::string, std::string, std::less<>> Values(std::string_view table) {
  std::map<std::string, std::string, std::less<>> values;
  for (std::size_t at = 0; at < table.size();) {
    const std::size_t end = std::min(table.find('|', at), table.size()), eq = table.find('=', at);
    values.emplace(table.substr(at, eq - at), table.substr(eq + 1, end - eq - 1));
    at = end + 1;
  }
  return values;
}

// The window and every control as built: each list read whole, entry by
// entry in its stored order, against the values the window was designed with.
TEST(AppPropertyLists, StoredListsHoldTheDesignedValuesInOrder) {
  namespace lists = shell::PropertyLists;
  const auto shared = Values(
      "Index=-2147483648|LockLeft=True|LockTop=True|LockRight=False|LockBottom=False|TabPanelIndex=0|Visible=True|"
      "Enabled=True|AutoDeactivate=True|HelpTag=|InitialParent=|TextFont=System|Bold=False|Italic=False|"
      "Underline=False|TextColor=000000|BackColor=FFFFFF|DataSource=|DataField=|TabStop=True|Border=True|"
      "Password=False|UseFocusRing=True|Format=|CueText=|Mask=|ReadOnly=False|LimitText=0|AcceptTabs=False|"
      "Alignment=0");
  const std::string head = "Name Index Left Top Width Height LockLeft LockTop LockRight LockBottom TabPanelIndex ";
  const std::string font = "AutoDeactivate TextFont Bold Italic Underline ";
  const std::string label = head + "TabIndex Text TextAlign TextColor Multiline Enabled Visible HelpTag " + font +
                            "DataSource DataField InitialParent";
  const std::string field = head + "TabIndex TabStop Border Password UseFocusRing TextColor BackColor Enabled Format "
                                   "Visible HelpTag " + font + "CueText Text Mask ReadOnly LimitText AcceptTabs "
                                   "Alignment DataSource DataField";
  const std::string notice = std::string("|Text=") + lists::kNotice;
  const struct {
    std::string_view list;
    std::string order, values;
  } cases[] = {
      {lists::kMainWindow,
       "Placement Width Height MinWidth MinHeight MaxWidth MaxHeight Frame Composite HasBackColor BackColor Title "
       "Visible FullScreen MenuBarVisible CloseButton Resizeable LiveResize MaximizeButton MinimizeButton MacProcID",
       "Placement=0|Width=600|Height=93|MinWidth=64|MinHeight=64|MaxWidth=32000|MaxHeight=32000|Frame=0|"
       "Composite=False|HasBackColor=False|Title=IGES To Brindlemark Importer|FullScreen=False|MenuBarVisible=True|"
       "CloseButton=True|Resizeable=False|LiveResize=False|MaximizeButton=False|MinimizeButton=True|MacProcID=0"},
      {lists::kRoundRectangle1,
       head + "Visible HelpTag AutoDeactivate Enabled FillColor BorderWidth BorderColor OvalWidth OvalHeight "
              "InitialParent",
       "Name=RoundRectangle1|Left=162|Top=38|Width=418|Height=35|FillColor=E1EFFF|BorderWidth=1|BorderColor=000000|"
       "OvalWidth=16|OvalHeight=16"},
      {lists::kHelpT, label,
       "Name=HelpT|Left=175|Top=40|Width=396|Height=33|TabIndex=0|Text=Click on Import and select file|TextAlign=0|"
       "Multiline=True|InitialParent=RoundRectangle1"},
      {lists::kImportButton,
       head + "TabIndex TabStop Caption Default Cancel Enabled Visible HelpTag " + font + "InitialParent",
       "Name=ImportButton|Left=500|Top=5|Width=80|Height=22|TabIndex=0|Caption=Import|Default=False|Cancel=False"},
      {lists::kLblFile, label,
       "Name=lblFile|Left=-5|Top=8|Width=80|Height=20|TabIndex=3|Text=Ruler Steps|TextAlign=2|Multiline=False"},
      {lists::kAlongStepsF, field + " InitialParent",
       "Name=AlongStepsF|Left=81|Top=7|Width=62|Height=22|TabIndex=4|Text=16"},
      {lists::kSideStepsF, field + " InitialParent",
       "Name=SideStepsF|Left=257|Top=7|Width=62|Height=22|TabIndex=5|Text=16"},
      {lists::kLblFile1, label,
       "Name=lblFile1|Left=152|Top=8|Width=98|Height=20|TabIndex=6|Text=Cross Curve steps|TextAlign=2|"
       "Multiline=False"},
      {lists::kChkExportRefCurves,
       head + "TabIndex TabStop Caption Enabled Visible HelpTag " + font + "State Value DataSource DataField "
              "InitialParent",
       "Name=chkExportRefCurves|Left=20|Top=43|Width=134|Height=21|TabIndex=7|Caption=Import Curves / Trims|State=0|"
       "Value=False"},
      {lists::kLblFile11, label,
       "Name=lblFile11|Left=331|Top=8|Width=64|Height=20|TabIndex=8|Text=Scale factor|TextAlign=2|Multiline=False"},
      {lists::kScaleF, field, "Name=ScaleF|Left=407|Top=7|Width=62|Height=22|TabIndex=9|Text=1"},
      {lists::kLblFile12, label,
       "Name=lblFile12|Left=8|Top=77|Width=572|Height=17|TabIndex=10|TextAlign=0|Multiline=True" + notice}};
  for (const auto& [list, order, values] : cases) {
    const auto own = Values(values);
    std::string expected, read;
    for (std::size_t at = 0; at < order.size();) {
      const std::size_t end = std::min(order.find(' ', at), order.size());
      const std::string name = order.substr(at, end - at);
      const auto& from = own.count(name) ? own : shared;
      const auto value = from.find(name);
      expected += name + '=' + (value != from.end() ? value->second : "(no designed value)") + '\n';
      at = end + 1;
    }
    const std::size_t bytes = shell::ReadPropertyList(list, [&](const shell::PropertyEntry& e) {
      char rgb[8];
      std::snprintf(rgb, sizeof rgb, "%06X", static_cast<unsigned>(e.rgb));
      read += std::string(e.name) + '=' +
              (e.type == PropertyType::Int32     ? std::to_string(e.int32)
               : e.type == PropertyType::Boolean ? (e.boolean ? "True" : "False")
               : e.type == PropertyType::Color   ? std::string(rgb)
                                                 : std::string(e.text)) +
              '\n';
    });
    EXPECT_EQ(read + std::to_string(bytes), expected + std::to_string(list.size()))
        << values.substr(0, values.find('|'));
  }
}

}  // namespace
