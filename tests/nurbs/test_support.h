// Shared helpers of the nurbs tests: elements built in memory, scripts taken
// apart into objects and rows, step counts and scale set for one test.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/runtime.h"
#include "framework/text.h"
#include "iges/nurbs_element.h"
#include "tests/support/iges_text.h"

namespace nurbs_test {

using namespace igestext;

inline NURBSCurve MakeCurve(int degree, const std::vector<Point3>& points, const std::vector<double>& weights) {
  NURBSCurve curve;
  curve._elementType = 126;
  curve.BasisFunction = degree;
  curve.NoOfControlPoints = static_cast<std::int32_t>(points.size());
  curve.Weights = {0.0};
  curve.Weights.insert(curve.Weights.end(), weights.begin(), weights.end());
  curve.ControlPoints = {0.0};
  for (const Point3& p : points) curve.ControlPoints.insert(curve.ControlPoints.end(), p.begin(), p.end());
  return curve;
}

// net holds nu * nv points, the U (across) index fastest.
inline NURBSSurface MakeSurface(std::int32_t degreeU, std::int32_t degreeV, std::int32_t nu, std::int32_t nv,
                                const std::vector<Point4>& net) {
  NURBSSurface surface;
  surface._elementType = 128;
  surface.BasisFunctionsU = degreeU;
  surface.BasisFunctionsV = degreeV;
  surface.NoOfControlPointsU = nu;
  surface.NoOfControlPointsV = nv;
  surface.Weights = {0.0};
  surface.ControlPoints = {0.0};
  for (const Point4& p : net) {
    surface.Weights.push_back(p[3]);
    surface.ControlPoints.insert(surface.ControlPoints.end(), p.begin(), p.end());
  }
  return surface;
}

// The lines of a script text, without their CR LF ends.
inline std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0, end = 0; start < text.size(); start = end + 2) {
    end = std::min(text.find("\r\n", start), text.size());
    lines.emplace_back(text.substr(start, end - start));
  }
  return lines;
}

// One text object: its three header values and its point rows.
struct TextObject {
  std::string horizontal, vertical, type;
  std::vector<std::string> rows;
};

inline std::vector<TextObject> Objects(std::string_view script) {
  std::vector<TextObject> objects;
  const std::vector<std::string> lines = Lines(script);
  for (std::size_t i = 0; i + 3 < lines.size(); ++i) {
    if (lines[i] != "Start Object") continue;
    auto value = [&](std::size_t j) { return std::string(fw::NthField(lines[j], "\t", 2)); };
    TextObject object{value(i + 1), value(i + 2), value(i + 3), {}};
    for (i += 4; i < lines.size() && lines[i] != "End Object"; ++i) object.rows.push_back(lines[i]);
    objects.push_back(std::move(object));
  }
  return objects;
}

inline std::string Row(std::int64_t column, std::int64_t row, double x, double y, double z) {
  return fw::Str(column) + "\t" + fw::Str(row) + "\t" + fw::CStr(x) + "\t" + fw::CStr(y) + "\t" + fw::CStr(z);
}

inline Point3 Coordinates(std::string_view row) {
  auto at = [row](int n) { return fw::Val(fw::NthField(row, "\t", n)); };
  return {at(3), at(4), at(5)};
}

// Sets the step counts and the scale text for one test and puts the previous
// ones back afterwards.
struct Settings {
  Settings(std::int32_t along, std::int32_t side, std::string_view scale = "1")
      : saved(fw::App()), savedScale(fw::ScaleText()) {
    fw::App().AlongStep = along;
    fw::App().SideStep = side;
    fw::SetScaleText(scale);
  }
  ~Settings() {
    fw::App() = saved;
    fw::SetScaleText(savedScale);
  }
  const fw::AppState saved;
  const std::string savedScale;
};

}  // namespace nurbs_test
