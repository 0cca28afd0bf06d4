#include "nurbs/nurbs_engine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using namespace nurbs_test;

// The first row where two row lists differ, or "" when they agree.
std::string FirstDifference(const std::vector<std::string>& actual, const std::vector<std::string>& expected) {
  if (actual.size() != expected.size()) {
    return std::to_string(actual.size()) + " rows, expected " + std::to_string(expected.size());
  }
  for (std::size_t i = 0; i < actual.size(); ++i) {
    if (actual[i] != expected[i]) return "row " + std::to_string(i) + ": " + actual[i] + ", expected " + expected[i];
  }
  return "";
}

void ExpectNear(const Point3& actual, const Point3& expected, double tolerance, const std::string& where) {
  for (int j = 0; j < 3; ++j) {
    EXPECT_NEAR(actual[j], expected[j], tolerance * std::max(1.0, std::abs(expected[j]))) << where << " coordinate " << j;
  }
}

// --- The textbook routines on small inputs: exact, all values dyadic ---

TEST(EngineKnot, BuildsOpenUniformVectors) {
  const struct {
    std::int32_t n, c;
    std::vector<std::int32_t> x;
  } cases[] = {
      {4, 3, {0, 0, 0, 1, 2, 2, 2}},
      {5, 3, {0, 0, 0, 1, 2, 3, 3, 3}},
      {4, 4, {0, 0, 0, 0, 1, 1, 1, 1}},
      {4, 2, {0, 0, 1, 2, 3, 3}},
      {3, 1, {0, 1, 2, 3}},
      {2, 3, {0, 0, 0, 0, 0}},  // an order above the point count leaves no interval
  };
  for (const auto& c : cases) {
    // A sentinel on each side: element 0 and the element past n + c are not written.
    std::vector<std::int32_t> x(c.x.size() + 2, -7);
    NURBSEngine::knot(c.n, c.c, x);
    EXPECT_EQ(std::vector<std::int32_t>(x.begin() + 1, x.end() - 1), c.x) << "n " << c.n << ", c " << c.c;
    EXPECT_EQ(x.front(), -7);
    EXPECT_EQ(x.back(), -7);
  }
}

TEST(EngineBasis, ValuesOverKnots0001222) {
  const std::vector<std::int32_t> x = {0, 0, 0, 0, 1, 2, 2, 2};
  const struct {
    double t;
    std::vector<double> n;
  } cases[] = {
      {0.0, {1, 0, 0, 0}},
      {0.5, {0.25, 0.625, 0.125, 0}},
      {1.0, {0, 0.5, 0.5, 0}},  // an interior knot opens the interval to its right
      {1.5, {0, 0.125, 0.625, 0.25}},
      {2.0, {0, 0, 0, 1}},  // the last knot: the end-point rule
      {-0.5, {0, 0, 0, 0}},
      {2.5, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    std::vector<double> n(5, -1.0);
    NURBSEngine::Basis(3, c.t, 4, x, n);
    EXPECT_EQ(n[0], -1.0) << "the pad was written at t " << c.t;
    EXPECT_EQ(std::vector<double>(n.begin() + 1, n.end()), c.n) << "t " << c.t;
  }
}

TEST(EngineBSpline, OrderThreeOverFourPoints) {
  const std::vector<double> b = {0, 0, 0, 0, 1, 2, 0, 2, 2, 0, 3, 0, 0};
  const std::vector<double> weights = {0, 1, 1, 1, 1};
  std::vector<double> p;
  EXPECT_TRUE(NURBSEngine::BSpline(4, 3, 5, b, p, weights));
  EXPECT_EQ(p, (std::vector<double>{0, 0, 0, 0, 0.875, 1.5, 0, 1.5, 2, 0, 2.125, 1.5, 0, 3, 0, 0}));
}

TEST(EngineRbspsurf, BilinearAndLiftedCentreNets) {
  // Bilinear net, outer index i, inner j: (1,1) (0,0,0), (1,2) (1,0,0), (2,1) (0,1,0), (2,2) (1,1,1).
  const std::vector<double> bilinear = {0, 0, 0, 0, 1, 1, 0, 0, 1, 0, 1, 0, 1, 1, 1, 1, 1};
  std::vector<double> q;
  EXPECT_TRUE(NURBSEngine::rbspsurf(bilinear, 2, 2, 2, 2, 2, 3, q));
  EXPECT_EQ(q, (std::vector<double>{0, 0, 0, 0, 0.5, 0, 0, 1, 0, 0, 0, 1, 0, 0.5, 1, 0.5, 1, 1, 1}));

  // 3 x 3 unit grid with its centre lifted to z = 1; the middle grid point
  // feels the centre's weight. With weight 2 the basis products 0.05 and 0.1
  // are no longer exact, so x and y may miss 1 in the last bit.
  const struct {
    double centreWeight, z, tolerance;
  } cases[] = {{1.0, 0.25, 0.0}, {2.0, 0.4, 1e-15}};
  for (const auto& c : cases) {
    std::vector<double> b = {0.0};
    for (int i = 1; i <= 3; ++i) {
      for (int j = 1; j <= 3; ++j) {
        const bool centre = i == 2 && j == 2;
        b.insert(b.end(), {j - 1.0, i - 1.0, centre ? 1.0 : 0.0, centre ? c.centreWeight : 1.0});
      }
    }
    std::vector<double> grid;
    EXPECT_TRUE(NURBSEngine::rbspsurf(b, 3, 3, 3, 3, 3, 3, grid));
    ASSERT_EQ(grid.size(), 28u);
    EXPECT_NEAR(grid[13], 1.0, c.tolerance) << "centre weight " << c.centreWeight;
    EXPECT_NEAR(grid[14], 1.0, c.tolerance) << "centre weight " << c.centreWeight;
    EXPECT_EQ(grid[15], c.z) << "centre weight " << c.centreWeight;
  }
}

// --- Conversions: script text, closed forms, failures ---

TEST(EngineConvertCurve, WritesOrderDegreePlusOneWithTheHeaderFromApp) {
  // The header counts come from App, not from the steps argument. Written
  // files carry "-0." coordinates; they must come out as 0.
  Settings settings(9, 16);
  const NURBSCurve curve = MakeCurve(2, {{0, 0, -0.0}, {1, 2, -0.0}, {2, 2, -0.0}, {3, 0, -0.0}}, {1, 1, 1, 1});
  std::string script = "Brindlemark(1.1)\r\n", error;
  ASSERT_TRUE(NURBSEngine::ConvertNURBSCurve(curve, 5, script, error)) << error;
  EXPECT_EQ(script,
            "Brindlemark(1.1)\r\nStart Object\r\nObjHorResC\t8\r\nObjVerResC\t1\r\nObjTypeC\t1\r\n"
            "0\t0\t0\t0\t0\r\n0\t1\t0.875\t1.5\t0\r\n0\t2\t1.5\t2\t0\r\n0\t3\t2.125\t1.5\t0\r\n0\t4\t3\t0\t0\r\n"
            "End Object\r\n");
}

TEST(EngineConvertSurface, RaisesTwoByTwoNetInBothDirections) {
  Settings settings(16, 16);
  NURBSSurface surface = MakeSurface(1, 1, 2, 2, {{0, 0, 0, 1}, {4, 0, 0, 2}, {0, 0, 8, 3}, {4, 2, 8, 4}});
  std::string script, error;
  ASSERT_TRUE(NURBSEngine::ConvertNURBSSurface(surface, 16, 16, script, error)) << error;
  EXPECT_EQ(script,
            "Start Object\r\nObjHorResC\t2\r\nObjVerResC\t2\r\nObjTypeC\t3\r\n"
            "0\t0\t0\t0\t0\r\n1\t0\t2\t0\t0\r\n2\t0\t4\t0\t0\r\n"
            "0\t1\t0\t0\t4\r\n1\t1\t2\t0.5\t4\r\n2\t1\t4\t1\t4\r\n"
            "0\t2\t0\t0\t8\r\n1\t2\t2\t1\t8\r\n2\t2\t4\t2\t8\r\n"
            "End Object\r\n");
  EXPECT_EQ(surface.NoOfControlPointsU, 3);
  EXPECT_EQ(surface.NoOfControlPointsV, 3);
  EXPECT_EQ(surface.ControlPoints, (std::vector<double>{0, 0, 0, 0, 1, 2, 0,   0, 2, 4, 0, 0, 2, 0, 0, 4, 3, 2, 0.5, 4,
                                                        4, 4, 1, 4, 4, 0, 0,   8, 3, 2, 1, 8, 4, 4, 2, 8, 4}));
}

TEST(EngineConvertSurface, RaiseInsertsMidpointsWithTheSecondPointsWeight) {
  Settings settings(6, 5);
  auto middle = [](const Point4& a, const Point4& b) {
    return Point4{(a[0] + b[0]) / 2.0, (a[1] + b[1]) / 2.0, (a[2] + b[2]) / 2.0, b[3]};
  };
  const struct {
    std::int32_t nu, nv;
    const char *horizontal, *vertical;
    std::size_t rows;
  } cases[] = {
      {2, 2, "2", "2", 9},   // both directions
      {2, 1, "5", "2", 18},  // across only, a single row
      {2, 5, "5", "2", 18},  // across only
      {4, 2, "5", "4", 30},  // two points along alone raise nothing
  };
  for (const auto& c : cases) {
    // Every point its own weight, so that a weight from the wrong point shows.
    std::vector<std::vector<Point4>> rows(static_cast<std::size_t>(c.nv));
    std::vector<Point4> net;
    for (int v = 0; v < c.nv; ++v) {
      for (int u = 0; u < c.nu; ++u) {
        net.push_back({1.5 * u + 0.25 * v, 2.0 * v - u, 0.125 * u * v + 1.0, 1.0 + 0.5 * (u + c.nu * v)});
        rows[static_cast<std::size_t>(v)].push_back(net.back());
      }
    }
    if (c.nu == 2) {
      if (c.nv == 2) rows.insert(rows.begin() + 1, {middle(rows[0][0], rows[1][0]), middle(rows[0][1], rows[1][1])});
      for (auto& row : rows) row = {row[0], middle(row[0], row[1]), row[1]};
    }
    std::vector<double> expected = {0.0};
    for (const auto& row : rows) {
      for (const Point4& p : row) expected.insert(expected.end(), p.begin(), p.end());
    }

    NURBSSurface surface = MakeSurface(1, 2, c.nu, c.nv, net);
    std::string script, error;
    ASSERT_TRUE(NURBSEngine::ConvertNURBSSurface(surface, 6, 5, script, error)) << error;
    const std::string name = std::to_string(c.nu) + " x " + std::to_string(c.nv);
    EXPECT_EQ(surface.ControlPoints, expected) << name;
    EXPECT_EQ(surface.NoOfControlPointsU, static_cast<std::int32_t>(rows[0].size())) << name;
    EXPECT_EQ(surface.NoOfControlPointsV, static_cast<std::int32_t>(rows.size())) << name;
    const std::vector<TextObject> objects = Objects(script);
    ASSERT_EQ(objects.size(), 1u) << name;
    EXPECT_EQ(objects[0].horizontal, c.horizontal) << name;
    EXPECT_EQ(objects[0].vertical, c.vertical) << name;
    EXPECT_EQ(objects[0].rows.size(), c.rows) << name;
  }
}

// A curve of one span (points = degree + 1) is a rational Bezier curve.
Point3 RationalBezier(const std::vector<Point3>& points, const std::vector<double>& weights, double t) {
  const std::size_t degree = points.size() - 1;
  Point3 sum = {0, 0, 0};
  double denominator = 0.0;
  double binomial = 1.0;
  for (std::size_t i = 0; i <= degree; ++i) {
    const double b = binomial * std::pow(t, static_cast<double>(i)) * std::pow(1.0 - t, static_cast<double>(degree - i));
    for (int j = 0; j < 3; ++j) sum[static_cast<std::size_t>(j)] += weights[i] * b * points[i][static_cast<std::size_t>(j)];
    denominator += weights[i] * b;
    binomial = binomial * static_cast<double>(degree - i) / static_cast<double>(i + 1);
  }
  return {sum[0] / denominator, sum[1] / denominator, sum[2] / denominator};
}

TEST(EngineConvertCurve, MatchesClosedForms) {
  const std::vector<Point3> cubic = {{0, 0, 0}, {1, 3, -1}, {4, 3, 2}, {5, -1, 1}};
  const std::vector<Point3> quadratic = {{1, 0, 0.5}, {1, 1, 0.5}, {0, 1, 0.5}};
  const struct {
    const char* name;
    std::int32_t degree;
    std::vector<Point3> points;
    std::vector<double> weights;
    std::function<Point3(double)> at;  // s from 0 to 1 over the parameter range
  } cases[] = {
      {"cubic Bezier", 3, cubic, {1, 1, 1, 1}, [&](double s) { return RationalBezier(cubic, {1, 1, 1, 1}, s); }},
      {"equal weights give the polynomial curve", 3, cubic, {3, 3, 3, 3},
       [&](double s) { return RationalBezier(cubic, {1, 1, 1, 1}, s); }},
      {"rational quadratic, weights 1 2 1", 2, quadratic, {1, 2, 1},
       [&](double s) {
         const double a = (1 - s) * (1 - s), b = 2 * 2 * s * (1 - s), c = s * s, d = a + b + c;
         return Point3{(a + b) / d, (b + c) / d, 0.5};
       }},
      {"degree 1 is the polyline", 1, quadratic, {1, 1, 1},
       [&](double s) { return s < 0.5 ? Point3{1, 2 * s, 0.5} : Point3{2 - 2 * s, 1, 0.5}; }},
  };
  for (const auto& c : cases) {
    for (std::int32_t steps : {2, 5, 16}) {
      Settings settings(steps, 1);
      std::string script, error;
      ASSERT_TRUE(NURBSEngine::ConvertNURBSCurve(MakeCurve(c.degree, c.points, c.weights), steps, script, error));
      const std::vector<TextObject> objects = Objects(script);
      ASSERT_EQ(objects.size(), 1u);
      ASSERT_EQ(objects[0].rows.size(), static_cast<std::size_t>(steps)) << c.name;
      for (std::int32_t a = 0; a < steps; ++a) {
        ExpectNear(Coordinates(objects[0].rows[static_cast<std::size_t>(a)]), c.at(a / (steps - 1.0)), 1e-12,
                   std::string(c.name) + ", point " + std::to_string(a) + " of " + std::to_string(steps));
      }
    }
  }
}

TEST(EngineConvertSurface, BilinearNetIsTheBilinearPatch) {
  // Three points across (U) so that nothing is raised: the middle one lies
  // on the patch, which is linear in u. Corners not coplanar, and different
  // grid sizes in the two directions, so that a swap of along and across shows.
  const Point3 p00 = {0, 0, 0}, p10 = {4, 0, 1}, p01 = {0, 3, 2}, p11 = {5, 4, -1};
  auto patch = [&](double u, double v) {
    Point3 s;
    for (std::size_t j = 0; j < 3; ++j) {
      s[j] = (1 - u) * (1 - v) * p00[j] + u * (1 - v) * p10[j] + (1 - u) * v * p01[j] + u * v * p11[j];
    }
    return s;
  };
  std::vector<Point4> net;
  for (double v : {0.0, 1.0}) {
    for (double u : {0.0, 0.5, 1.0}) {
      const Point3 p = patch(u, v);
      net.push_back({p[0], p[1], p[2], 1.0});
    }
  }
  Settings settings(5, 7);
  NURBSSurface surface = MakeSurface(1, 1, 3, 2, net);
  std::string script, error;
  ASSERT_TRUE(NURBSEngine::ConvertNURBSSurface(surface, 5, 7, script, error)) << error;
  const std::vector<TextObject> objects = Objects(script);
  ASSERT_EQ(objects.size(), 1u);
  EXPECT_EQ(objects[0].horizontal, "4");
  EXPECT_EQ(objects[0].vertical, "6");
  ASSERT_EQ(objects[0].rows.size(), 35u);
  for (std::size_t i = 0; i < 35; ++i) {
    const std::string& row = objects[0].rows[i];
    const int column = static_cast<int>(i % 7), along = static_cast<int>(i / 7);
    EXPECT_EQ(row.substr(0, row.find('\t', row.find('\t') + 1)), fw::Str(column) + "\t" + fw::Str(along));
    ExpectNear(Coordinates(row), patch(column / 6.0, along / 4.0), 1e-12, "row " + std::to_string(i));
  }
}

TEST(EngineConvert, LastPointsLandExactlyOnTheLastControlPoints) {
  // 0.1 added ten times is 0.9999999999999999: without the snap an 11-point
  // grid over a range of 1 would stop short of the end.
  const std::vector<Point3> bezier = {{0.3, 0.1, 0.7}, {1.1, 2.9, 0.2}, {2.3, 2.1, 0.9}, {3.7, 0.3, 0.1}};
  const std::vector<Point3> sevenPoints = {{0.1, 0, 0}, {1, 0.7, 0}, {2, 0.3, 1}, {3, 0.9, 1},
                                           {4, 0.1, 2}, {5, 0.3, 3}, {6.3, 0.7, 0.9}};
  std::vector<Point4> net;
  for (int v = 0; v < 5; ++v) {
    for (int u = 0; u < 4; ++u) net.push_back({0.3 * u + 0.1, 0.7 * v + 0.3, 0.1 * u * v + 0.7, 1.0 + 0.3 * u});
  }
  auto corner = [](std::int32_t column, std::int32_t row, const Point4& p) { return Row(column, row, p[0], p[1], p[2]); };
  for (std::int32_t steps : {7, 11, 13, 31, 100}) {
    Settings settings(steps, steps);
    for (const auto& [degree, points] : {std::pair{3, bezier}, std::pair{2, sevenPoints}}) {
      std::string script, error;
      const std::vector<double> weights(points.size(), 1.5);
      ASSERT_TRUE(NURBSEngine::ConvertNURBSCurve(MakeCurve(degree, points, weights), steps, script, error));
      const Point3& end = points.back();
      EXPECT_EQ(Objects(script)[0].rows.back(), Row(0, steps - 1, end[0], end[1], end[2])) << "steps " << steps;
    }
    NURBSSurface surface = MakeSurface(2, 3, 4, 5, net);
    std::string script, error;
    ASSERT_TRUE(NURBSEngine::ConvertNURBSSurface(surface, steps, steps, script, error));
    const std::vector<std::string> rows = Objects(script)[0].rows;
    const auto n = static_cast<std::size_t>(steps);
    EXPECT_EQ(rows[n - 1], corner(steps - 1, 0, net[3])) << "steps " << steps;
    EXPECT_EQ(rows[n * (n - 1)], corner(0, steps - 1, net[16])) << "steps " << steps;
    EXPECT_EQ(rows[n * n - 1], corner(steps - 1, steps - 1, net[19])) << "steps " << steps;
  }
}

TEST(EngineConvert, StepCountsBelowTwo) {
  const std::vector<Point3> curvePoints = {{1, 2, 3}, {2, 2, 2}, {3, 1, 0}, {5, 0, 1}};
  std::vector<Point4> net;
  for (int v = 0; v < 4; ++v) {
    for (int u = 0; u < 4; ++u) net.push_back({1.0 + u, 2.0 + v, 3.0 + u * v, 1.0});
  }
  const struct {
    bool surface;
    std::int32_t along, side;
    const char *horizontal, *vertical;
    std::size_t rows;
  } cases[] = {
      {false, 1, 0, "0", "1", 1},   {false, 0, 0, "-1", "1", 0},  {false, -3, 0, "-4", "1", 0},
      {true, 1, 4, "0", "3", 4},    {true, 4, 1, "3", "0", 4},    {true, 0, 5, "-1", "4", 0},
      {true, 5, 0, "4", "-1", 0},   {true, -2, -3, "-3", "-4", 0},
  };
  for (const auto& c : cases) {
    Settings settings(c.along, c.side);
    std::string script, error;
    NURBSSurface surface = MakeSurface(2, 2, 4, 4, net);
    const bool ok = c.surface ? NURBSEngine::ConvertNURBSSurface(surface, c.along, c.side, script, error)
                              : NURBSEngine::ConvertNURBSCurve(MakeCurve(2, curvePoints, {1, 1, 1, 1}), c.along,
                                                               script, error);
    const std::string name = std::string(c.surface ? "surface " : "curve ") + std::to_string(c.along) + " x " +
                             std::to_string(c.side);
    ASSERT_TRUE(ok) << name << ": " << error;
    const std::vector<TextObject> objects = Objects(script);
    ASSERT_EQ(objects.size(), 1u) << name;
    EXPECT_EQ(objects[0].horizontal, c.horizontal) << name;
    EXPECT_EQ(objects[0].vertical, c.vertical) << name;
    ASSERT_EQ(objects[0].rows.size(), c.rows) << name;
    // A single grid value lies at parameter 0, on the first control point.
    if (c.rows > 0) {
      EXPECT_EQ(objects[0].rows[0], Row(0, 0, 1, 2, 3)) << name;
    }
  }
}

TEST(EngineConvert, ElementWithoutEnoughPointsAppendsNothing) {
  const std::string header = "Brindlemark(1.1)\r\n";
  for (std::size_t n : {0, 1, 2}) {
    std::string script = header, error;
    const std::vector<Point3> points(n, Point3{1, 2, 3});
    EXPECT_TRUE(NURBSEngine::ConvertNURBSCurve(MakeCurve(1, points, std::vector<double>(n, 1.0)), 16, script, error));
    EXPECT_EQ(script, header) << n << " points";
    EXPECT_EQ(error, "");
  }
  for (const auto& [nu, nv] : {std::pair{0, 3}, std::pair{3, 0}, std::pair{-1, 2}, std::pair{2, 0}, std::pair{2, -1}}) {
    NURBSSurface surface = MakeSurface(1, 1, nu, nv, {});
    std::string script = header, error;
    EXPECT_TRUE(NURBSEngine::ConvertNURBSSurface(surface, 16, 16, script, error));
    EXPECT_EQ(script, header) << nu << " x " << nv;
    EXPECT_EQ(error, "");
    EXPECT_EQ(surface.NoOfControlPointsU, nu) << "raised although empty: " << nu << " x " << nv;
    EXPECT_EQ(surface.ControlPoints, std::vector<double>{0.0});
  }
}

TEST(EngineConvert, UnevaluableElementFailsAndLeavesTheScript) {
  using Convert = std::function<bool(std::string&, std::string&)>;
  const std::vector<Point3> three = {{0, 0, 0}, {1, 1, 0}, {2, 0, 1}};
  const std::vector<Point3> huge = {{1.7e308, 0, 0}, {-1.7e308, 0, 0}, {1.7e308, 0, 0}};
  auto curve = [](std::int32_t degree, std::vector<Point3> points, std::vector<double> weights) -> Convert {
    return [=](std::string& script, std::string& error) {
      return NURBSEngine::ConvertNURBSCurve(MakeCurve(degree, points, weights), 9, script, error);
    };
  };
  auto surface = [](std::int32_t degreeU, std::int32_t degreeV, double cornerWeight, std::size_t points) -> Convert {
    return [=](std::string& script, std::string& error) {
      std::vector<Point4> net(points, Point4{1, 2, 3, 1});
      net.back()[3] = cornerWeight;
      NURBSSurface s = MakeSurface(degreeU, degreeV, 3, 3, net);
      return NURBSEngine::ConvertNURBSSurface(s, 9, 9, script, error);
    };
  };
  const struct {
    const char* name;
    Convert convert;
    const char* reason;
  } cases[] = {
      {"curve weight 0 at its start", curve(2, three, {0, 1, 1}), "weight"},
      {"curve weights summing to 0 at t = 0.5", curve(2, three, {1, -1, 1}), "weight"},
      {"curve weights all negative", curve(2, three, {-1, -1, -1}), "weight"},
      {"curve point beyond the double range", curve(2, huge, {1, -0.5, 1}), "range"},
      {"curve degree below 0", curve(-1, three, {1, 1, 1}), "below 0"},
      {"curve degree above 100", curve(101, three, {1, 1, 1}), "above 100"},
      {"curve with fewer weights than points", curve(2, three, {1, 1}), "fewer"},
      {"surface weight 0 at its last corner", surface(2, 2, 0.0, 9), "weight"},
      {"surface degree above 100 in V", surface(1, 101, 1.0, 9), "in V is above 100"},
      {"surface net shorter than its counts", surface(1, 1, 1.0, 8), "fewer"},
  };
  for (const auto& c : cases) {
    std::string script = "Brindlemark(1.1)\r\n", error;
    EXPECT_FALSE(c.convert(script, error)) << c.name;
    EXPECT_EQ(script, "Brindlemark(1.1)\r\n") << c.name;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
  }
}

// --- The fast path of the conversions against the textbook routines ---

class EngineFastPath : public ::testing::Test {
 protected:
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  double Uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }
  std::int32_t Steps() {
    static constexpr std::int32_t kSteps[] = {1, 2, 3, 5, 16};
    return kSteps[Pick(0, 4)];
  }
  std::mt19937 random_{20240611};
};

TEST_F(EngineFastPath, SurfacePointsEqualRbspsurfBitForBit) {
  // Every raise and orders above the point count first, then random shapes.
  std::vector<std::pair<int, int>> shapes = {{2, 2}, {2, 1}, {2, 5}, {1, 1}, {1, 7}, {4, 2}, {3, 1}, {12, 12}};
  while (shapes.size() < 300) shapes.emplace_back(Pick(1, 12), Pick(1, 12));
  for (const auto& [nu, nv] : shapes) {
    const std::int32_t degreeU = Pick(0, 5), degreeV = Pick(0, 5), stepsA = Steps(), stepsB = Steps();
    std::vector<Point4> net;
    for (int i = 0; i < nu * nv; ++i) net.push_back({Uniform(-100, 100), Uniform(-100, 100), Uniform(-100, 100), Uniform(0.25, 4)});
    Settings settings(stepsA, stepsB);
    NURBSSurface surface = MakeSurface(degreeU, degreeV, nu, nv, net);
    std::string script, error;
    ASSERT_TRUE(NURBSEngine::ConvertNURBSSurface(surface, stepsA, stepsB, script, error)) << error;

    // The reference evaluates the net as the conversion left it, on the grid it wrote.
    const std::int32_t p1 = nu == 2 && nv == 2 ? 3 : stepsA, p2 = nu == 2 ? 3 : stepsB;
    std::vector<double> q;
    ASSERT_TRUE(NURBSEngine::rbspsurf(surface.ControlPoints, degreeV + 1, degreeU + 1, surface.NoOfControlPointsV,
                                      surface.NoOfControlPointsU, p1, p2, q));
    std::vector<std::string> expected;
    for (std::int32_t a = 0; a < p1; ++a) {
      for (std::int32_t e = 0; e < p2; ++e) {
        const auto i = static_cast<std::size_t>(1 + 3 * (a * p2 + e));
        expected.push_back(Row(e, a, q[i], q[i + 1], q[i + 2]));
      }
    }
    EXPECT_EQ(FirstDifference(Objects(script).at(0).rows, expected), "")
        << nu << " x " << nv << ", degrees " << degreeU << " " << degreeV << ", steps " << stepsA << " x " << stepsB;
  }
}

TEST_F(EngineFastPath, CurvePointsEqualBSplineBitForBit) {
  for (int n = 0; n < 300; ++n) {
    const int npts = Pick(3, 12);
    const std::int32_t degree = Pick(0, 5), steps = Steps();
    std::vector<Point3> points;
    std::vector<double> weights;
    for (int i = 0; i < npts; ++i) {
      points.push_back({Uniform(-100, 100), Uniform(-100, 100), Uniform(-100, 100)});
      weights.push_back(Uniform(0.25, 4));
    }
    Settings settings(steps, 1);
    const NURBSCurve curve = MakeCurve(degree, points, weights);
    std::string script, error;
    ASSERT_TRUE(NURBSEngine::ConvertNURBSCurve(curve, steps, script, error)) << error;

    std::vector<double> p;
    ASSERT_TRUE(NURBSEngine::BSpline(npts, degree + 1, steps, curve.ControlPoints, p, curve.Weights));
    std::vector<std::string> expected;
    for (std::int32_t r = 0; r < steps; ++r) {
      const auto i = static_cast<std::size_t>(1 + 3 * r);
      expected.push_back(Row(0, r, p[i], p[i + 1], p[i + 2]));
    }
    EXPECT_EQ(FirstDifference(Objects(script).at(0).rows, expected), "")
        << npts << " points, degree " << degree << ", steps " << steps;
  }
}

}  // namespace
