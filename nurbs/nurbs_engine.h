// Evaluates curves and surfaces on evenly spaced parameter grids and writes
// them as Brindlemark text objects.
//
// Knot vectors are always the open uniform integer vectors that knot() builds
// from the number of control points and the order: the file's own knot values
// do not enter the evaluation. Arrays follow the element model: element 0 is
// a pad that the routines neither read nor write.
//
// The textbook routines (knot, Basis, BSpline, sumrbas, rbspsurf) are kept as
// written: they define the results. The conversions use a fast path that
// computes only the non-zero basis values of each parameter once and gives
// bit-identical points.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "iges/nurbs_element.h"

class NURBSEngine {
 public:
  // Appends the curve's text object to script, evaluated at steps points with
  // order BasisFunction + 1 over its weights. A curve with fewer than 3
  // control points appends nothing. Returns false, with script unchanged and
  // the reason in error, when the curve cannot be evaluated (an order below
  // 1, a weighted basis sum that is not positive, a point beyond the double
  // range).
  static bool ConvertNURBSCurve(const NURBSCurve& curve, std::int32_t steps, std::string& script,
                                std::string& error);

  // Appends the surface's text object: stepsA points along (V), stepsB across
  // (U). A direction with two control points is first raised to three, which
  // rewrites the element, and is then evaluated at 3 points. A surface with
  // no control point in a direction appends nothing. Fails as the curve does.
  static bool ConvertNURBSSurface(NURBSSurface& surface, std::int32_t stepsA, std::int32_t stepsB,
                                  std::string& script, std::string& error);

  // The point rows of the surface's text object, along x across, for a
  // surface of nu x nv control points: a direction of two is taken at 3
  // points (along only when both are two), a step count below 1 in either
  // direction gives no rows, and so does a direction without control points.
  struct Grid {
    std::int64_t along = 0, across = 0;
  };
  static Grid SurfaceGrid(std::int32_t nu, std::int32_t nv, std::int32_t stepsA, std::int32_t stepsB);

  // The highest degree evaluated; an element of a higher one is refused.
  static constexpr std::int32_t kMaxDegree = 100;

  // The bytes that converting one element holds beside the script at its
  // peak: basis values and working arrays. A surface keeps the values of
  // every step across, which serve every row; a curve, and a surface along,
  // those of one step at a time, whatever the step count. A direction of two
  // control points counts as the three it may be raised to, a degree beyond
  // kMaxDegree as kMaxDegree. Does not allocate.
  static std::int64_t CurveMemory(std::int32_t points, std::int32_t degree);
  static std::int64_t SurfaceMemory(std::int32_t nu, std::int32_t nv, std::int32_t degreeU, std::int32_t degreeV,
                                    std::int32_t stepsA, std::int32_t stepsB);

  // --- The textbook routines (1-based, pad at 0) ---

  // Open uniform knot vector: writes x[1] .. x[n + c]; x needs n + c + 1 elements.
  static void knot(std::int32_t n, std::int32_t c, std::vector<std::int32_t>& x);

  // Cox-de Boor basis values of order c at t over x: writes n[1] .. n[npts].
  // x's last index must be npts + c; n needs npts + 1 elements.
  static void Basis(std::int32_t c, double t, std::int32_t npts, const std::vector<std::int32_t>& x,
                    std::vector<double>& n);

  // Rational curve of order k at p1 parameter values: p receives 3 * p1
  // values from element 1. b holds 3 * npts coordinates, weights npts
  // weights, both from element 1. Returns false where a weighted basis sum
  // is not positive (p then holds 0 for that point).
  static bool BSpline(std::int32_t npts, std::int32_t k, std::int32_t p1, const std::vector<double>& b,
                      std::vector<double>& p, const std::vector<double>& weights);

  // Weighted basis sum of one grid point of a surface net b (4 values a point).
  static double sumrbas(const std::vector<double>& b, const std::vector<double>& nbasis,
                        const std::vector<double>& mbasis, std::int32_t npts, std::int32_t mpts);

  // Rational surface on a p1 x p2 grid (outer order k over npts points, inner
  // order l over mpts points): appends 3 * p1 * p2 + 1 zeros to q and adds
  // the points into q[1] .. q[3 * p1 * p2], the inner index fastest. Returns
  // false where a weighted basis sum is not positive.
  static bool rbspsurf(const std::vector<double>& b, std::int32_t k, std::int32_t l, std::int32_t npts,
                       std::int32_t mpts, std::int32_t p1, std::int32_t p2, std::vector<double>& q);
};
