// Inputs shared by the benchmarks: control nets and elements made from a
// fixed seed, IGES files made as text, and the sample files when present.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "framework/text.h"
#include "iges/nurbs_element.h"
#include "tests/support/iges_text.h"

namespace bench {

// A file of the sample folder given to CMake (BM_SAMPLES_DIR), read whole;
// false when it cannot be read.
inline bool ReadSample(const std::string& relative, std::string& bytes) {
  std::ifstream in(std::string(BM_SAMPLES_DIR) + "/" + relative, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

inline std::string SamplePath(const std::string& relative) { return std::string(BM_SAMPLES_DIR) + "/" + relative; }

inline bool SampleExists(const std::string& relative) {
  std::ifstream in(SamplePath(relative), std::ios::binary);
  return static_cast<bool>(in);
}

// Coordinates of the size of real parts (hundreds of millimetres, full
// double precision) so that the numbers print at their usual length.
class NetMaker {
 public:
  explicit NetMaker(std::uint64_t seed) : random_(seed) {}

  double Coordinate() { return coordinate_(random_); }
  double Weight() { return weight_(random_); }

  NURBSSurface Surface(std::int32_t nu, std::int32_t nv, std::int32_t orderU, std::int32_t orderV) {
    NURBSSurface surface;
    surface._elementType = 128;
    surface.NoOfControlPointsU = nu;
    surface.NoOfControlPointsV = nv;
    surface.BasisFunctionsU = orderU - 1;
    surface.BasisFunctionsV = orderV - 1;
    surface.N1 = nu - orderU + 1;
    surface.N2 = nv - orderV + 1;
    surface.Weights.push_back(0.0);
    surface.ControlPoints.push_back(0.0);
    for (std::int64_t i = 0; i < static_cast<std::int64_t>(nu) * nv; ++i) {
      const double w = Weight();
      surface.Weights.push_back(w);
      surface.ControlPoints.insert(surface.ControlPoints.end(), {Coordinate(), Coordinate(), Coordinate(), w});
    }
    return surface;
  }

  NURBSCurve Curve(std::int32_t npts, std::int32_t order) {
    NURBSCurve curve;
    curve._elementType = 126;
    curve.BasisFunction = order - 1;
    curve.NoOfControlPoints = npts;
    curve.orderOfCurve = order;
    curve.N1 = npts - order + 1;
    curve.Weights.push_back(0.0);
    curve.ControlPoints.push_back(0.0);
    for (std::int32_t i = 0; i < npts; ++i) {
      curve.Weights.push_back(Weight());
      curve.ControlPoints.insert(curve.ControlPoints.end(), {Coordinate(), Coordinate(), Coordinate()});
    }
    return curve;
  }

 private:
  std::mt19937_64 random_;
  std::uniform_real_distribution<double> coordinate_{-500.0, 500.0};
  std::uniform_real_distribution<double> weight_{0.5, 2.0};
};

// The Parameter Data text of a bicubic surface over an n x n net.
inline std::string SurfaceParameterText(std::int32_t n, NetMaker& maker) {
  const std::int32_t degree = n > 3 ? 3 : n - 1;
  std::string text = "128," + fw::Str(n - 1) + "," + fw::Str(n - 1) + "," + fw::Str(degree) + "," +
                     fw::Str(degree) + ",0,0,0,0,0";
  for (int direction = 0; direction < 2; ++direction) {
    for (std::int32_t i = 0; i <= n + degree; ++i) text += "," + fw::Str(i) + ".";
  }
  for (std::int64_t i = 0; i < static_cast<std::int64_t>(n) * n; ++i) text += "," + fw::CStr(maker.Weight());
  for (std::int64_t i = 0; i < 3 * static_cast<std::int64_t>(n) * n; ++i) text += "," + fw::CStr(maker.Coordinate());
  return text + ",0.,1.,0.,1.;";
}

// A complete IGES file holding the given Parameter Data texts, each as one
// independent entity, its data cut into 64-column pieces.
inline std::string IgesFile(const std::vector<std::string>& parameterTexts) {
  return igestext::IgesFile::Of(parameterTexts).Text();
}

}  // namespace bench
