// Shared helpers of the nurbs tests: elements built in memory, IGES text, the
// fuzz road's comparer and oracle, step counts and scale set for one test.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/runtime.h"
#include "framework/text.h"
#include "fuzz/road.h"
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

// Sets the step counts and the scale text for one test and puts the previous
// ones back afterwards.
struct Settings {
  Settings(std::int32_t along, std::int32_t side, std::string_view scale = "1") {
    fw::App().AlongStep = along;
    fw::App().SideStep = side;
    fw::SetScaleText(scale);
  }
  ~Settings() {
    fw::App() = saved;
    fw::SetScaleText(savedScale);
  }
  const fw::AppState saved = fw::App();
  const std::string savedScale = fw::ScaleText();
};

}  // namespace nurbs_test
