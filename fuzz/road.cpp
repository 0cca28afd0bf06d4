#include "fuzz/road.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "framework/line_stream.h"
#include "framework/runtime.h"
#include "framework/text.h"
#include "iges/iges_reader.h"
#include "nurbs/iges_importer.h"
#include "nurbs/nurbs_engine.h"

namespace fuzz {
namespace {

std::vector<std::string_view> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  for (std::size_t found; (found = text.find(separator, start)) != std::string_view::npos;
       start = found + separator.size()) {
    pieces.push_back(text.substr(start, found - start));
  }
  pieces.push_back(text.substr(start));
  return pieces;
}

bool ReadInt(std::string_view text, std::int64_t& value) {
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size();
}

bool IsFiniteNumber(std::string_view text) {
  double value = 0.0;
  if (text.empty()) return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

// Reads "keyword<TAB>integer"; false when the line is anything else.
bool HeaderValue(std::string_view line, std::string_view keyword, std::int64_t& value) {
  const std::vector<std::string_view> fields = Split(line, "\t");
  return fields.size() == 2 && fields[0] == keyword && ReadInt(fields[1], value);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

struct Reading {
  double value = 0.0;
  std::size_t used = 0;
  std::size_t digits = 0;  // of the mantissa, leading zeros included
};

// The leading number of text, read the plain way: the mantissa's digits and
// the exponent collected as they stand, then one correctly rounding
// conversion of "<digits>e<exponent>".
Reading ReferenceVal(std::string_view text) {
  Reading reading;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::string digits;
  std::int64_t fractionDigits = 0;
  while (i < n && IsDigit(text[i])) digits += text[i++];
  if (i < n && text[i] == '.') {
    ++i;
    for (; i < n && IsDigit(text[i]); ++i, ++fractionDigits) digits += text[i];
  }
  reading.digits = digits.size();
  if (digits.empty()) return reading;
  reading.used = i;
  std::int64_t exponent = 0;
  if (i < n && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    std::size_t j = i + 1;
    bool exponentNegative = false;
    if (j < n && (text[j] == '+' || text[j] == '-')) exponentNegative = text[j++] == '-';
    if (j < n && IsDigit(text[j])) {
      // Past a million the exponent decides alone, whatever the digits.
      for (; j < n && IsDigit(text[j]); ++j)
        exponent = std::min<std::int64_t>(exponent * 10 + (text[j] - '0'), 1000000);
      if (exponentNegative) exponent = -exponent;
      reading.used = j;
    }
  }
  digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
  double value = 0.0;
  if (!digits.empty()) {
    const std::int64_t scale = exponent - fractionDigits;
    std::string normal = digits + "e" + std::to_string(scale);
    const auto [end, ec] = std::from_chars(normal.data(), normal.data() + normal.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
      const std::int64_t magnitude = static_cast<std::int64_t>(digits.size()) + scale;
      value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
  }
  reading.value = negative ? -value : value;
  return reading;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The number text that the script promises, made independently of the
// framework: the shortest text that reads back to the same double, as
// std::to_chars writes it, with -0 written "0".
std::string PlainText(double value) {
  if (value == 0.0) value = 0.0;
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)ec;
  return std::string(buffer, end);
}

std::string At(std::size_t lineIndex, const std::string& what) {
  return "script line " + std::to_string(lineIndex + 1) + ": " + what;
}

}  // namespace

std::string CheckNumbers(std::string_view text) {
  constexpr std::size_t kMaxPieces = 4096;
  std::size_t pieces = 0;
  for (std::size_t start = 0; start <= text.size() && pieces < kMaxPieces; ++pieces) {
    std::size_t stop = text.find_first_of(",;\r\n", start);
    if (stop == std::string_view::npos) stop = text.size();
    const std::string_view piece = text.substr(start, stop - start);
    start = stop + 1;
    const Reading expected = ReferenceVal(piece);
    if (expected.digits > 760) continue;
    std::size_t used = 0;
    const double value = fw::Val(piece, used);
    if (!SameBits(value, expected.value) || used != expected.used) {
      return "Val(\"" + std::string(piece.substr(0, 80)) + "\") gives " + fw::CStr(value) + " from " +
             std::to_string(used) + " characters; expected " + fw::CStr(expected.value) + " from " +
             std::to_string(expected.used);
    }
    if (std::isfinite(value) && fw::CStr(value) != PlainText(value)) {
      return "CStr(" + PlainText(value) + ") gives " + fw::CStr(value);
    }
  }
  return {};
}

RoadInput DecodeInput(std::string_view bytes) {
  RoadInput input;
  auto byte = [&](std::size_t i) { return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u; };
  input.along = 1 + static_cast<std::int32_t>(byte(0) % 64);
  input.side = 1 + static_cast<std::int32_t>(byte(1) % 64);
  input.referenceCurves = (byte(2) & 1u) != 0;
  const std::size_t scaleLength = byte(3) % 16;
  const std::size_t header = std::min<std::size_t>(4, bytes.size());
  input.scale = bytes.substr(header, scaleLength);
  input.iges = bytes.substr(std::min(bytes.size(), header + scaleLength));
  return input;
}

RoadResult RunCoreRoad(const RoadInput& input) {
  fw::App().AlongStep = input.along;
  fw::App().SideStep = input.side;
  fw::SetScaleText(input.scale);
  RoadResult result;
  IGESImporter importer(fw::LineInputStream::FromMemory(input.iges), input.referenceCurves);
  result.ok = importer.GetBrindlemarkObjects(result.script);
  result.error = importer.ErrorMessage();
  fw::ReplaceAllInPlace(result.script, ",", ".");
  return result;
}

std::string CheckResult(const RoadInput& input, const RoadResult& result) {
  if (!result.ok) {
    if (result.error.empty()) return "failed without a message";
    if (!result.script.empty()) return "failed but left script text behind";
    return {};
  }
  if (!result.error.empty()) return "succeeded with the message \"" + result.error + "\"";
  const std::string_view end = "\r\n";
  if (result.script.size() < end.size() || result.script.compare(result.script.size() - 2, 2, end) != 0) {
    return "the script does not end with CR LF";
  }
  std::vector<std::string_view> lines = Split(result.script, end);
  lines.pop_back();  // the empty piece behind the last line end
  if (lines.empty() || lines[0] != "Brindlemark(1.1)") return "the script does not start with its header line";

  std::size_t i = 1;
  while (i < lines.size()) {
    if (lines[i] != "Start Object") return At(i, "expected \"Start Object\"");
    if (i + 4 > lines.size()) return At(i, "object cut short");
    std::int64_t horizontal = 0, vertical = 0, type = 0;
    if (!HeaderValue(lines[i + 1], "ObjHorResC", horizontal)) return At(i + 1, "bad ObjHorResC line");
    if (!HeaderValue(lines[i + 2], "ObjVerResC", vertical)) return At(i + 2, "bad ObjVerResC line");
    if (!HeaderValue(lines[i + 3], "ObjTypeC", type)) return At(i + 3, "bad ObjTypeC line");
    std::int64_t rows = 0;
    if (type == 1) {
      if (horizontal != input.along - 1 || vertical != 1) return At(i + 1, "curve header does not match the steps");
      rows = input.along;
    } else if (type == 3) {
      // A direction raised from two control points is evaluated at 3 points.
      if (horizontal != input.along - 1 && horizontal != 2) return At(i + 1, "ObjHorResC does not match the steps");
      if (vertical != input.side - 1 && vertical != 2) return At(i + 2, "ObjVerResC does not match the steps");
      rows = (horizontal + 1) * (vertical + 1);
    } else {
      return At(i + 3, "object type is neither 1 nor 3");
    }
    i += 4;
    for (std::int64_t row = 0; row < rows; ++row, ++i) {
      if (i >= lines.size()) return At(i, "rows cut short");
      const std::vector<std::string_view> fields = Split(lines[i], "\t");
      if (fields.size() != 5) return At(i, "a point row needs five fields");
      std::int64_t column = 0, along = 0;
      if (!ReadInt(fields[0], column) || !ReadInt(fields[1], along)) return At(i, "row indices are not integers");
      const std::int64_t across = type == 1 ? 1 : vertical + 1;
      if (column != row % across || along != row / across) return At(i, "row indices out of order");
      for (std::size_t f = 2; f < 5; ++f) {
        if (!IsFiniteNumber(fields[f]))
          return At(i, "coordinate \"" + std::string(fields[f]) + "\" is no finite number");
      }
    }
    if (i >= lines.size() || lines[i] != "End Object") return At(i, "expected \"End Object\"");
    ++i;
  }
  return {};
}

namespace {

struct Object {
  std::int64_t type = 0;
  std::vector<std::string_view> rows;
};

// The objects of a script that CheckResult accepted.
std::vector<Object> Objects(const std::string& script) {
  std::vector<Object> objects;
  std::vector<std::string_view> lines = Split(script, "\r\n");
  for (std::size_t i = 1; i < lines.size(); ++i) {
    if (lines[i] == "Start Object") {
      objects.emplace_back();
      HeaderValue(lines[i + 3], "ObjTypeC", objects.back().type);
      i += 3;
    } else if (lines[i] != "End Object" && !lines[i].empty()) {
      objects.back().rows.push_back(lines[i]);
    }
  }
  return objects;
}

// Compares the coordinates of rows with the points in values (three from
// element 1 on, one point per row).
std::string CompareRows(std::size_t object, const std::vector<std::string_view>& rows,
                        const std::vector<double>& values) {
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const std::vector<std::string_view> fields = Split(rows[r], "\t");
    for (std::size_t j = 0; j < 3; ++j) {
      const std::string expected = PlainText(values[1 + 3 * r + j]);
      if (fields[2 + j] != expected) {
        return "object " + std::to_string(object + 1) + ", row " + std::to_string(r + 1) + ": coordinate " +
               std::to_string(j + 1) + " is " + std::string(fields[2 + j]) + ", the textbook routines give " + expected;
      }
    }
  }
  return {};
}

}  // namespace

std::string CheckAgainstTextbook(const RoadInput& input, const RoadResult& result) {
  if (!result.ok) return {};
  const std::vector<Object> objects = Objects(result.script);
  fw::App().AlongStep = input.along;
  fw::App().SideStep = input.side;
  fw::SetScaleText(input.scale);
  IGESReader reader(fw::LineInputStream::FromMemory(input.iges), input.referenceCurves);
  std::size_t next = 0;
  std::string scratch, error;
  for (std::unique_ptr<INURBSElement> e = reader.ReadNextNURBSElement(); e; e = reader.ReadNextNURBSElement()) {
    std::vector<double> points;
    std::int64_t type = 0;
    std::size_t expectedRows = 0;
    if (auto* curve = dynamic_cast<NURBSCurve*>(e.get())) {
      if (curve->NoOfControlPoints < 3) continue;
      type = 1;
      expectedRows = static_cast<std::size_t>(input.along);
      if (!NURBSEngine::BSpline(curve->NoOfControlPoints, curve->BasisFunction + 1, input.along, curve->ControlPoints,
                                points, curve->Weights)) {
        return "object " + std::to_string(next + 1) + ": the textbook curve has a point without position";
      }
    } else if (auto* surface = dynamic_cast<NURBSSurface*>(e.get())) {
      const std::int32_t nu = surface->NoOfControlPointsU, nv = surface->NoOfControlPointsV;
      if (nu < 1 || nv < 1) continue;
      type = 3;
      // The conversion raises a two-point direction in the element itself;
      // the textbook routine then evaluates the raised net.
      if (!NURBSEngine::ConvertNURBSSurface(*surface, input.along, input.side, scratch, error)) {
        return "object " + std::to_string(next + 1) + ": converting again failed: " + error;
      }
      const std::int32_t p1 = nu == 2 && nv == 2 ? 3 : input.along;
      const std::int32_t p2 = nu == 2 ? 3 : input.side;
      expectedRows = static_cast<std::size_t>(p1) * static_cast<std::size_t>(p2);
      if (!NURBSEngine::rbspsurf(surface->ControlPoints, surface->BasisFunctionsV + 1, surface->BasisFunctionsU + 1,
                                 surface->NoOfControlPointsV, surface->NoOfControlPointsU, p1, p2, points)) {
        return "object " + std::to_string(next + 1) + ": the textbook surface has a point without position";
      }
    } else {
      return "the reader handed out an element that is neither curve nor surface";
    }
    if (next >= objects.size()) return "element " + std::to_string(next + 1) + " has no object in the script";
    const Object& object = objects[next];
    if (object.type != type || object.rows.size() != expectedRows) {
      return "object " + std::to_string(next + 1) + " is of type " + std::to_string(object.type) + " with " +
             std::to_string(object.rows.size()) + " rows; expected type " + std::to_string(type) + " with " +
             std::to_string(expectedRows);
    }
    if (std::string problem = CompareRows(next, object.rows, points); !problem.empty()) return problem;
    ++next;
  }
  if (!reader.ErrorMessage.empty()) return "the second reading failed: " + reader.ErrorMessage;
  if (next != objects.size()) return "the script holds more objects than the file has elements to convert";
  return {};
}

}  // namespace fuzz
