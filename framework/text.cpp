#include "framework/text.h"

#ifdef __linux__
#include <sys/mman.h>
#endif

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <system_error>

namespace fw {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

namespace {

// Exact powers of ten as doubles: 10^22 is the last one a double holds exactly.
constexpr double kExactPowers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                   1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Reads digits from p on into m; m wraps when there are more than 19 of
// them, which the caller checks.
inline const char* ReadDigits(const char* p, const char* end, std::uint64_t& m) {
  for (unsigned digit; p < end && (digit = static_cast<unsigned>(*p - '0')) < 10; ++p) m = m * 10 + digit;
  return p;
}

// The common number in one pass: at most 19 significant digits forming a
// whole number m of at most 2^53, scaled by a power of ten between 10^-22
// and 10^22. m and the power are then both exact doubles, so one
// multiplication or division rounds once, correctly, to the very double that
// the general reading gives. A longer number written as from_chars reads it
// (no '+' in front, no D exponent) is read in place by from_chars, which
// rounds correctly too. Returns false, having decided nothing, for any other
// text, and for values beyond the double range.
[[gnu::always_inline]] inline bool QuickVal(std::string_view text, double& value, std::size_t& used) {
  const char* p = text.data();
  const char* const end = p + text.size();
  while (p < end && IsBlank(*p)) ++p;
  const char* const numberStart = p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  std::uint64_t m = 0;
  const char* const integerStart = p;
  while (p < end && *p == '0') ++p;  // leading zeros are not significant
  const char* significantStart = p;
  p = ReadDigits(p, end, m);
  std::ptrdiff_t significant = p - significantStart;
  std::ptrdiff_t digits = p - integerStart;
  std::int64_t scale = 0;
  if (p < end && *p == '.') {
    const char* const fractionStart = ++p;
    if (m == 0) {
      while (p < end && *p == '0') ++p;
    }
    significantStart = p;
    p = ReadDigits(p, end, m);
    significant += p - significantStart;
    digits += p - fractionStart;
    scale = -(p - fractionStart);
  }
  // Very long texts go the general way, which has its own rules for them.
  if (digits == 0 || digits > 700) return false;
  bool standardExponent = true;  // none, or one written with E
  if (p < end && (*p == 'E' || *p == 'e' || *p == 'D' || *p == 'd')) {
    const char* q = p + 1;
    bool expNegative = false;
    if (q < end && (*q == '+' || *q == '-')) {
      expNegative = *q == '-';
      ++q;
    }
    if (q < end && IsDigit(*q)) {
      std::int64_t exponent = 0;
      for (; q < end && IsDigit(*q); ++q) {
        if (exponent > 1000) return false;
        exponent = exponent * 10 + (*q - '0');
      }
      scale += expNegative ? -exponent : exponent;
      standardExponent = *p == 'E' || *p == 'e';
      p = q;
    }
  }
  if (significant > 19 || m > (std::uint64_t{1} << 53) || (m != 0 && (scale < -22 || scale > 22))) {
    if (*numberStart == '+' || !standardExponent) return false;
    const auto [stop, ec] = std::from_chars(numberStart, p, value, std::chars_format::general);
    if (ec != std::errc() || stop != p) return false;
    used = static_cast<std::size_t>(p - text.data());
    return true;
  }
  double result = static_cast<double>(m);
  if (m != 0) result = scale < 0 ? result / kExactPowers[-scale] : result * kExactPowers[scale];
  value = negative ? -result : result;
  used = static_cast<std::size_t>(p - text.data());
  return true;
}

// Every other number: copied with its digits into a buffer that from_chars
// reads. Kept out of line so that the common case pays nothing for its
// buffer.
[[gnu::noinline]] double GeneralVal(std::string_view text, std::size_t& used) {
  used = 0;
  std::size_t i = 0;
  const std::size_t size = text.size();
  while (i < size && IsBlank(text[i])) ++i;

  // Copy the number into a small buffer, turning a D exponent into e and
  // dropping a leading '+', which from_chars does not take.
  char buffer[800];
  std::size_t length = 0;
  bool negative = false;
  if (i < size && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  std::size_t digits = 0;
  // Digits beyond the buffer do not change the value's leading digits but do
  // its magnitude; keep counting them as a decimal exponent shift.
  std::int64_t droppedIntegerDigits = 0;
  auto put = [&](char c) {
    if (length < sizeof buffer - 24) {
      buffer[length++] = c;
      return true;
    }
    return false;
  };
  // Leading zeros carry no value but would take room in the buffer.
  while (i + 1 < size && text[i] == '0' && IsDigit(text[i + 1])) {
    ++i;
    ++digits;
  }
  std::int64_t integerDigits = 0;  // significant ones, kept or dropped
  while (i < size && IsDigit(text[i])) {
    if (text[i] != '0' || integerDigits > 0) ++integerDigits;
    if (!put(text[i])) ++droppedIntegerDigits;
    ++i;
    ++digits;
  }
  // Zeros that open the fraction of a number below 1 are likewise left out
  // and made up for in the exponent: 0.0001 is read as 0.1e-3.
  std::int64_t skippedFractionZeros = 0;
  if (i < size && text[i] == '.') {
    put('.');
    ++i;
    if (integerDigits == 0) {
      while (i < size && text[i] == '0') {
        ++i;
        ++digits;
        ++skippedFractionZeros;
      }
    }
    while (i < size && IsDigit(text[i])) {
      put(text[i]);
      ++i;
      ++digits;
    }
  }
  if (digits == 0) return 0.0;
  std::size_t end = i;
  std::int64_t exponent = droppedIntegerDigits - skippedFractionZeros;
  if (i < size && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    std::size_t j = i + 1;
    bool expNegative = false;
    if (j < size && (text[j] == '+' || text[j] == '-')) {
      expNegative = text[j] == '-';
      ++j;
    }
    if (j < size && IsDigit(text[j])) {
      std::int64_t value = 0;
      while (j < size && IsDigit(text[j])) {
        if (value < 100000000) value = value * 10 + (text[j] - '0');
        ++j;
      }
      exponent += expNegative ? -value : value;
      end = j;
    }
  }
  if (exponent != 0) {
    buffer[length++] = 'e';
    auto [p, ec] = std::to_chars(buffer + length, buffer + sizeof buffer, exponent);
    (void)ec;
    length = static_cast<std::size_t>(p - buffer);
  }
  used = end;
  double value = 0.0;
  auto [ptr, ec] = std::from_chars(buffer, buffer + length, value, std::chars_format::general);
  (void)ptr;
  if (ec == std::errc::result_out_of_range) {
    // The number is about 10^magnitude: far above 1 it overflowed, far
    // below it underflowed.
    const std::int64_t magnitude = integerDigits - droppedIntegerDigits + exponent;
    value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

}  // namespace

double Val(std::string_view text, std::size_t& used) {
  double quick = 0.0;
  if (QuickVal(text, quick, used)) return quick;
  return GeneralVal(text, used);
}

double Val(std::string_view text) {
  std::size_t used = 0;
  double quick = 0.0;
  if (QuickVal(text, quick, used)) return quick;
  return GeneralVal(text, used);
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

// ---------------------------------------------------------------------------
// Shortest round-trip text, the common case in one pass.
//
// std::to_chars finds the shortest digits with Ryu and then picks fixed or
// scientific notation, whichever is shorter. For every double of magnitude
// between about 1e-37 and 1e16 this does the same with exact integer
// arithmetic: the value and the two ends of the interval of texts that read
// back to it are scaled by the same power of ten, exactly (a 192-bit
// product), and then shortened digit by digit as Ryu does. Being exact, it
// needs no proof of precision and gives Ryu's digits; everything outside
// that range, and every whole number that would need zeros after its digits,
// is left to std::to_chars. Every point row of a script goes through here.

using U128 = unsigned __int128;

// 5^k for k = 0 .. 55, the largest power of five below 2^128.
constexpr auto kPowersOfFive = [] {
  std::array<U128, 56> powers{};
  powers[0] = 1;
  for (std::size_t k = 1; k < powers.size(); ++k) powers[k] = powers[k - 1] * 5;
  return powers;
}();

// floor(m * five / 2^shift) for shift in 0 .. 191: the exact product of 192
// bits cut down; false when the quotient does not fit in 64 bits.
bool ScaledDown(std::uint64_t m, U128 five, std::int32_t shift, std::uint64_t& out) {
  const U128 low = static_cast<U128>(m) * static_cast<std::uint64_t>(five);
  const U128 high = static_cast<U128>(m) * static_cast<std::uint64_t>(five >> 64) + static_cast<std::uint64_t>(low >> 64);
  // The product is high * 2^64 + (low mod 2^64).
  U128 quotient = 0;
  if (shift < 64) {
    if ((high >> 64) != 0) return false;
    quotient = ((high << 64) | static_cast<std::uint64_t>(low)) >> shift;
  } else {
    quotient = high >> (shift - 64);
  }
  if ((quotient >> 64) != 0) return false;
  out = static_cast<std::uint64_t>(quotient);
  return true;
}

std::int32_t Log10Pow5(std::int32_t e) { return static_cast<std::int32_t>((static_cast<std::uint32_t>(e) * 732923u) >> 20); }

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The eight digits of value (below 10^8), zeros in front, as the eight
// characters of one 64-bit word, the first in its lowest byte: the two
// halves of four digits go to 32-bit lanes, each lane is split into two
// pairs in 16-bit lanes, and each pair into its two
// digits in bytes. A division by 100 or by 10 within a lane is a
// multiplication and a shift that is exact for the values a lane holds:
// n * 10486 / 2^20 for n below 10^4, n * 103 / 2^10 for n below 100; no lane
// spills into the next one.
[[gnu::always_inline]] inline std::uint64_t EightDigits(std::uint32_t value) {
  const std::uint64_t high = value / 10000;
  const std::uint64_t low = value - high * 10000;
  const std::uint64_t fours = high | (low << 32);
  const std::uint64_t hundreds = ((fours * 10486) >> 20) & 0x0000007F0000007Fu;
  const std::uint64_t pairs = hundreds | ((fours - hundreds * 100) << 16);
  const std::uint64_t tens = ((pairs * 103) >> 10) & 0x000F000F000F000Fu;
  const std::uint64_t digits = tens | ((pairs - tens * 10) << 8);
  return digits + 0x3030303030303030u;
}

constexpr std::uint64_t kPowersOfTen[] = {1ull,
                                          10ull,
                                          100ull,
                                          1000ull,
                                          10000ull,
                                          100000ull,
                                          1000000ull,
                                          10000000ull,
                                          100000000ull,
                                          1000000000ull,
                                          10000000000ull,
                                          100000000000ull,
                                          1000000000000ull,
                                          10000000000000ull,
                                          100000000000000ull,
                                          1000000000000000ull,
                                          10000000000000000ull,
                                          100000000000000000ull,
                                          1000000000000000000ull,
                                          10000000000000000000ull};

// Decimal digits of value (1 or more).
[[gnu::always_inline]] inline int DigitCount(std::uint64_t value) {
  // 1233 / 4096 is just above log10(2): an estimate from the bit length
  // that is exact or one too small.
  const int bits = 64 - __builtin_clzll(value | 1);
  const int estimate = (bits * 1233) >> 12;
  return estimate + (value >= kPowersOfTen[estimate] ? 1 : 0);
}

// The shortest digits of value (its magnitude) and the power of ten of the
// last one; false outside the range described above.
[[gnu::always_inline]] inline bool ShortestDigits(std::uint64_t bits, std::uint64_t& digits, std::int32_t& exponent) {
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  const auto biased = static_cast<std::int32_t>((bits >> 52) & 0x7ff);
  if (biased == 0 || biased == 0x7ff) return false;  // zero, subnormal, infinity, NaN
  // The value is m2 * 2^e2 with the interval ends at (4 m2 - 1 - shiftLow)
  // and (4 m2 + 2) times 2^(e2 - 2).
  const std::int32_t e2 = biased - 1023 - 52 - 2;
  if (e2 >= 0) return false;
  const std::uint64_t m2 = (std::uint64_t{1} << 52) | fraction;
  const std::uint64_t shiftLow = (fraction != 0 || biased <= 1) ? 1 : 0;
  const std::int32_t q = Log10Pow5(-e2) - (-e2 > 1 ? 1 : 0);
  const std::int32_t five = -e2 - q;
  if (q < 2 || five < 0 || five >= static_cast<std::int32_t>(kPowersOfFive.size()) || q + 64 > 191) return false;
  // Each end times 10^(-e10) = 5^five / 2^q, with e10 = q + e2, exactly.
  const U128 power = kPowersOfFive[static_cast<std::size_t>(five)];
  const std::uint64_t mv = 4 * m2;
  std::uint64_t vr = 0, vp = 0, vm = 0;
  if ((power >> 64) == 0 && q < 64) {
    // Magnitudes from about 1e-11 up: each product fits in 128 bits, and
    // the three differ only by multiples of the power.
    const U128 product = static_cast<U128>(mv) * static_cast<std::uint64_t>(power);
    const U128 up = product + 2 * power;
    const U128 down = product - (1 + shiftLow) * power;
    // Shifts of the two 64-bit halves, 2 <= q < 64; the largest end must
    // come out below 2^64, and then so do the others.
    const auto shift = [q](U128 x) {
      return (static_cast<std::uint64_t>(x) >> q) | (static_cast<std::uint64_t>(x >> 64) << (64 - q));
    };
    if ((static_cast<std::uint64_t>(up >> 64) >> q) != 0) return false;
    vr = shift(product);
    vp = shift(up);
    vm = shift(down);
  } else if (!ScaledDown(mv, power, q, vr) || !ScaledDown(mv + 2, power, q, vp) ||
             !ScaledDown(mv - 1 - shiftLow, power, q, vm)) {
    return false;
  }
  // With q >= 2 neither end scales to a whole number (each holds at most one
  // factor 2), so both are strictly inside or outside; the value itself does
  // when 2^q divides mv.
  bool vrIsTrailingZeros = __builtin_ctzll(mv) >= q;
  // Ryu's digit removal: drop digits while the ends still differ above them,
  // remembering the last digit dropped and whether all before it were 0.
  std::int32_t removed = 0;
  std::uint64_t lastRemovedDigit = 0;
  if (!vrIsTrailingZeros && vp / 100 > vm / 100) {
    // Two at a time first, the usual case; only whether the pair reaches
    // 50 matters then. Whether a third digit goes too is even odds, so it
    // is decided by selection rather than by a branch that would guess
    // wrong half of the time.
    lastRemovedDigit = vr % 100 >= 50 ? 5 : 0;
    vr /= 100;
    vp /= 100;
    vm /= 100;
    removed = 2;
    const std::uint64_t vp10 = vp / 10, vm10 = vm / 10, vr10 = vr / 10;
    const bool third = vp10 > vm10;
    lastRemovedDigit = third ? vr - 10 * vr10 : lastRemovedDigit;
    vr = third ? vr10 : vr;
    vp = third ? vp10 : vp;
    vm = third ? vm10 : vm;
    removed += third ? 1 : 0;
  }
  while (vp / 10 > vm / 10) {
    vrIsTrailingZeros &= lastRemovedDigit == 0;
    lastRemovedDigit = vr % 10;
    vr /= 10;
    vp /= 10;
    vm /= 10;
    ++removed;
  }
  // A tie between two candidates goes to the even one.
  if (vrIsTrailingZeros && lastRemovedDigit == 5 && vr % 2 == 0) lastRemovedDigit = 4;
  digits = vr + ((vr == vm || lastRemovedDigit >= 5) ? 1 : 0);
  exponent = q + e2 + removed;
  // A double never needs more than 17 digits; the writer below relies on it.
  return digits < kPowersOfTen[17];
}

// Writes value (below 10^17) as exactly 17 digits, zeros in front.
[[gnu::always_inline]] inline void WriteSeventeen(char* out, std::uint64_t value) {
  const std::uint64_t high = value / 100000000;
  const std::uint64_t first = EightDigits(static_cast<std::uint32_t>(high % 100000000));
  const std::uint64_t second = EightDigits(static_cast<std::uint32_t>(value % 100000000));
  out[0] = static_cast<char>('0' + high / 100000000);
  std::memcpy(out + 1, &first, 8);
  std::memcpy(out + 9, &second, 8);
}

// The text of std::to_chars(value) from its shortest digits: fixed notation
// unless scientific is shorter (a tie goes to fixed). Fixed notation that
// needs zeros after the digits is not written here (false): std::to_chars
// writes such a whole number's exact digits instead.
[[gnu::always_inline]] inline bool WriteDecimal(char*& out, bool negative, std::uint64_t digits, std::int32_t exponent) {
  const int length = DigitCount(digits);
  const std::int32_t lower = length == 1 ? -3 : -(length + 3);
  const std::int32_t upper = length == 1 ? 4 : 5;
  const bool fixed = lower <= exponent && exponent <= upper;
  if (fixed && exponent > 0) return false;
  // Built in a scratch buffer with copies of fixed size, which need no
  // call, and then handed out as 24 characters, the most there can be. The
  // digits are written as 17 with zeros in front; d points at the first
  // one that counts.
  char all[48];
  WriteSeventeen(all, digits);
  const char* const d = all + 17 - length;
  char text[64];
  char* p = text;
  // The sign is as likely one way as the other: written always, kept or not.
  *p = '-';
  p += negative ? 1 : 0;
  if (fixed) {
    const std::int32_t point = length + exponent;  // digits before the decimal point
    if (point <= 0) {
      std::memcpy(p, "0.000", 5);
      p += 2 - point;
      std::memcpy(p, d, 17);
      p += length;
    } else if (point < length) {
      std::memcpy(p, d, 16);
      std::memcpy(p + point + 1, d + point, 16);
      p[point] = '.';
      p += length + 1;
    } else {
      std::memcpy(p, d, 17);
      p += length;
    }
  } else {
    const std::int32_t scientific = exponent + length - 1;
    p[0] = d[0];
    if (length > 1) {
      p[1] = '.';
      std::memcpy(p + 2, d + 1, 16);
      p += length + 1;
    } else {
      p += 1;
    }
    *p++ = 'e';
    *p++ = scientific < 0 ? '-' : '+';
    const std::int32_t magnitude = scientific < 0 ? -scientific : scientific;
    if (magnitude >= 100) *p++ = static_cast<char>('0' + magnitude / 100);
    std::memcpy(p, kDigitPairs + 2 * (magnitude % 100), 2);
    p += 2;
  }
  std::memcpy(out, text, 24);
  out += p - text;
  return true;
}

// The bits of value, -0 taken as 0 (the script writes "0" for both).
std::uint64_t BitsOf(double value) {
  if (value == 0.0) value = 0.0;
  std::uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

}  // namespace

char* WriteCStr(char* out, double value) {
  const std::uint64_t bits = BitsOf(value);
  std::uint64_t digits = 0;
  std::int32_t exponent = 0;
  if (ShortestDigits(bits, digits, exponent) && WriteDecimal(out, (bits >> 63) != 0, digits, exponent)) return out;
  if (value == 0.0) value = 0.0;
  return std::to_chars(out, out + 24, value).ptr;
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
