#include "fuzz/road.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <memory>

#include "framework/line_stream.h"
#include "framework/runtime.h"
#include "framework/text.h"
#include "iges/iges_reader.h"
#include "nurbs/iges_importer.h"
#include "nurbs/nurbs_engine.h"

namespace fuzz {
namespace {

std::vector<std::string> Split(std::string_view text, std::string_view separator) {
  std::vector<std::string> pieces;
  std::size_t start = 0;
  for (std::size_t found; (found = text.find(separator, start)) != std::string_view::npos;
       start = found + separator.size()) {
    pieces.emplace_back(text.substr(start, found - start));
  }
  pieces.emplace_back(text.substr(start));
  return pieces;
}

// The lines of script text without their CR LF, the piece behind the last
// one included ("" or the written file's closing CR).
std::vector<std::string> Lines(std::string_view text) { return Split(text, "\r\n"); }

// The number text that the script promises, made independently of the
// framework: the shortest text that reads back to the same double, as
// std::to_chars writes it, with -0 written "0".
std::string PlainText(double value) {
  if (value == 0.0) value = 0.0;
  char buffer[32];
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

bool ReadNumber(const std::string& text, double& value) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return !text.empty() && ec == std::errc() && end == text.data() + text.size() && std::isfinite(value);
}

bool SameRow(const std::string& expected, const std::string& actual, double tolerance) {
  const std::vector<std::string> e = Split(expected, "\t"), a = Split(actual, "\t");
  if (e.size() != 5 || a.size() != 5 || e[0] != a[0] || e[1] != a[1]) return false;
  for (std::size_t j = 2; j < 5; ++j) {
    double ev = 0.0, av = 0.0;
    if (!ReadNumber(e[j], ev) || !ReadNumber(a[j], av)) return false;
    if (!(std::abs(ev - av) <= tolerance * std::max(1.0, std::abs(ev)))) return false;
  }
  return true;
}

void Install(const RoadInput& input) {
  fw::App().AlongStep = input.along;
  fw::App().SideStep = input.side;
  fw::SetScaleText(input.scale);
}

}  // namespace

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
  Install(input);
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
    return result.script.empty() ? "" : "failed but left script text behind";
  }
  if (!result.error.empty()) return "succeeded with the message \"" + result.error + "\"";
  Install(input);
  IGESReader reader(fw::LineInputStream::FromMemory(input.iges), input.referenceCurves);
  std::string expected = "Brindlemark(1.1)\r\n";
  while (const std::unique_ptr<INURBSElement> e = reader.ReadNextNURBSElement()) {
    expected += TextbookObject(*e, input.along, input.side);
  }
  if (!reader.ErrorMessage.empty()) return "the second reading failed: " + reader.ErrorMessage;
  return ScriptDifference(expected, result.script);
}

std::string TextbookObject(INURBSElement& element, std::int32_t along, std::int32_t side) {
  std::int64_t p1 = along, p2 = 1, type = 1, horizontal = along - 1, vertical = 1;
  std::vector<double> points;
  bool ok = true;
  if (auto* curve = dynamic_cast<NURBSCurve*>(&element)) {
    if (curve->NoOfControlPoints < 3) return {};
    ok = NURBSEngine::BSpline(curve->NoOfControlPoints, curve->BasisFunction + 1, along, curve->ControlPoints, points,
                              curve->Weights);
  } else if (auto* surface = dynamic_cast<NURBSSurface*>(&element)) {
    const std::int32_t nu = surface->NoOfControlPointsU, nv = surface->NoOfControlPointsV;
    if (nu < 1 || nv < 1) return {};
    std::string scratch, error;
    NURBSEngine::ConvertNURBSSurface(*surface, along, side, scratch, error);
    // A raised direction is evaluated at 3 points whatever the steps.
    p1 = nu == 2 && nv == 2 ? 3 : along;
    p2 = nu == 2 ? 3 : side;
    type = 3;
    horizontal = p1 - 1;
    vertical = p2 - 1;
    if (p1 > 0 && p2 > 0) {
      ok = NURBSEngine::rbspsurf(surface->ControlPoints, surface->BasisFunctionsV + 1, surface->BasisFunctionsU + 1,
                                 surface->NoOfControlPointsV, surface->NoOfControlPointsU, static_cast<std::int32_t>(p1),
                                 static_cast<std::int32_t>(p2), points);
    }
  }
  if (!ok) return "(the textbook routines give a point without position)\r\n";
  std::string text = "Start Object\r\nObjHorResC\t" + std::to_string(horizontal) + "\r\nObjVerResC\t" +
                     std::to_string(vertical) + "\r\nObjTypeC\t" + std::to_string(type) + "\r\n";
  for (std::int64_t i = 0; p1 > 0 && p2 > 0 && i < p1 * p2; ++i) {
    text += std::to_string(i % p2) + "\t" + std::to_string(i / p2);
    for (std::size_t j = 1; j <= 3; ++j) {
      const double value = points[static_cast<std::size_t>(3 * i) + j];
      if (!std::isfinite(value)) return "(the textbook routines give a point beyond the double range)\r\n";
      text += "\t" + PlainText(value);
    }
    text += "\r\n";
  }
  return text + "End Object\r\n";
}

std::string ScriptDifference(std::string_view expected, std::string_view actual, double tolerance) {
  const std::vector<std::string> e = Lines(expected), a = Lines(actual);
  for (std::size_t i = 0; i < std::max(e.size(), a.size()); ++i) {
    const std::string want = i < e.size() ? e[i] : "(the end)", got = i < a.size() ? a[i] : "(the end)";
    if (want == got || (tolerance > 0.0 && SameRow(want, got, tolerance))) continue;
    return "line " + std::to_string(i + 1) + " is \"" + got.substr(0, 200) + "\", expected \"" + want.substr(0, 200) +
           "\"";
  }
  return {};
}

}  // namespace fuzz
