#include "framework/text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <cmath>
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

TEST(FrameworkVal, ReadsTheLeadingNumberAndSaysWhereItStopped) {
  const std::vector<ValCase> cases = {
      {"", 0, 0},         {"   ", 0, 0},         {"42", 42, 2},       {"  -3.5", -3.5, 6},
      {"\t8", 8, 2},      {"+7", 7, 2},          {"1.", 1, 2},        {".5", 0.5, 2},
      {"-.25", -0.25, 4}, {"1.5D3", 1500, 5},    {"2.5d-1", 0.25, 6}, {"1E2", 100, 3},
      {"1e+2", 100, 4},   {"-4.D0,", -4, 5},     {"1e", 1, 1},        {"1D+", 1, 1},
      {"12abc", 12, 2},   {"1,5", 1, 1},         {"1 000", 1, 1},     {"007", 7, 3},
      {"abc", 0, 0},      {"-", 0, 0},           {".", 0, 0},         {"+.e5", 0, 0},
      {"inf", 0, 0},      {"-inf", 0, 0},        {"nan", 0, 0},       {"0x10", 0, 1},
      {"1e400", kInf, 5}, {"-1D400", -kInf, 6},  {"1e-400", 0, 6},    {"1e99999999999", kInf, 13},
      {"0e99999", 0, 7},  {"1e-310", 1e-310, 6},
  };
  for (const ValCase& c : cases) {
    SCOPED_TRACE("Val(\"" + c.text + "\")");
    std::size_t used = 99;
    EXPECT_EQ(fw::Val(c.text, used), c.value);
    EXPECT_EQ(used, c.used);
    EXPECT_EQ(fw::Val(c.text), c.value);
  }
}

// Regression: an out-of-range result was called infinite or zero by the sign
// of the written exponent alone, so a tiny value written with many zeros and
// no exponent read as infinity (and a huge one with a small negative exponent
// as 0); fractional digits past the internal buffer were dropped.
TEST(FrameworkVal, LongDigitRunsKeepTheirMagnitude) {
  const std::string zeros(400, '0');
  const std::vector<ValCase> cases = {
      {"0." + zeros + "1", 0, 403},
      {"0." + zeros + "1e10", 0, 406},
      {"1" + zeros + "e-10", kInf, 405},
      {"-1" + zeros, -kInf, 402},
      {"0." + std::string(780, '0') + "1e790", 1e9, 787},
  };
  for (const ValCase& c : cases) {
    SCOPED_TRACE("Val of " + c.text.substr(0, 8) + "... (" + std::to_string(c.text.size()) + " characters)");
    std::size_t used = 0;
    EXPECT_EQ(fw::Val(c.text, used), c.value);
    EXPECT_EQ(used, c.used);
  }
}

// Val must give the correctly rounded double whatever path it takes: random
// mantissas of 1 to 20 digits after up to 3 zeros, a point anywhere, an E or
// D exponent from -40 to 40, against the standard library's reading.
TEST(FrameworkVal, AgreesWithCorrectRoundingOnRandomTexts) {
  std::mt19937_64 random(20240601);
  for (int trial = 0; trial < 20000; ++trial) {
    std::string digits = std::to_string(random());
    digits.resize(1 + random() % digits.size());
    digits.insert(0, random() % 4, '0');
    const std::size_t point = random() % (digits.size() + 1);
    const long exponent = static_cast<long>(random() % 81) - 40;
    const std::string text = digits.substr(0, point) + "." + digits.substr(point) + "e" + std::to_string(exponent);
    double expected = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), expected);
    std::string igesText = text;
    igesText[igesText.find('e')] = 'D';
    ASSERT_EQ(fw::Val(text), expected) << text;
    ASSERT_EQ(fw::Val("-" + igesText), -expected) << igesText;
  }
  for (const char* text : {"9007199254740993", "1e23", "8.98846567431158e307", "2.2250738585072011e-308",
                           "1.7976931348623157e308", "0.30000000000000004", "123456789012345678901234567890"}) {
    double expected = 0.0;
    std::from_chars(text, text + std::strlen(text), expected);
    EXPECT_EQ(fw::Val(text), expected) << text;
  }
}

TEST(FrameworkToInt32, TruncatesSaturatesAndRejects) {
  struct Case {
    double value;
    std::int32_t saturated;
    bool fits;  // ToInt32Checked accepts it, giving the same value
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<Case> cases = {
      {0.9, 0, true},
      {-0.9, 0, true},
      {16.7, 16, true},
      {-16.7, -16, true},
      {2147483647.0, kMax, true},
      {2147483647.9, kMax, true},
      {2147483648.0, kMax, false},
      {1e10, kMax, false},
      {-2147483648.0, kMin, true},
      {-2147483648.9, kMin, true},
      {-2147483649.0, kMin, false},
      {kInf, kMax, false},
      {-kInf, kMin, false},
      {nan, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "value " << c.value);
    EXPECT_EQ(fw::ToInt32(c.value), c.saturated);
    std::int32_t out = 12345;
    EXPECT_EQ(fw::ToInt32Checked(c.value, out), c.fits);
    if (c.fits) {
      EXPECT_EQ(out, c.saturated);
    }
  }
}

TEST(FrameworkCStr, WritesTheShortestTextThatReadsBack) {
  const std::vector<std::pair<double, std::string>> exact = {
      {0.0, "0"},
      {-0.0, "0"},
      {1.0, "1"},
      {100.0, "100"},
      {-2.5, "-2.5"},
      {0.1, "0.1"},
      {0.1 + 0.2, "0.30000000000000004"},
      {123456789012.0, "123456789012"},
  };
  for (const auto& [value, text] : exact) EXPECT_EQ(fw::CStr(value), text) << value;

  for (double value : {1.0 / 3, 1e300, 5e-324, -1.7976931348623157e308, 123456.789, 2.5e-7}) {
    const std::string text = fw::CStr(value);
    EXPECT_EQ(fw::Val(text), value) << text;
    EXPECT_EQ(text.find(','), std::string::npos) << text;
  }
  EXPECT_EQ(fw::Str(-1), "-1");
  EXPECT_EQ(fw::Str(kMin), "-2147483648");
}

// A thousands separator and a decimal comma, as a German locale has them.
struct CommaPunct : std::numpunct<char> {
  char do_decimal_point() const override { return ','; }
  char do_thousands_sep() const override { return '.'; }
  std::string do_grouping() const override { return "\3"; }
};

TEST(FrameworkCStr, IgnoresTheLocale) {
  bool cLocaleChanged = false;
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8"}) {
    if (std::setlocale(LC_ALL, name)) {
      cLocaleChanged = true;
      break;
    }
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

TEST(FrameworkText, NthFieldCountsPiecesFromOne) {
  struct Case {
    std::string text, delimiter;
    std::int64_t n;
    std::string piece;
  };
  const std::vector<Case> cases = {
      {"a,b,c", ",", 1, "a"},   {"a,b,c", ",", 3, "c"},    {"a,b,c", ",", 4, ""}, {"a,b,c", ",", 0, ""},
      {"a,b,c", ",", -1, ""},   {",a,", ",", 1, ""},       {",a,", ",", 3, ""},   {"a,,b", ",", 2, ""},
      {" a , b", ",", 2, " b"}, {"a<>b<>c", "<>", 2, "b"}, {"abc", "", 1, "abc"}, {"abc", "", 2, ""},
      {"", ",", 1, ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fw::NthField(c.text, c.delimiter, c.n), c.piece)
        << "NthField(\"" << c.text << "\", \"" << c.delimiter << "\", " << c.n << ")";
  }
}

TEST(FrameworkText, PositionsAreClampedToTheText) {
  const std::string t = "abcdef";
  constexpr std::int64_t kHuge = std::numeric_limits<std::int64_t>::max();
  EXPECT_EQ(fw::Mid(t, 2, 3), "bcd");
  EXPECT_EQ(fw::Mid(t, 5, 10), "ef");
  EXPECT_EQ(fw::Mid(t, 6, 1), "f");
  EXPECT_EQ(fw::Mid(t, 7, 1), "");
  EXPECT_EQ(fw::Mid(t, 1, 0), "");
  EXPECT_EQ(fw::Mid(t, 1, -1), "");
  EXPECT_EQ(fw::Mid(t, 2, kHuge), "bcdef");
  EXPECT_EQ(fw::Mid(t, kHuge, 2), "");
  EXPECT_EQ(fw::Mid(t, 3), "cdef");
  EXPECT_EQ(fw::Mid(t, 7), "");
  EXPECT_EQ(fw::Left(t, 3), "abc");
  EXPECT_EQ(fw::Left(t, 99), "abcdef");
  EXPECT_EQ(fw::Left(t, 0), "");
  EXPECT_EQ(fw::Left(t, -2), "");
  EXPECT_EQ(fw::Len(""), 0);
  EXPECT_EQ(fw::Len(t), 6);

  EXPECT_EQ(fw::Trim("  a b \t"), "a b");
  EXPECT_EQ(fw::Trim("   "), "");
  EXPECT_EQ(fw::Trim(""), "");

  EXPECT_EQ(fw::InStr(1, "abcabc", "bc"), 2);
  EXPECT_EQ(fw::InStr(0, "abcabc", "bc"), 2);
  EXPECT_EQ(fw::InStr(3, "abcabc", "bc"), 5);
  EXPECT_EQ(fw::InStr(6, "abcabc", "c"), 6);
  EXPECT_EQ(fw::InStr(7, "abcabc", "c"), 0);
  EXPECT_EQ(fw::InStr(5, "abcabc", "bc"), 5);
  EXPECT_EQ(fw::InStr(6, "abcabc", "bc"), 0);
  EXPECT_EQ(fw::InStr(1, "abc", ""), 0);
  EXPECT_EQ(fw::InStr(1, "", "a"), 0);
}

TEST(FrameworkText, ReplaceAllReplacesEveryOccurrenceOnce) {
  struct Case {
    std::string text, sought, replacement, result;
  };
  const std::vector<Case> cases = {
      {"1,5\t-2,25", ",", ".", "1.5\t-2.25"},
      {"aaa", "aa", "b", "ba"},
      {"a-b", "-", "--", "a--b"},
      {"x\r\ny\r\n", "\r\n", "\r", "x\ry\r"},
      {"abc", "", "x", "abc"},
      {"abab", "ab", "", ""},
      {"", "a", "b", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fw::ReplaceAll(c.text, c.sought, c.replacement), c.result) << c.text;
    std::string inPlace = c.text;
    fw::ReplaceAllInPlace(inPlace, c.sought, c.replacement);
    EXPECT_EQ(inPlace, c.result) << c.text;
  }
}

}  // namespace
