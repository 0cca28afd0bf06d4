#include "framework/text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cstdint>
#include <cstring>
#include <limits>
#include <locale>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

struct ValCase {
  std::string text;
  double value;
  std::size_t used;
};

void ExpectVal(const std::vector<ValCase>& cases) {
  for (const ValCase& c : cases) {
    SCOPED_TRACE("Val of " + c.text.substr(0, 12) + " (" + std::to_string(c.text.size()) + " characters)");
    std::size_t used = 99;
    EXPECT_EQ(fw::Val(c.text, used), c.value);
    EXPECT_EQ(used, c.used);
    EXPECT_EQ(fw::Val(c.text), c.value);
  }
}

TEST(FrameworkVal, ReadsTheLeadingNumberAndSaysWhereItStopped) {
  ExpectVal({
      {"", 0, 0},         {"   ", 0, 0},         {"42", 42, 2},       {"  -3.5", -3.5, 6},
      {"\t8", 8, 2},      {"+7", 7, 2},          {"1.", 1, 2},        {".5", 0.5, 2},
      {"-.25", -0.25, 4}, {"1.5D3", 1500, 5},    {"2.5d-1", 0.25, 6}, {"1E2", 100, 3},
      {"1e+2", 100, 4},   {"-4.D0,", -4, 5},     {"1e", 1, 1},        {"1D+", 1, 1},
      {"12abc", 12, 2},   {"1,5", 1, 1},         {"1 000", 1, 1},     {"007", 7, 3},
      {"abc", 0, 0},      {"-", 0, 0},           {".", 0, 0},         {"+.e5", 0, 0},
      {"inf", 0, 0},      {"-inf", 0, 0},        {"nan", 0, 0},       {"0x10", 0, 1},
      {"1e400", kInf, 5}, {"-1D400", -kInf, 6},  {"1e-400", 0, 6},    {"1e99999999999", kInf, 13},
      {"0e99999", 0, 7},  {"1e-310", 1e-310, 6},
  });
}

// Regression: an out-of-range result was called infinite or zero by the sign
// of the written exponent alone, so a tiny value written with many zeros and
// no exponent read as infinity (and a huge one with a small negative exponent
// as 0); fractional digits past the internal buffer were dropped.
TEST(FrameworkVal, LongDigitRunsKeepTheirMagnitude) {
  const std::string zeros(400, '0');
  ExpectVal({
      {"0." + zeros + "1", 0, 403},
      {"0." + zeros + "1e10", 0, 406},
      {"1" + zeros + "e-10", kInf, 405},
      {"-1" + zeros, -kInf, 402},
      {"0." + std::string(780, '0') + "1e790", 1e9, 787},
  });
}

// Random mantissas of 1 to 20 digits after up to 3 zeros, a point anywhere and
// an E or D exponent from -40 to 40 must read as the correctly rounded double,
// and CStr of it must read back to it.
TEST(FrameworkVal, AgreesWithCorrectRoundingOnRandomTexts) {
  auto correct = [](const std::string& text) {
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
  };
  std::mt19937_64 random(20240601);
  for (int trial = 0; trial < 20000; ++trial) {
    std::string digits = std::to_string(random());
    digits.resize(1 + random() % digits.size());
    digits.insert(0, random() % 4, '0');
    const std::size_t point = random() % (digits.size() + 1);
    const std::string mantissa = digits.substr(0, point) + "." + digits.substr(point);
    const std::string exponent = std::to_string(static_cast<long>(random() % 81) - 40);
    const double expected = correct(mantissa + "e" + exponent);
    ASSERT_EQ(fw::Val(mantissa + "e" + exponent), expected) << mantissa << "e" << exponent;
    ASSERT_EQ(fw::Val("-" + mantissa + "D" + exponent), -expected) << mantissa << "D" << exponent;
    ASSERT_EQ(fw::Val(fw::CStr(expected)), expected) << fw::CStr(expected);
  }
  for (const char* text : {"9007199254740993", "1e23", "8.98846567431158e307", "2.2250738585072011e-308",
                           "1.7976931348623157e308", "0.30000000000000004", "123456789012345678901234567890"}) {
    EXPECT_EQ(fw::Val(text), correct(text)) << text;
  }
}

TEST(FrameworkToInt32, TruncatesSaturatesAndRejects) {
  const struct {
    double value;
    std::int32_t saturated;
    bool fits;  // ToInt32Checked accepts it, giving the same value
  } cases[] = {{0.9, 0, true}, {-0.9, 0, true}, {16.7, 16, true}, {-16.7, -16, true}, {2147483647.9, kMax, true},
                {2147483648.0, kMax, false}, {1e10, kMax, false}, {-2147483648.9, kMin, true},
                {-2147483649.0, kMin, false}, {kInf, kMax, false}, {-kInf, kMin, false},
                {std::numeric_limits<double>::quiet_NaN(), 0, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "value " << c.value);
    EXPECT_EQ(fw::ToInt32(c.value), c.saturated);
    std::int32_t out = 0;
    EXPECT_EQ(fw::ToInt32Checked(c.value, out) ? out : -1, c.fits ? c.saturated : -1);  // -1: rejected
  }
}

TEST(FrameworkCStr, WritesTheShortestTextThatReadsBack) {
  const std::pair<double, const char*> exact[] = {{0.0, "0"},     {-0.0, "0"},   {1.0, "1"},
                                                  {100.0, "100"}, {-2.5, "-2.5"}, {0.1, "0.1"},
                                                  {0.1 + 0.2, "0.30000000000000004"}, {123456789012.0, "123456789012"}};
  for (const auto& [value, text] : exact) EXPECT_EQ(fw::CStr(value), text) << value;
  for (double value : {1e300, 5e-324, -1.7976931348623157e308, 2.5e-7}) {
    EXPECT_EQ(fw::Val(fw::CStr(value)), value) << fw::CStr(value);
  }
  EXPECT_EQ(fw::Str(kMin), "-2147483648");
}

// A decimal comma and a thousands point, as a German locale has them.
struct CommaPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(FrameworkCStr, IgnoresTheLocale) {
  bool cLocaleChanged = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8"}) {
    if ((cLocaleChanged = std::setlocale(LC_ALL, name) != nullptr)) break;
  }
  const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaPunct));
  const std::string written = fw::CStr(1234.5);
  const double read = fw::Val("1234.5");
  std::locale::global(previous);
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(written, "1234.5");
  EXPECT_EQ(read, 1234.5);
  if (!cLocaleChanged) GTEST_SKIP() << "no comma locale installed; only the C++ locale was changed";
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
      {fw::Mid(t, 1, 0), ""},               {fw::Mid(t, 1, -1), ""},              {fw::Mid(t, 2, kHuge), "bcdef"},
      {fw::Mid(t, kHuge, 2), ""},           {fw::Mid(t, 3), "cdef"},              {fw::Mid(t, 7), ""},
      {fw::Left(t, 3), "abc"},              {fw::Left(t, 99), "abcdef"},          {fw::Left(t, -2), ""},
      {fw::Trim("  a b \t"), "a b"},        {fw::Trim("   "), ""},
  };
  for (std::size_t i = 0; i < std::size(views); ++i) EXPECT_EQ(views[i].first, views[i].second) << "case " << i;
  const std::pair<std::int64_t, std::int64_t> positions[] = {
      {fw::InStr(1, "abcabc", "bc"), 2}, {fw::InStr(0, "abcabc", "bc"), 2}, {fw::InStr(3, "abcabc", "bc"), 5},
      {fw::InStr(5, "abcabc", "bc"), 5}, {fw::InStr(6, "abcabc", "bc"), 0}, {fw::InStr(6, "abcabc", "c"), 6},
      {fw::InStr(7, "abcabc", "c"), 0},  {fw::InStr(1, "abc", ""), 0},      {fw::InStr(1, "", "a"), 0}};
  for (std::size_t i = 0; i < std::size(positions); ++i) EXPECT_EQ(positions[i].first, positions[i].second) << i;
}

TEST(FrameworkText, ReplaceAllReplacesEveryOccurrenceOnce) {
  const struct {
    std::string text, sought, replacement, result;
  } cases[] = {{"1,5\t-2,25", ",", ".", "1.5\t-2.25"}, {"aaa", "aa", "b", "ba"}, {"a-b", "-", "--", "a--b"},
               {"x\r\ny\r\n", "\r\n", "\r", "x\ry\r"}, {"abc", "", "x", "abc"},  {"abab", "ab", "", ""},
               {"", "a", "b", ""}};
  for (const auto& c : cases) {
    EXPECT_EQ(fw::ReplaceAll(c.text, c.sought, c.replacement), c.result) << c.text;
    std::string inPlace = c.text;
    fw::ReplaceAllInPlace(inPlace, c.sought, c.replacement);
    EXPECT_EQ(inPlace, c.result) << c.text;
  }
}

}  // namespace
