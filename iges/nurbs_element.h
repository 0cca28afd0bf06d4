// The in-memory record of one converted IGES entity.
//
// Array layout, which the parser produces and the engine relies on:
// Weights and ControlPoints hold a 0.0 pad at element 0 and their data from
// element 1; a curve's KnotValue holds its first knot at element 0.
// Coordinates are stored scaled and in the order X, Z, Y of the file's X, Y,
// Z: three values per curve point, four per surface point (X, Z, Y, weight),
// the U index running fastest.
#pragma once

#include <cstdint>
#include <vector>

class INURBSElement {
 public:
  virtual ~INURBSElement() = default;
  // The IGES entity type: 126 for a curve, 128 for a surface.
  virtual std::int32_t ElementType() const = 0;
};

// Rational B-spline curve, IGES entity 126.
class NURBSCurve : public INURBSElement {
 public:
  std::int32_t ElementType() const override { return _elementType; }

  std::int32_t _elementType = 0;
  std::int32_t UpperIndex = 0;     // never set; kept for the record layout
  std::int32_t BasisFunction = 0;  // the degree M
  bool IsPlanar = false;
  bool IsClosed = false;
  bool IsRational = false;  // PROP3 as written: true when the file says polynomial
  bool IsPeriodic = false;
  std::vector<double> KnotValue;      // T(-M) .. T(N+M) from element 0, unscaled
  std::vector<double> Weights;        // pad, then W(0) .. W(K)
  std::vector<double> ControlPoints;  // pad, then X*s, Z*s, Y*s per point
  std::int32_t NoOfControlPoints = 0;  // K + 1
  std::int32_t N1 = 0;                 // K + 1 - M
  std::int32_t orderOfCurve = 0;       // M + 1
};

// Rational B-spline surface, IGES entity 128.
class NURBSSurface : public INURBSElement {
 public:
  std::int32_t ElementType() const override { return _elementType; }

  std::int32_t BasisFunctionsU = 0;  // degree M1
  std::int32_t BasisFunctionsV = 0;  // degree M2
  std::int32_t NoOfControlPointsU = 0;  // K1 + 1
  std::int32_t NoOfControlPointsV = 0;  // K2 + 1
  std::int32_t IsClosedU = 0;
  std::int32_t IsClosedV = 0;
  std::int32_t IsRational = 0;  // PROP3 as written: 1 for a polynomial surface
  std::int32_t IsPeriodicU = 0;
  std::int32_t IsPeriodicV = 0;
  std::vector<double> KnotValueU;  // never filled: the file's knots are not used
  std::vector<double> KnotValueV;
  std::vector<double> Weights;        // pad, then the C weights, U fastest
  std::vector<double> ControlPoints;  // pad, then X*s, Z*s, Y*s, w per point
  std::int32_t N1 = 0;  // K1 + 1 - M1
  std::int32_t N2 = 0;  // K2 + 1 - M2
  std::int32_t _elementType = 0;
};
