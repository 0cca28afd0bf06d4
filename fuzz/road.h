// The core road that the fuzz target and the corpus test share: bytes in,
// one conversion out, every promise about the result checked. Its script
// reader, comparer and textbook oracle serve the other tests too.
//
// Input: byte 0 gives the along step count (1 + byte % 64), byte 1 the side
// count, bit 0 of byte 2 the curve switch, byte 3 % 16 the length of the
// scale text that follows; the rest is the IGES file. "EG03" + "2.5" reads as
// 6 along, 8 across, independent curves only, scale 2.5.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class INURBSElement;

namespace fuzz {

struct RoadInput {
  std::int32_t along = 1, side = 1;
  bool referenceCurves = false;
  std::string_view scale;
  std::string_view iges;
};

RoadInput DecodeInput(std::string_view bytes);

struct RoadResult {
  bool ok = false;
  std::string script, error;  // the script after the decimal-point replacement
};

// Installs the settings, imports the IGES bytes and replaces every "," by ".".
RoadResult RunCoreRoad(const RoadInput& input);

// What is wrong with a result, or "" when it keeps every promise: a failure
// has a message and no text; a success has no message and is
// "Brindlemark(1.1)" followed by the TextbookObject of every element that a
// second reading of the file hands out.
std::string CheckResult(const RoadInput& input, const RoadResult& result);

// The text object that a conversion must write for element on an along x
// side grid: the points of the textbook routines (BSpline, rbspsurf), which
// the conversions only compute faster, each coordinate the shortest text that
// reads back to it, -0 written 0; "" for an element that converts to nothing.
// A surface is converted first, which raises its two-point directions.
std::string TextbookObject(INURBSElement& element, std::int32_t along, std::int32_t side);

// The first line where actual differs from expected, "" when none: lines must
// be the same text, but the three coordinates of a point row may differ by
// tolerance relative to the expected value (absolute below 1).
std::string ScriptDifference(std::string_view expected, std::string_view actual, double tolerance = 0.0);

}  // namespace fuzz
