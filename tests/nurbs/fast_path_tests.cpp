// The number text of the point rows has a fast path of its own: shortest
// digits found with exact integer arithmetic, and std::to_chars for what it
// leaves aside. Every script row depends on it, so it must give the very
// text of std::to_chars, whose digits the expected scripts were made with.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "framework/text.h"

namespace {

std::string Reference(double value) {
  if (value == 0.0) value = 0.0;  // the script writes -0 as "0"
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

double FromBits(std::uint64_t bits) {
  double value = 0.0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Returns "" when CStr agrees with the reference, otherwise the value and both texts.
std::string Disagreement(double value) {
  const std::string fast = fw::CStr(value);
  const std::string reference = Reference(value);
  if (fast == reference) return "";
  char hex[64];
  std::snprintf(hex, sizeof hex, "%a", value);
  return std::string(hex) + ": " + fast + " instead of " + reference;
}

TEST(FastNumberText, EqualsStdToCharsAtTheEdgesOfEachNotation) {
  // Fixed against scientific, the shortest-digit ties, whole numbers that
  // std::to_chars writes with their exact digits, and the ends of the range
  // that the fast path takes.
  const double cases[] = {
      1e-5, 1e-4, 1.5e-4, 1.2345e-4, 9.999999999999999e-5, 0.001, 0.0012345678901234567, 1e-3, 1e-10, 1e-11, 1e-12,
      1e-37, 1e-38, 2.2250738585072014e-308, 5e-324, 0.1, 0.2, 0.3, 0.1 + 0.2, 0.5, 1.0, 2.0, 9.5, 10.0, 100.0,
      1000.0, 10000.0, 100000.0, 123456.0, 1234567.0, 1e15, 1e16, 1e17, 9007199254740991.0, 9007199254740992.0,
      9007199254740993.0, 4503599627370496.0, 4503599627370497.0, 123456789012345680.0, 1e22, 1e23,
      1.7976931348623157e308, 236.2593, -78.6161, -66.24935924900326, 0.70710678118654757, 1.0 / 3.0, 2.0 / 3.0,
      299792458.0, 6.02214076e23, std::nextafter(1.0, 0.0), std::nextafter(1.0, 2.0), std::ldexp(1.0, -20),
      std::ldexp(1.0, 52), std::ldexp(1.0, 53), std::ldexp(1.0, 54)};
  for (double value : cases) {
    EXPECT_EQ(Disagreement(value), "");
    EXPECT_EQ(Disagreement(-value), "");
  }
}

TEST(FastNumberText, EqualsStdToCharsOnRandomDoubles) {
  std::mt19937_64 random(20261206);
  // Any bit pattern: every exponent, most of them handed to std::to_chars.
  for (int i = 0; i < 200000; ++i) {
    const double value = FromBits(random());
    if (std::isfinite(value)) {
      ASSERT_EQ(Disagreement(value), "");
    }
  }
  // Magnitudes from 1e-40 to 1e18, where the fast path works, with both
  // neighbours of each value.
  std::uniform_real_distribution<double> exponent(-40.0, 18.0);
  for (int i = 0; i < 200000; ++i) {
    const double value = std::pow(10.0, exponent(random));
    for (double v : {value, std::nextafter(value, 0.0), std::nextafter(value, 1e300)}) ASSERT_EQ(Disagreement(v), "");
  }
  // Decimals of 1 to 17 digits read back: the shortest text is often much
  // shorter than 17 digits, and ties between two candidates arise.
  for (int i = 0; i < 200000; ++i) {
    const std::string digits = std::to_string(random() % 100000000000000000ULL).substr(0, 1 + random() % 17);
    const std::string text = digits + "e" + std::to_string(static_cast<int>(random() % 60) - 42);
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    ASSERT_EQ(Disagreement(value), "") << text;
  }
  // Powers of two, where the interval below a value is half the one above.
  for (int e = -1074; e <= 1023; ++e) {
    const double value = std::ldexp(1.0, e);
    for (double v : {value, std::nextafter(value, 0.0), std::nextafter(value, 1e300), 3 * value}) {
      if (std::isfinite(v)) {
        ASSERT_EQ(Disagreement(v), "");
      }
    }
  }
}

TEST(FastNumberText, WriteCStrWritesNoMoreThanItsText) {
  // WriteCStr may use its 24 characters of room, but what it returns must
  // end its text, and AppendCStr must append exactly that text.
  for (double value : {0.0, 1.0, -2.2250738585072014e-308, 1.0 / 3.0, -1.2345678901234567e-7}) {
    char room[24];
    const char* end = fw::WriteCStr(room, value);
    EXPECT_EQ(std::string(static_cast<const char*>(room), end), Reference(value));
    std::string appended = "x";
    fw::AppendCStr(appended, value);
    EXPECT_EQ(appended, "x" + Reference(value));
  }
}

}  // namespace
