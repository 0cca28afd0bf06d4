#include "framework/text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <tuple>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST(FrameworkVal, ReadsTheLeadingNumberAndSaysWhereItStopped) {
  const std::string zeros(400, '0');
  const std::tuple<std::string, double, std::size_t> cases[] = {
      {"", 0, 0}, {"   ", 0, 0}, {"  -3.5", -3.5, 6}, {"\t8", 8, 2}, {"+7", 7, 2}, {"1.", 1, 2}, {"-.25", -0.25, 4},
      {"1.5D3", 1500, 5}, {"2.5d-1", 0.25, 6}, {"1e+2", 100, 4}, {"-4.D0,", -4, 5}, {"1D+", 1, 1}, {"1e5D3", 1e5, 3},
      {"12abc", 12, 2}, {"1e-400", 0, 6}, {"-", 0, 0}, {".", 0, 0}, {"+.e5", 0, 0}, {"+-5", 0, 0}, {"inf", 0, 0},
      {"-inf", 0, 0}, {"nan", 0, 0}, {"0x10", 0, 1}, {"1e-310", 1e-310, 6}, {"0e99999", 0, 7}, {"1e+400", kInf, 6},
      {"-1D400", -kInf, 6}, {"1.5e-400", 0, 8}, {"-0.01e+400", -kInf, 10}, {"1e99999999999", kInf, 13},
      // Out of range by the place of the first significant digit, not by the exponent's sign:
      {"0." + zeros + zeros + "1e+400", 0, 808}, {"1" + zeros + ".5e-10", kInf, 407}, {"-1" + zeros, -kInf, 402},
      {"0." + zeros + std::string(380, '0') + "1e790", 1e9, 787}, {"1" + zeros + "D-390", 1e10, 406},
      // Past what a 64-bit mantissa holds: 2^64 + 1 must not wrap to 1.
      {"18446744073709551617", 18446744073709551617.0, 20}, {"0.0000000000000000001", 1e-19, 21}};
  for (const auto& [text, value, used] : cases) {
    for (const std::string tail : {"", "5", "D5", " 5", "-5", ".5"}) {  // nothing past the end counts
      SCOPED_TRACE(text.substr(0, 12) + "|" + tail + " (" + std::to_string(text.size()) + " characters)");
      std::size_t taken = 99;
      EXPECT_EQ(fw::Val(std::string_view(text + tail).substr(0, text.size()), taken), value);
      EXPECT_EQ(taken, used);
    }
  }
}

TEST(FrameworkCStr, WritesTheTextOfStdToCharsWithoutMinusZero) {
  const std::pair<double, const char*> cases[] = {
      {0.0, "0"}, {-0.0, "0"}, {-2.5, "-2.5"}, {0.1 + 0.2, "0.30000000000000004"}, {1e-3, "0.001"}, {1e-4, "1e-04"},
      {1.2345e-4, "0.00012345"}, {1.2345e-5, "1.2345e-05"}, {1e4, "10000"}, {1e5, "1e+05"}, {1.5e6, "1500000"},
      {1.5e7, "1.5e+07"}, {1e10, "1e+10"}, {1e-10, "1e-10"}, {123456789012.0, "123456789012"}, {1e100, "1e+100"},
      {-0x1p60, "-1152921504606846976"}, {5e-324, "5e-324"}, {2.2250738585072009e-308, "2.225073858507201e-308"},
      {-1.7976931348623157e308, "-1.7976931348623157e+308"}, {kInf, "inf"}};
  for (const auto& [value, text] : cases) EXPECT_EQ(fw::CStr(value), text);
  EXPECT_EQ(fw::Str(kMin), "-2147483648");
}

// Random decimal texts, what they read as, and doubles of any bit pattern; WriteCStr in at most 24 characters.
TEST(FrameworkText, NumbersAgreeWithFromCharsAndToChars) {
  auto expectToChars = [](double value) {
    char expected[32], room[32] = {};
    ASSERT_EQ(std::string(room, fw::WriteCStr(room, value)),
              std::string(expected, std::to_chars(expected, expected + sizeof expected, value).ptr));
    ASSERT_EQ(room[24], '\0');
  };
  expectToChars(0.0);  // its "0" must be written, not found in the room
  std::mt19937_64 random(20240601);
  for (int trial = 0; trial < 100000; ++trial) {
    std::string digits = std::to_string(random());
    digits.resize(1 + random() % digits.size());
    digits.insert(random() % (digits.size() + 1), ".");
    const std::string exponent = std::to_string(static_cast<long>(random() % 81) - 40);
    const std::string text = digits + "e" + exponent;
    double value = 0.0;
    std::from_chars(digits.data(), digits.data() + digits.size(), value);
    ASSERT_EQ(fw::Val(digits), value) << digits;
    std::from_chars(text.data(), text.data() + text.size(), value);
    ASSERT_EQ(fw::Val(text), value) << text;
    ASSERT_EQ(fw::Val("-" + digits + "D" + exponent), -value) << text;
    expectToChars(value);
    const std::uint64_t bits = random();
    std::memcpy(&value, &bits, sizeof value);
    expectToChars(value);
  }
}

TEST(FrameworkToInt32, TruncatesSaturatesAndRejects) {
  const std::tuple<double, std::int32_t, bool> cases[] = {  // value, ToInt32, ToInt32Checked accepts it
      {0.9, 0, true}, {-0.9, 0, true}, {16.7, 16, true}, {-16.7, -16, true}, {2147483647.9, kMax, true},
      {2147483648.0, kMax, false}, {1e10, kMax, false}, {-2147483648.9, kMin, true}, {-2147483649.0, kMin, false},
      {kInf, kMax, false}, {-kInf, kMin, false}, {std::numeric_limits<double>::quiet_NaN(), 0, false}};
  for (const auto& [value, saturated, fits] : cases) {
    std::int32_t out = 0;
    EXPECT_EQ(fw::ToInt32(value), saturated) << value;
    EXPECT_EQ(fw::ToInt32Checked(value, out) ? out : -1, fits ? saturated : -1) << value;  // -1: rejected
  }
}

TEST(FrameworkText, PiecesAndPositionsAreClampedToTheText) {
  constexpr std::int64_t kHuge = std::numeric_limits<std::int64_t>::max();
  const std::string t = "abcdef";
  const std::pair<std::string_view, std::string_view> views[] = {
      {fw::NthField("a,b,c", ",", 1), "a"}, {fw::NthField("a,b,c", ",", 3), "c"}, {fw::NthField("a,b,c", ",", 4), ""},
      {fw::NthField("a,b,c", ",", 0), ""},  {fw::NthField("a,b,c", ",", -1), ""}, {fw::NthField(",a,", ",", 3), ""},
      {fw::NthField("a,,b", ",", 2), ""},   {fw::NthField(" a,b", ",", 1), " a"}, {fw::NthField("a<>b", "<>", 2), "b"},
      {fw::NthField("abc", "", 1), "abc"},  {fw::NthField("abc", "", 2), ""},     {fw::NthField("", ",", 1), ""},
      {fw::Mid(t, 2, 3), "bcd"},            {fw::Mid(t, 5, 10), "ef"},            {fw::Mid(t, 7, 1), ""},
      {fw::Mid(t, -1, 2), "ab"},            {fw::Mid(t, 1, -1), ""},              {fw::Mid(t, 2, kHuge), "bcdef"},
      {fw::Mid(t, kHuge, 2), ""},           {fw::Mid(t, 3), "cdef"},              {fw::Mid(t, 6), "f"},
      {fw::Left(t, 3), "abc"},              {fw::Left(t, 99), "abcdef"},          {fw::Left(t, -2), ""},
      {fw::Trim("  a b \t"), "a b"},        {fw::Trim("   "), ""}};
  for (std::size_t i = 0; i < std::size(views); ++i) EXPECT_EQ(views[i].first, views[i].second) << "case " << i;
  const std::pair<std::int64_t, std::int64_t> positions[] = {
      {fw::InStr(1, "abcabc", "bc"), 2}, {fw::InStr(0, "abcabc", "bc"), 2}, {fw::InStr(3, "abcabc", "bc"), 5},
      {fw::InStr(5, "abcabc", "bc"), 5}, {fw::InStr(6, "abcabc", "bc"), 0}, {fw::InStr(6, "abcabc", "c"), 6},
      {fw::InStr(7, "abcabc", "c"), 0},  {fw::InStr(1, "abc", ""), 0},      {fw::InStr(1, "", "a"), 0}};
  for (std::size_t i = 0; i < std::size(positions); ++i) EXPECT_EQ(positions[i].first, positions[i].second) << i;
}

TEST(FrameworkText, ReplaceAllReplacesEveryOccurrenceOnce) {
  const char* const cases[][4] = {{"1,5\t-2,25", ",", ".", "1.5\t-2.25"}, {"aaa", "aa", "b", "ba"},
                                  {"a-b", "-", "--", "a--b"}, {"x\r\ny\r\n", "\r\n", "\r", "x\ry\r"},
                                  {"abc", "", "x", "abc"}, {"abab", "ab", "", ""}, {"", "a", "b", ""}};
  for (const auto& [text, sought, replacement, result] : cases) {
    EXPECT_EQ(fw::ReplaceAll(text, sought, replacement), result) << text;
    std::string inPlace = text;
    fw::ReplaceAllInPlace(inPlace, sought, replacement);
    EXPECT_EQ(inPlace, result) << text;
  }
}

}  // namespace
