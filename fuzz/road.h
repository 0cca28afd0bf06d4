// The core road that the fuzz target and the corpus regression test share:
// one input of bytes in, one conversion out, with every promise about the
// result checked.
//
// Input layout, so that the fuzzer can vary the settings as well as the file:
//   byte 0   along step count: 1 + byte % 64
//   byte 1   side step count:  1 + byte % 64
//   byte 2   bit 0 set: keep every curve (the "Import Curves / Trims" switch)
//   byte 3   length L of the scale text: byte % 16
//   L bytes  the scale text
//   the rest the IGES file
// A seed written in printable text such as "EG03" + "2.5" reads as 6 points
// along, 8 across, independent curves only, scale 2.5.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

struct RoadInput {
  std::int32_t along = 1;
  std::int32_t side = 1;
  bool referenceCurves = false;
  std::string_view scale;
  std::string_view iges;
};

RoadInput DecodeInput(std::string_view bytes);

struct RoadResult {
  bool ok = false;
  std::string script;  // after the decimal-point replacement
  std::string error;
};

// Installs the settings, imports the IGES bytes and replaces every "," by ".".
RoadResult RunCoreRoad(const RoadInput& input);

// What is wrong with a result, or "" when it keeps every promise: a failure
// has a message and no text; a success has no message, the header, and
// well-formed objects whose row counts match their headers and whose
// coordinates are finite numbers.
std::string CheckResult(const RoadInput& input, const RoadResult& result);

// For a result that passed CheckResult: every point row must be the text of
// the point that the textbook routines (BSpline, rbspsurf) give for the same
// element, to the last bit, since the conversions only compute it faster;
// the text is the shortest that reads back to the point's double.
// Reads the file a second time to get the elements. "" when all agree.
std::string CheckAgainstTextbook(const RoadInput& input, const RoadResult& result);

// Every piece of text between ",", ";" and line ends must read by fw::Val as
// a plain, correctly rounded reading of its leading number would: the same
// double to the bit and the same count of characters taken. Numbers of more
// than 760 digits are passed over: for them Val promises only the leading
// digits and the magnitude. fw::CStr of each finite value read must be the
// shortest text that reads back to it. "" when all agree.
std::string CheckNumbers(std::string_view text);

}  // namespace fuzz
