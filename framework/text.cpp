#include "framework/text.h"

#ifdef __linux__
#include <sys/mman.h>
#endif

#include <dragonbox/dragonbox.h>

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

namespace fw {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Whether the unsigned number in [p, end), which from_chars found out of
// range, is far above 1 rather than far below: the power of ten of its first
// significant digit decides, whatever the sign of the written exponent.
bool IsHuge(const char* p, const char* end) {
  std::int64_t magnitude = 0;
  while (p < end && *p == '0') ++p;
  for (; p < end && IsDigit(*p); ++p) ++magnitude;
  if (p < end && *p == '.') {
    ++p;
    if (magnitude == 0) {
      for (; p < end && *p == '0'; ++p) --magnitude;
    }
    while (p < end && IsDigit(*p)) ++p;
  }
  if (p < end) {  // the exponent: its mark, perhaps a sign, and digits
    const bool negative = *++p == '-';
    if (*p == '+' || *p == '-') ++p;
    std::int64_t exponent = 0;
    for (; p < end; ++p) exponent = std::min<std::int64_t>(exponent * 10 + (*p - '0'), 1'000'000'000);
    magnitude += negative ? -exponent : exponent;
  }
  return magnitude > 0;
}

// from_chars knows no D exponent: the number is read again from a copy with
// an E in its place. Where that makes no exponent (no digits follow, or the
// number had one already), from_chars stops before the E as it did at the D.
[[gnu::noinline]] void ReadWithDExponent(const char* number, const char* end, const char*& stop, double& value,
                                         std::errc& ec) {
  const char* exponentEnd = stop + 1;
  if (exponentEnd < end && (*exponentEnd == '+' || *exponentEnd == '-')) ++exponentEnd;
  while (exponentEnd < end && IsDigit(*exponentEnd)) ++exponentEnd;
  const auto length = static_cast<std::size_t>(exponentEnd - number);
  char shortCopy[64];
  std::string longCopy;
  char* copy = shortCopy;
  if (length > sizeof shortCopy) {
    longCopy.resize(length);
    copy = longCopy.data();
  }
  std::memcpy(copy, number, length);
  copy[stop - number] = 'e';
  const auto result = std::from_chars(copy, copy + length, value);
  stop = number + (result.ptr - copy);
  ec = result.ec;
}

// Most numbers in a file are short decimals such as -202.304. Up to 19
// digits make a whole mantissa, and where it and its power of ten are both
// exact doubles, one division rounds correctly (Clinger's fast path). It is
// what from_chars tries first as well, but here without a call. False, with
// nothing read, for anything else: longer digit runs, an exponent.
bool ReadShortDecimal(const char* p, const char* end, const char*& stop, double& value) {
  static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                                            1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19};
  std::uint64_t mantissa = 0;
  int digits = 0;
  int fraction = -1;  // digits after the point, once there is one
  for (; p < end; ++p) {
    if (IsDigit(*p)) {
      if (++digits > 19) return false;
      mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
      if (fraction >= 0) ++fraction;
    } else if (*p == '.' && fraction < 0) {
      fraction = 0;
    } else {
      break;
    }
  }
  if (p < end && (*p == 'E' || *p == 'e' || *p == 'D' || *p == 'd')) return false;
  // At most 19 digits: at most 19 after the point.
  if (mantissa > std::uint64_t{1} << 53) return false;
  value = static_cast<double>(mantissa) / kPowersOfTen[std::max(fraction, 0)];
  stop = p;
  return true;
}

}  // namespace

double Val(std::string_view text, std::size_t& used) {
  const char* const end = text.data() + text.size();
  const char* p = text.data();
  while (p < end && IsBlank(*p)) ++p;
  const bool negative = p < end && *p == '-';
  if (p < end && (*p == '+' || *p == '-')) ++p;  // from_chars takes no '+': the sign is applied below
  // from_chars would also read "inf", "nan" and a second sign.
  const char* const first = p < end && *p == '.' ? p + 1 : p;
  if (first == end || !IsDigit(*first)) {
    used = 0;
    return 0.0;
  }
  double value = 0.0;
  const char* stop = p;
  if (!ReadShortDecimal(p, end, stop, value)) {
    auto [read, ec] = std::from_chars(p, end, value);
    stop = read;
    if (stop < end && (*stop == 'D' || *stop == 'd')) ReadWithDExponent(p, end, stop, value, ec);
    if (ec == std::errc::result_out_of_range) value = IsHuge(p, stop) ? std::numeric_limits<double>::infinity() : 0.0;
  }
  used = static_cast<std::size_t>(stop - text.data());
  return negative ? -value : value;
}

double Val(std::string_view text) {
  std::size_t used = 0;
  return Val(text, used);
}

bool ToInt32Checked(double value, std::int32_t& out) {
  if (std::isnan(value)) return false;
  const double truncated = std::trunc(value);
  if (truncated < -2147483648.0 || truncated > 2147483647.0) return false;
  out = static_cast<std::int32_t>(truncated);
  return true;
}

std::int32_t ToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(value);
}

void AppendInt(std::string& out, std::int64_t value) {
  char buffer[24];
  auto [p, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)ec;
  out.append(buffer, p);
}

namespace {

// Decimal digits of n: from its bit length an estimate that is exact or one
// too small (1233 / 4096 is just above log10(2)), and one comparison.
int DigitCount(std::uint64_t n) {
  static constexpr auto kPowersOfTen = [] {
    std::array<std::uint64_t, 20> powers{1};
    for (std::size_t i = 1; i < powers.size(); ++i) powers[i] = powers[i - 1] * 10;
    return powers;
  }();
  const int estimate = static_cast<int>(std::bit_width(n)) * 1233 >> 12;
  return estimate + (n >= kPowersOfTen[static_cast<std::size_t>(estimate)] ? 1 : 0);
}

// Writes the length digits of n at p, two at a time from the right.
void WriteDigits(char* p, std::uint64_t n, int length) {
  static constexpr auto kPairs = [] {
    std::array<char, 200> pairs{};
    for (std::size_t i = 0; i < 100; ++i) {
      pairs[2 * i] = static_cast<char>('0' + i / 10);
      pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
  }();
  char* q = p + length;
  for (; n >= 100; n /= 100) {
    q -= 2;
    std::memcpy(q, kPairs.data() + 2 * (n % 100), 2);
  }
  if (n >= 10) {
    std::memcpy(q - 2, kPairs.data() + 2 * n, 2);
  } else {
    q[-1] = static_cast<char>('0' + n);
  }
}

}  // namespace

char* WriteCStr(char* out, double value) {
  if (value == 0.0) {  // -0 too
    *out = '0';
    return out + 1;
  }
  if (!std::isfinite(value)) return std::to_chars(out, out + 24, value).ptr;
  const auto decimal = jkj::dragonbox::to_decimal(value);
  // The digits count at most 17, so the text takes at most 24 characters.
  const int length = DigitCount(decimal.significand);
  const int exponent = decimal.exponent;
  // std::to_chars's choice: fixed notation unless scientific is shorter.
  const bool fixed = length == 1 ? -3 <= exponent && exponent <= 4 : -(length + 3) <= exponent && exponent <= 5;
  // A whole number in fixed notation is written with its exact digits, which
  // past 2^53 are not always the shortest ones followed by zeros.
  if (fixed && exponent > 0 && std::fabs(value) >= 0x1p53) return std::to_chars(out, out + 24, value).ptr;
  char* p = out;
  *p = '-';
  p += decimal.is_negative ? 1 : 0;
  const int point = length + exponent;  // digits before the decimal point
  if (fixed && point <= 0) {
    std::memcpy(p, "0.000", 5);
    WriteDigits(p + 2 - point, decimal.significand, length);
    return p + 2 - point + length;
  }
  if (fixed && point >= length) {
    WriteDigits(p, decimal.significand, length);
    std::memcpy(p + length, "00000", 5);
    return p + point;
  }
  // Digits one place to the right, and those before the point moved back
  // over the gap.
  WriteDigits(p + 1, decimal.significand, length);
  const int before = fixed ? point : 1;
  for (int i = 0; i < before; ++i) p[i] = p[i + 1];
  p[before] = '.';
  p += length + 1;
  if (fixed) return p;
  if (length == 1) --p;
  const int scientific = point - 1;
  *p++ = 'e';
  *p++ = scientific < 0 ? '-' : '+';
  if (scientific > -10 && scientific < 10) *p++ = '0';
  return std::to_chars(p, p + 3, scientific < 0 ? -scientific : scientific).ptr;
}

void AppendCStr(std::string& out, double value) {
  char buffer[24];
  out.append(buffer, WriteCStr(buffer, value));
}

std::string Str(std::int64_t value) {
  std::string out;
  AppendInt(out, value);
  return out;
}

std::string CStr(double value) {
  std::string out;
  AppendCStr(out, value);
  return out;
}

std::string_view NthField(std::string_view text, std::string_view delimiter, std::int64_t n) {
  if (n < 1) return {};
  if (delimiter.empty()) return n == 1 ? text : std::string_view{};
  std::size_t start = 0;
  for (std::int64_t field = 1; field < n; ++field) {
    const std::size_t found = text.find(delimiter, start);
    if (found == std::string_view::npos) return {};
    start = found + delimiter.size();
  }
  const std::size_t found = text.find(delimiter, start);
  return text.substr(start, found == std::string_view::npos ? std::string_view::npos : found - start);
}

std::string_view Mid(std::string_view text, std::int64_t start, std::int64_t count) {
  if (count <= 0) return {};
  if (start < 1) start = 1;
  const auto size = static_cast<std::int64_t>(text.size());
  if (start > size) return {};
  const std::int64_t available = size - start + 1;
  return text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(std::min(count, available)));
}

std::string_view Mid(std::string_view text, std::int64_t start) {
  return Mid(text, start, static_cast<std::int64_t>(text.size()));
}

std::string_view Left(std::string_view text, std::int64_t count) { return Mid(text, 1, count); }

std::int64_t Len(std::string_view text) { return static_cast<std::int64_t>(text.size()); }

std::string_view Trim(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

std::int64_t InStr(std::int64_t start, std::string_view text, std::string_view sought) {
  if (sought.empty()) return 0;
  if (start < 1) start = 1;
  if (start > static_cast<std::int64_t>(text.size())) return 0;
  const std::size_t found = text.find(sought, static_cast<std::size_t>(start - 1));
  return found == std::string_view::npos ? 0 : static_cast<std::int64_t>(found) + 1;
}

std::string ReplaceAll(std::string_view text, std::string_view sought, std::string_view replacement) {
  std::string out(text);
  ReplaceAllInPlace(out, sought, replacement);
  return out;
}

void ReserveAhead(std::string& text, std::size_t capacity) {
  text.reserve(capacity);
#ifdef __linux__
  // Only whole large pages inside the room are marked; the advice is a
  // hint, and its failure changes nothing.
  constexpr std::uintptr_t kLargePage = std::uintptr_t{1} << 21;
  if (text.capacity() < 2 * kLargePage) return;
  const auto begin = reinterpret_cast<std::uintptr_t>(text.data());
  const std::uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
  const std::uintptr_t last = (begin + text.capacity()) & ~(kLargePage - 1);
  if (last > first) (void)::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

void ReplaceAllInPlace(std::string& text, std::string_view sought, std::string_view replacement) {
  if (sought.empty()) return;
  if (sought.size() == 1 && replacement.size() == 1) {
    // memchr skips the long stretches without the character far faster than
    // a compare per character; a script usually holds none at all.
    char* at = text.data();
    char* const end = at + text.size();
    while ((at = static_cast<char*>(std::memchr(at, sought[0], static_cast<std::size_t>(end - at)))) != nullptr) {
      *at++ = replacement[0];
    }
    return;
  }
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  for (std::size_t found; (found = text.find(sought, start)) != std::string::npos; start = found + sought.size()) {
    out.append(text, start, found - start);
    out.append(replacement);
  }
  out.append(text, start, std::string::npos);
  text.swap(out);
}

}  // namespace fw
