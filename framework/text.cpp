#include "framework/text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace fw {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

double Val(std::string_view text, std::size_t& used) {
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
  while (i < size && IsDigit(text[i])) {
    if (!put(text[i])) ++droppedIntegerDigits;
    ++i;
    ++digits;
  }
  if (i < size && text[i] == '.') {
    put('.');
    ++i;
    while (i < size && IsDigit(text[i])) {
      put(text[i]);
      ++i;
      ++digits;
    }
  }
  if (digits == 0) return 0.0;
  std::size_t end = i;
  std::int64_t exponent = droppedIntegerDigits;
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
    value = exponent < 0 ? 0.0 : std::numeric_limits<double>::infinity();
  } else if (ec != std::errc()) {
    value = 0.0;
  }
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

void AppendCStr(std::string& out, double value) {
  if (value == 0.0) value = 0.0;  // -0 prints as "0"
  char buffer[32];
  auto [p, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)ec;
  out.append(buffer, p);
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

void ReplaceAllInPlace(std::string& text, std::string_view sought, std::string_view replacement) {
  if (sought.empty()) return;
  if (sought.size() == 1 && replacement.size() == 1) {
    std::replace(text.begin(), text.end(), sought[0], replacement[0]);
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
