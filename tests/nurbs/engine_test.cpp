#include "nurbs/nurbs_engine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"

namespace {

using namespace nurbs_test;
using Doubles = std::vector<double>;

// The textbook knot vector fills x[1] .. x[n + c] and nothing else; an order
// above the point count leaves no interval.
TEST(EngineKnot, BuildsOpenUniformVectors) {
  for (const auto& [n, c, x] : {std::tuple{4, 3, std::vector{-7, 0, 0, 0, 1, 2, 2, 2, -7}},
                                std::tuple{2, 3, std::vector{-7, 0, 0, 0, 0, 0, -7}}}) {
    std::vector<std::int32_t> knots(x.size(), -7);
    NURBSEngine::knot(n, c, knots);
    EXPECT_EQ(knots, x) << n << " points of order " << c;
  }
}

// --- Conversions: script text and failures ---

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

// Each new midpoint takes the weight of the second point of its pair. (That
// a raised direction is evaluated at 3 points whatever the steps is checked
// with the textbook routines below.)
TEST(EngineConvertSurface, RaisesTwoByTwoNetInBothDirections) {
  Settings settings(16, 16);
  NURBSSurface surface = MakeSurface(1, 1, 2, 2, {{0, 0, 0, 1}, {4, 0, 0, 2}, {0, 0, 8, 3}, {4, 2, 8, 4}});
  std::string script, error;
  ASSERT_TRUE(NURBSEngine::ConvertNURBSSurface(surface, 16, 16, script, error)) << error;
  EXPECT_EQ(fw::Str(surface.NoOfControlPointsU) + " x " + fw::Str(surface.NoOfControlPointsV), "3 x 3");
  EXPECT_EQ(surface.ControlPoints, (Doubles{0, 0, 0, 0, 1, 2, 0, 0, 2, 4, 0, 0, 2, 0, 0, 4, 3, 2, 0.5, 4,
                                            4, 4, 1, 4, 4, 0, 0, 8, 3, 2, 1, 8, 4, 4, 2, 8, 4}));
}

// Each row holds a curve or a surface; the other is empty and converts to
// nothing. Surfaces without points append nothing and succeed; the others
// fail with their reason. Either way the script stays as it was.
TEST(EngineConvert, DegenerateElementsLeaveTheScript) {
  const std::vector<Point3> three = {{0, 0, 0}, {1, 1, 0}, {2, 0, 1}};
  auto surface = [](std::int32_t degreeV, double cornerWeight, std::size_t points) {
    std::vector<Point4> net(points, Point4{1, 2, 3, 1});
    net.back()[3] = cornerWeight;
    return MakeSurface(2, degreeV, 3, 3, net);
  };
  auto claiming = [&](std::int32_t count) {  // more points than it holds, a weight for each
    NURBSCurve curve = MakeCurve(2, three, std::vector<double>(static_cast<std::size_t>(count), 1.0));
    curve.NoOfControlPoints = count;
    return curve;
  };
  const struct {
    const char* reason;
    NURBSCurve curve;
    NURBSSurface surface;
  } cases[] = {
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
      {"fewer", claiming(4), {}},
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

// Random nets, degrees 0 to 5 (orders above the point count too), weights
// and step counts: below 2 too, and counts such as 11 whose repeated steps
// fall short of the last knot unless snapped to it. Surfaces of every raise.
TEST(EngineFastPath, PointsEqualTheTextbookRoutinesBitForBit) {
  std::mt19937 random(20240611);
  auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  auto uniform = [&](double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); };
  const std::int32_t steps[] = {-2, 0, 1, 2, 3, 5, 11, 16, 31};
  std::vector<std::pair<int, int>> shapes = {{2, 2}, {2, 1}, {2, 5}, {1, 1}, {1, 7}, {4, 2}, {3, 1}, {12, 12}};
  while (shapes.size() < 300) shapes.emplace_back(pick(1, 12), pick(1, 12));
  for (const auto& [nu, nv] : shapes) {
    const std::int32_t degreeU = pick(0, 5), degreeV = pick(0, 5), along = steps[pick(0, 8)], side = steps[pick(0, 8)];
    std::vector<Point4> net;
    std::vector<Point3> points;
    Doubles weights;
    for (int i = 0; i < nu * nv; ++i) {
      net.push_back({uniform(-100, 100), uniform(-100, 100), uniform(-100, 100), uniform(0.25, 4)});
      points.push_back({net.back()[0], net.back()[1], net.back()[2]});
      weights.push_back(net.back()[3]);
    }
    SCOPED_TRACE(testing::Message() << nu << " x " << nv << ", degrees " << degreeU << " " << degreeV << ", steps "
                                    << along << " x " << side);
    Settings settings(along, side);
    NURBSSurface surface = MakeSurface(degreeU, degreeV, nu, nv, net), textbook = surface;
    NURBSCurve curve = MakeCurve(degreeU, points, weights);
    std::string script, error;
    ASSERT_TRUE(NURBSEngine::ConvertNURBSSurface(surface, along, side, script, error) &&
                NURBSEngine::ConvertNURBSCurve(curve, along, script, error))
        << error;
    const std::string expected = fuzz::TextbookObject(textbook, along, side) + fuzz::TextbookObject(curve, along, side);
    EXPECT_EQ(fuzz::ScriptDifference(expected, script), "");
  }
}

}  // namespace
