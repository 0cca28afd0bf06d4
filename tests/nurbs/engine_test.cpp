#include "nurbs/nurbs_engine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

using namespace nurbs_test;
using Doubles = std::vector<double>;

void ExpectNear(const Point3& actual, const Point3& expected, const std::string& where) {
  for (std::size_t j = 0; j < 3; ++j) {
    EXPECT_NEAR(actual[j], expected[j], 1e-12 * std::max(1.0, std::abs(expected[j]))) << where << ", coordinate " << j;
  }
}

// --- The textbook routines on small inputs: exact, all values dyadic ---

TEST(EngineKnot, BuildsOpenUniformVectors) {
  const struct {
    std::int32_t n, c;
    std::vector<std::int32_t> x;
  } cases[] = {{4, 3, {0, 0, 0, 1, 2, 2, 2}}, {5, 3, {0, 0, 0, 1, 2, 3, 3, 3}}, {4, 4, {0, 0, 0, 0, 1, 1, 1, 1}},
               {4, 2, {0, 0, 1, 2, 3, 3}},    {3, 1, {0, 1, 2, 3}},
               {2, 3, {0, 0, 0, 0, 0}}};  // an order above the point count leaves no interval
  for (const auto& c : cases) {
    // A sentinel on each side: element 0 and the element past n + c are not written.
    std::vector<std::int32_t> x(c.x.size() + 2, -7);
    NURBSEngine::knot(c.n, c.c, x);
    EXPECT_EQ(std::vector<std::int32_t>(x.begin() + 1, x.end() - 1), c.x) << "n " << c.n << ", c " << c.c;
    EXPECT_EQ(x.front() + x.back(), -14) << "n " << c.n << ", c " << c.c;
  }
}

// Values from element 1 on; the pad keeps its -1.
TEST(EngineBasis, ValuesOverKnots0001222) {
  const std::pair<double, Doubles> cases[] = {
      {0.0, {-1, 1, 0, 0, 0}},         {0.5, {-1, 0.25, 0.625, 0.125, 0}},
      {1.0, {-1, 0, 0.5, 0.5, 0}},     // an interior knot opens the interval to its right
      {1.5, {-1, 0, 0.125, 0.625, 0.25}}, {2.0, {-1, 0, 0, 0, 1}},  // the last knot: the end-point rule
      {-0.5, {-1, 0, 0, 0, 0}},        {2.5, {-1, 0, 0, 0, 0}}};
  for (const auto& [t, values] : cases) {
    Doubles n(5, -1.0);
    NURBSEngine::Basis(3, t, 4, {0, 0, 0, 0, 1, 2, 2, 2}, n);
    EXPECT_EQ(n, values) << "t " << t;
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

// Each new midpoint takes the weight of the second point of its pair, and
// both directions are raised to 3 x 3 grid points whatever the steps.
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
  EXPECT_EQ(surface.ControlPoints, (Doubles{0, 0, 0, 0, 1, 2, 0, 0, 2, 4, 0, 0, 2, 0, 0, 4, 3, 2, 0.5, 4,
                                            4, 4, 1, 4, 4, 0, 0, 8, 3, 2, 1, 8, 4, 4, 2, 8, 4}));
}

// A curve of one span (points = degree + 1) is a rational Bezier curve.
Point3 RationalBezier(const std::vector<Point3>& points, const Doubles& weights, double t) {
  const std::size_t degree = points.size() - 1;
  Point3 sum = {0, 0, 0};
  double denominator = 0.0, binomial = 1.0;
  for (std::size_t i = 0; i <= degree; ++i) {
    const double b = weights[i] * binomial * std::pow(t, double(i)) * std::pow(1.0 - t, double(degree - i));
    for (std::size_t j = 0; j < 3; ++j) sum[j] += b * points[i][j];
    denominator += b;
    binomial = binomial * double(degree - i) / double(i + 1);
  }
  return {sum[0] / denominator, sum[1] / denominator, sum[2] / denominator};
}

TEST(EngineConvertCurve, MatchesClosedFormsWithin1e12) {
  const std::vector<Point3> cubic = {{0, 0, 0}, {1, 3, -1}, {4, 3, 2}, {5, -1, 1}};
  const std::vector<Point3> quadratic = {{1, 0, 0.5}, {1, 1, 0.5}, {0, 1, 0.5}};
  const struct {
    const char* name;
    std::int32_t degree;
    std::vector<Point3> points;
    Doubles weights;
    std::function<Point3(double)> at;  // s from 0 to 1 over the parameter range
  } cases[] = {
      {"cubic Bezier", 3, cubic, {1, 3, 0.5, 2}, [&](double s) { return RationalBezier(cubic, {1, 3, 0.5, 2}, s); }},
      {"rational quadratic, weights 1 2 1", 2, quadratic, {1, 2, 1},
       [&](double s) {
         const double a = (1 - s) * (1 - s), b = 4 * s * (1 - s), c = s * s;
         return Point3{(a + b) / (a + b + c), (b + c) / (a + b + c), 0.5};
       }},
      {"degree 1 is the polyline", 1, quadratic, {1, 1, 1},
       [&](double s) { return s < 0.5 ? Point3{1, 2 * s, 0.5} : Point3{2 - 2 * s, 1, 0.5}; }},
  };
  for (const auto& c : cases) {
    for (std::int32_t steps : {2, 5, 16}) {
      Settings settings(steps, 1);
      std::string script, error;
      ASSERT_TRUE(NURBSEngine::ConvertNURBSCurve(MakeCurve(c.degree, c.points, c.weights), steps, script, error));
      const std::vector<std::string> rows = Objects(script).at(0).rows;
      ASSERT_EQ(rows.size(), static_cast<std::size_t>(steps)) << c.name;
      for (std::int32_t a = 0; a < steps; ++a) {
        ExpectNear(Coordinates(rows[a]), c.at(a / (steps - 1.0)), c.name + (", point " + fw::Str(a)));
      }
    }
  }
}

TEST(EngineConvertSurface, BilinearNetIsTheBilinearPatchWithin1e12) {
  // Three points across (U) so that nothing is raised: the middle one lies
  // on the patch, which is linear in u. Corners not coplanar, and different
  // grid sizes in the two directions, so that a swap of along and across shows.
  // Corners (0, 0, 0), (4, 0, 1), (0, 3, 2) and (5, 4, -1).
  auto patch = [](double u, double v) { return Point3{4 * u + u * v, 3 * v + u * v, u + 2 * v - 4 * u * v}; };
  std::vector<Point4> net;
  for (double v : {0.0, 1.0}) {
    for (double u : {0.0, 0.5, 1.0}) net.push_back({patch(u, v)[0], patch(u, v)[1], patch(u, v)[2], 1.0});
  }
  Settings settings(5, 7);
  NURBSSurface surface = MakeSurface(1, 1, 3, 2, net);
  std::string script, error;
  ASSERT_TRUE(NURBSEngine::ConvertNURBSSurface(surface, 5, 7, script, error)) << error;
  const TextObject object = Objects(script).at(0);
  EXPECT_EQ(object.horizontal + " " + object.vertical, "4 6");
  ASSERT_EQ(object.rows.size(), 35u);
  for (int i = 0; i < 35; ++i) {
    const int column = i % 7, along = i / 7;
    EXPECT_EQ(object.rows[i].substr(0, 4), fw::Str(column) + "\t" + fw::Str(along) + "\t");
    ExpectNear(Coordinates(object.rows[i]), patch(column / 6.0, along / 4.0), "row " + fw::Str(i));
  }
}

TEST(EngineConvert, LastPointsLandExactlyOnTheLastControlPoints) {
  // 0.1 added ten times is 0.9999999999999999: without the snap an 11-point
  // grid over a range of 1 would stop short of the end.
  const std::vector<Point3> bezier = {{0.3, 0.1, 0.7}, {1.1, 2.9, 0.2}, {2.3, 2.1, 0.9}, {3.7, 0.3, 0.1}};
  const std::vector<Point3> sevenPoints = {{0.1, 0, 0}, {1, 0.7, 0}, {2, 0.3, 1}, {3, 0.9, 1},
                                           {4, 0.1, 2}, {5, 0.3, 3}, {6.3, 0.7, 0.9}};
  std::vector<Point4> net;
  for (int i = 0; i < 20; ++i) net.push_back({0.3 * (i % 4) + 0.1, 0.7 * (i / 4) + 0.3, 0.1 * i + 0.7, 1.0 + 0.3 * i});
  auto corner = [](int column, int row, const Point4& p) { return Row(column, row, p[0], p[1], p[2]); };
  for (std::int32_t steps : {7, 11, 13, 31, 100}) {
    Settings settings(steps, steps);
    for (const auto& [degree, points] : {std::pair{3, bezier}, std::pair{2, sevenPoints}}) {
      std::string script, error;
      ASSERT_TRUE(NURBSEngine::ConvertNURBSCurve(MakeCurve(degree, points, Doubles(points.size(), 1.5)), steps,
                                                 script, error));
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

// One grid value lies at parameter 0, on the first control point; fewer give
// an object without rows, its header still from the counts.
TEST(EngineConvert, StepCountsBelowTwo) {
  std::vector<Point4> net;
  for (int i = 0; i < 16; ++i) net.push_back({1.0 + i % 4, 2.0 + i / 4, 3.0 + i % 4 * (i / 4), 1.0});
  const struct {
    bool surface;
    std::int32_t along, side;
    const char* header;
    std::size_t rows;
  } cases[] = {{false, 1, 0, "0 1", 1}, {false, 0, 0, "-1 1", 0}, {false, -3, 0, "-4 1", 0},
               {true, 1, 4, "0 3", 4},  {true, 4, 1, "3 0", 4},   {true, 0, 5, "-1 4", 0},
               {true, 5, 0, "4 -1", 0}, {true, -2, -3, "-3 -4", 0}};
  for (const auto& c : cases) {
    Settings settings(c.along, c.side);
    std::string script, error;
    NURBSSurface surface = MakeSurface(2, 2, 4, 4, net);
    const NURBSCurve curve = MakeCurve(2, {{1, 2, 3}, {2, 2, 2}, {3, 1, 0}, {5, 0, 1}}, {1, 1, 1, 1});
    ASSERT_TRUE(c.surface ? NURBSEngine::ConvertNURBSSurface(surface, c.along, c.side, script, error)
                          : NURBSEngine::ConvertNURBSCurve(curve, c.along, script, error));
    const TextObject object = Objects(script).at(0);
    SCOPED_TRACE(testing::Message() << (c.surface ? "surface " : "curve ") << c.along << " x " << c.side);
    EXPECT_EQ(object.horizontal + " " + object.vertical, c.header);
    EXPECT_EQ(object.rows.size(), c.rows);
    if (c.rows > 0) {
      EXPECT_EQ(object.rows[0], Row(0, 0, 1, 2, 3));
    }
  }
}

// Each row holds a curve or a surface; the other is empty and converts to
// nothing. Elements too small to draw append nothing and succeed; the others
// fail with their reason. Either way the script stays as it was.
TEST(EngineConvert, DegenerateElementsLeaveTheScript) {
  const std::vector<Point3> three = {{0, 0, 0}, {1, 1, 0}, {2, 0, 1}};
  auto surface = [](std::int32_t degreeV, double cornerWeight, std::size_t points) {
    std::vector<Point4> net(points, Point4{1, 2, 3, 1});
    net.back()[3] = cornerWeight;
    return MakeSurface(2, degreeV, 3, 3, net);
  };
  const struct {
    const char* reason;
    NURBSCurve curve;
    NURBSSurface surface;
  } cases[] = {
      {"", MakeCurve(1, {}, {}), {}},
      {"", MakeCurve(1, {{1, 2, 3}, {1, 2, 3}}, {1, 1}), {}},
      {"", {}, MakeSurface(1, 1, 0, 3, {})},
      {"", {}, MakeSurface(1, 1, 3, 0, {})},
      {"", {}, MakeSurface(1, 1, 2, 0, {})},  // not raised either
      {"", {}, MakeSurface(1, 1, 2, -1, {})},
      {"weight", MakeCurve(2, three, {0, 1, 1}), {}},   // 0 at the start
      {"weight", MakeCurve(2, three, {1, -1, 1}), {}},  // a sum of 0 at t = 0.5
      {"weight", MakeCurve(2, three, {-1, -1, -1}), {}},
      {"range", MakeCurve(2, {{1.7e308, 0, 0}, {-1.7e308, 0, 0}, {1.7e308, 0, 0}}, {1, -0.5, 1}), {}},
      {"below 0", MakeCurve(-1, three, {1, 1, 1}), {}},
      {"above 100", MakeCurve(101, three, {1, 1, 1}), {}},
      {"fewer", MakeCurve(2, three, {1, 1}), {}},
      {"weight", {}, surface(2, 0.0, 9)},  // 0 at the last corner
      {"in V is above 100", {}, surface(101, 1.0, 9)},
      {"fewer", {}, surface(1, 1.0, 8)},
  };
  for (auto c : cases) {
    SCOPED_TRACE(testing::Message() << c.reason << " " << c.curve.NoOfControlPoints << " "
                                    << c.surface.NoOfControlPointsU << " x " << c.surface.NoOfControlPointsV);
    const std::vector<double> net = c.surface.ControlPoints;
    std::string script = "Brindlemark(1.1)\r\n", error;
    EXPECT_EQ(NURBSEngine::ConvertNURBSCurve(c.curve, 9, script, error) &&
                  NURBSEngine::ConvertNURBSSurface(c.surface, 9, 9, script, error),
              *c.reason == '\0');
    EXPECT_EQ(script, "Brindlemark(1.1)\r\n");
    EXPECT_THAT(error, testing::HasSubstr(c.reason));
    EXPECT_EQ(c.surface.ControlPoints, net);  // nothing raised
  }
}

// --- The fast path of the conversions against the textbook routines ---

class EngineFastPath : public ::testing::Test {
 protected:
  int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  double Uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }
  std::int32_t Steps() { return std::vector<std::int32_t>{1, 2, 3, 5, 16}[Pick(0, 4)]; }

  // The header and rows a conversion must write for the points q of a textbook
  // routine: p1 rows of p2 points, the inner index fastest.
  static std::vector<std::string> Expected(const std::string& header, const Doubles& q, int p1, int p2) {
    std::vector<std::string> rows = {header};
    for (int i = 0; i < p1 * p2; ++i) rows.push_back(Row(i % p2, i / p2, q[3 * i + 1], q[3 * i + 2], q[3 * i + 3]));
    return rows;
  }
  static std::vector<std::string> Written(const std::string& script) {
    const TextObject object = Objects(script).at(0);
    std::vector<std::string> rows = {object.horizontal + " " + object.vertical};
    rows.insert(rows.end(), object.rows.begin(), object.rows.end());
    return rows;
  }

  std::mt19937 random_{20240611};
};

// Random nets, degrees 0 to 5 (orders above the point count too) and step
// counts; for surfaces every raise first.
TEST_F(EngineFastPath, PointsEqualTheTextbookRoutinesBitForBit) {
  std::vector<std::pair<int, int>> shapes = {{2, 2}, {2, 1}, {2, 5}, {1, 1}, {1, 7}, {4, 2}, {3, 1}, {12, 12}};
  while (shapes.size() < 300) shapes.emplace_back(Pick(1, 12), Pick(1, 12));
  for (const auto& [nu, nv] : shapes) {
    const std::int32_t degreeU = Pick(0, 5), degreeV = Pick(0, 5), stepsA = Steps(), stepsB = Steps();
    std::vector<Point4> net;
    std::vector<Point3> points;
    Doubles weights;
    for (int i = 0; i < nu * nv; ++i) {
      net.push_back({Uniform(-100, 100), Uniform(-100, 100), Uniform(-100, 100), Uniform(0.25, 4)});
      points.push_back({net.back()[0], net.back()[1], net.back()[2]});
      weights.push_back(net.back()[3]);
    }
    const std::string shape = fw::Str(nu) + " x " + fw::Str(nv) + ", degrees " + fw::Str(degreeU) + " " +
                              fw::Str(degreeV) + ", steps " + fw::Str(stepsA) + " x " + fw::Str(stepsB);
    Settings settings(stepsA, stepsB);
    NURBSSurface surface = MakeSurface(degreeU, degreeV, nu, nv, net);
    std::string script, error;
    ASSERT_TRUE(NURBSEngine::ConvertNURBSSurface(surface, stepsA, stepsB, script, error)) << error;
    // The reference evaluates the net as the conversion left it, on the grid
    // that the raises call for.
    const std::int32_t p1 = nu == 2 && nv == 2 ? 3 : stepsA, p2 = nu == 2 ? 3 : stepsB;
    Doubles q;
    ASSERT_TRUE(NURBSEngine::rbspsurf(surface.ControlPoints, degreeV + 1, degreeU + 1, surface.NoOfControlPointsV,
                                      surface.NoOfControlPointsU, p1, p2, q));
    EXPECT_EQ(Written(script), Expected(fw::Str(p1 - 1) + " " + fw::Str(p2 - 1), q, p1, p2)) << shape;

    if (nu * nv < 3) continue;
    const NURBSCurve curve = MakeCurve(degreeU, points, weights);
    script.clear();
    ASSERT_TRUE(NURBSEngine::ConvertNURBSCurve(curve, stepsA, script, error)) << error;
    Doubles p;
    ASSERT_TRUE(NURBSEngine::BSpline(nu * nv, degreeU + 1, stepsA, curve.ControlPoints, p, curve.Weights));
    EXPECT_EQ(Written(script), Expected(fw::Str(stepsA - 1) + " 1", p, stepsA, 1)) << "curve of " << shape;
  }
}

}  // namespace
