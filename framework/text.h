// Text and number operations shared by every layer.
//
// Positions count characters from 1, as the file formats we read do. None of
// these functions throws, none depends on the C locale, and none reads past
// the text it is given: out-of-range positions and counts are clamped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fw {

// The number a text begins with: leading blanks, a sign, digits, a decimal
// point and an exponent written with E, e, D or d (IGES writes 1.5D3).
// Returns 0.0 when the text starts with no number; never reads "inf", "nan"
// or hexadecimal. A magnitude beyond the double range gives +-infinity, one
// below it +-0. Allocates only to copy a number of more than 64 characters
// that has a D exponent.
double Val(std::string_view text);

// Like Val, and also says how many characters the number took (0 when none).
double Val(std::string_view text, std::size_t& used);

// Double to Int32: truncates toward zero; values beyond the Int32 range
// saturate and NaN gives 0.
std::int32_t ToInt32(double value);

// Double to Int32 for callers that must reject what does not fit: false for
// NaN or a value whose truncation lies outside the Int32 range.
bool ToInt32Checked(double value, std::int32_t& out);

// Decimal text of an Int32 ("-1", "16").
std::string Str(std::int64_t value);

// Shortest text that reads back to the same double; whole numbers have no
// ".0", -0 is written "0", and the decimal point is always ".".
std::string CStr(double value);

// Writes CStr(value) at out, which must have room for 24 characters, and
// returns the end of what it wrote. Does not allocate.
char* WriteCStr(char* out, double value);

// Appends CStr(value) / the decimal text of value to out without a temporary.
void AppendCStr(std::string& out, double value);
void AppendInt(std::string& out, std::int64_t value);

// The n-th piece (from 1) of text between delimiters, blanks kept; "" for n
// below 1 or past the last piece. An empty delimiter makes the whole text
// piece 1.
std::string_view NthField(std::string_view text, std::string_view delimiter, std::int64_t n);

// Mid(text, start, count): count characters from position start;
// Mid(text, start): from start to the end. "" where nothing is left.
std::string_view Mid(std::string_view text, std::int64_t start, std::int64_t count);
std::string_view Mid(std::string_view text, std::int64_t start);

// The first count characters; "" for a count below 1.
std::string_view Left(std::string_view text, std::int64_t count);

std::int64_t Len(std::string_view text);

// Blanks (spaces and tabs) off both ends.
std::string_view Trim(std::string_view text);

// Position (from 1) of the first sought text at or after start (0 or 1 both
// search from the first character); 0 when absent or when sought is empty.
std::int64_t InStr(std::int64_t start, std::string_view text, std::string_view sought);

// Every occurrence of sought replaced by replacement. Returns a new text.
std::string ReplaceAll(std::string_view text, std::string_view sought, std::string_view replacement);

// The same in place; when sought and replacement are one character each the
// text is not copied.
void ReplaceAllInPlace(std::string& text, std::string_view sought, std::string_view replacement);

// Reserves room for capacity characters in text, as reserve does (and
// throwing as it does). Where the system offers large memory pages the room
// is backed by them as it is first written, which spares a long text most of
// its page faults; pages that are never written cost no memory either way.
void ReserveAhead(std::string& text, std::size_t capacity);

// Line ends of the script format.
inline constexpr std::string_view kEndOfLineWindows = "\r\n";
inline constexpr std::string_view kEndOfLineMacintosh = "\r";

}  // namespace fw
