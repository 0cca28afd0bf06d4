// The reader that SetProperties applies the stored property lists with.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

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
      {"Title \x00\x00\x00\x03" "abcmultiline \x01" "BOLD \x00"s, "Title=abc, multiline=1, BOLD=0, 30 bytes"},
      {bold + "Shadow \x01"s + bold, "Bold=1, 6 bytes"},  // an unknown name
      {bold + "Bold", "Bold=1, 6 bytes"},                 // no space after the name
      {bold + " \x01"s, "Bold=1, 6 bytes"},               // an empty name
      {bold + "Width \x00\x00\x02"s, "Bold=1, 6 bytes"},  // a number cut short
      {"Text \x00\x00\x00\x04"s "abc", "0 bytes"},        // a string longer than the list
      {"Text \xFF\xFF\xFF\xFF"s, "0 bytes"}};             // a count of four gigabytes
  for (const auto& [list, read] : cases) EXPECT_EQ(Decode(list), read) << testing::PrintToString(list);
}

}  // namespace
