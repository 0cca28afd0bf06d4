#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "framework/runtime.h"
#include "framework/text.h"
#include "iges/iges_reader.h"
#include "tests/support/iges_text.h"

// Every allocation of this program passes here, so that a test can see the
// largest single request made while parsing.
namespace {
std::size_t largestRequest = 0;
}
void* operator new(std::size_t size) {
  largestRequest = std::max(largestRequest, size);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

using testing::HasSubstr;

// A reader whose delimiter is the default ",": the parser's only input from
// the reader.
const IGESReader& CommaParser() {
  static const std::string text = igestext::IgesFile().Text();
  static const IGESReader reader(fw::LineInputStream::FromMemory(text), false);
  return reader;
}

struct ScaleText {
  explicit ScaleText(const std::string& text) { fw::SetScaleText(text); }
  ~ScaleText() { fw::SetScaleText("1"); }
};

std::string Join(const std::vector<double>& values) {
  std::string text;
  for (double v : values) text += " " + fw::CStr(v);
  return text;
}

template <typename... T>
std::string Ints(T... values) {
  std::string text;
  ((text += " " + fw::Str(values)), ...);
  return text;
}

// An element on one line, so that a table row shows at once which count or
// array a wrong offset has moved: a curve's degree, point count, N1, order;
// a surface's degrees, point counts and N1 N2 (U before V); then the flags,
// the knots (curves only), the weights and the points.
std::string Describe(const std::unique_ptr<INURBSElement>& e) {
  if (const auto* c = dynamic_cast<const NURBSCurve*>(e.get())) {
    return "126" + Ints(c->BasisFunction, c->NoOfControlPoints, c->N1, c->orderOfCurve) + " flags" +
           Ints(c->IsPlanar, c->IsClosed, c->IsRational, c->IsPeriodic) + " |" + Join(c->KnotValue) + " |" +
           Join(c->Weights) + " |" + Join(c->ControlPoints);
  }
  if (const auto* s = dynamic_cast<const NURBSSurface*>(e.get())) {
    return "128" + Ints(s->BasisFunctionsU, s->BasisFunctionsV, s->NoOfControlPointsU, s->NoOfControlPointsV, s->N1,
                        s->N2) +
           " flags" + Ints(s->IsClosedU, s->IsClosedV, s->IsRational, s->IsPeriodicU, s->IsPeriodicV) + " |" +
           Join(s->Weights) + " |" + Join(s->ControlPoints);
  }
  return e ? "another type" : "nullptr";
}

// Points are stored scaled, X Z Y, after a pad; knots are kept unscaled from
// element 0 (surfaces keep none), weights after a pad. Values are distinct so
// that an offset or a Y/Z swap shows.
TEST(Parser, ElementsOfWorkedExamples) {
  const struct {
    const char* scale;
    std::string text, element;
  } cases[] = {
      {"2", "126,1,1,0,0,1,0,0.,0.,1.,1.,1.,1.,0.,0.,0.,10.,20.,30.,0.,1.;",
       "126 1 2 1 2 flags 0 0 1 0 | 0 0 1 1 | 0 1 1 | 0 0 0 0 20 60 40"},
      {"1", "126,3,2,0,0,0,0,0.,0.,0.,0.5,1.,1.,1.,0.5,1.,2.,3.,1.,2.,3.,4.,5.,6.,7.,8.,9.,10.,11.,12.,0.,1.,0.,0.,1.;",
       "126 2 4 2 3 flags 0 0 0 0 | 0 0 0 0.5 1 1 1 | 0 0.5 1 2 3 | 0 1 3 2 4 6 5 7 9 8 10 12 11"},
      // Flags, D exponents, blank fields read as 0.
      {"1", "126,1,1,0.5,0, ,3,0.,0.,1.D0,1.,1.,1.,1.5D1,2.0d0,-3.D-1,,,,0.,1.;",
       "126 1 2 1 2 flags 1 0 0 1 | 0 0 1 1 | 0 1 1 | 0 15 -0.3 2 0 0 0"},
      {"1", "126,0,0,0,0,1,0,0.,1.,2.,5.,6.,7.,0.,1.;", "126 0 1 1 1 flags 0 0 1 0 | 0 1 | 0 2 | 0 5 7 6"},
      // Fields longer than the sixteen characters the field search looks at first.
      {"1", "126,1,1,0,0,1,0,0.0000000000000000000,0.,1.,1.,1.,1.,0.30000000000000004,"
            "-0.1000000000000000055511151231257827,1.000000000000000000E1,10.,20.,30.,0.,1.;",
       "126 1 2 1 2 flags 0 0 1 0 | 0 0 1 1 | 0 1 1 | 0 0.30000000000000004 10 -0.1 10 30 20"},
      // Loops whose bound lies below their start make no pass: pads only.
      {"1", "126,-1,-1,0,0,1,0;", "126 -1 0 1 0 flags 0 0 1 0 | | 0 | 0"},
      // Knots (7, 8) and ranges (9) are never read.
      {"2", "128,1,1,1,1,2,0,1,0,3,7.,7.,8.,8.,7.,7.,8.,8.,0.5,0.25,2.,4.,"
            "1.,2.,3.,4.,5.,6.,7.,8.,9.,10.,11.,12.,9.,9.,9.,9.;",
       "128 1 1 2 2 1 1 flags 2 0 1 0 3 | 0 0.5 0.25 2 4 | 0 2 6 4 0.5 8 12 10 0.25 14 18 16 2 20 24 22 4"},
      // K1 = 2, K2 = 1: a 3 x 2 net whose U index runs fastest.
      {"1", "128,2,1,1,1,0,0,0,0,0,0.,0.,.5,1.,1.,0.,0.,1.,1.,1.,2.,3.,4.,5.,6.,"
            "1.,0.,0.,2.,0.,0.,3.,0.,0.,0.,0.,1.,0.,0.,2.,0.,0.,3.,0.,1.,0.,1.;",
       "128 1 1 3 2 2 1 flags 0 0 0 0 0 | 0 1 2 3 4 5 6 | 0 1 0 0 1 2 0 0 2 3 0 0 3 0 1 0 4 0 2 0 5 0 3 0 6"},
      {"1", "128,-1,1,0,1,0,0,0,0,0;", "128 0 1 0 2 0 1 flags 0 0 0 0 0 | 0 | 0"},
      {"1", "128,99,-3,0,0,0,0,0,0,0;", "128 0 0 100 -2 100 -2 flags 0 0 0 0 0 | 0 | 0"},
  };
  for (const auto& c : cases) {
    ScaleText scale(c.scale);
    EXPECT_EQ(Describe(CommaParser().GetNURBSElementFromParameter(c.text)), c.element) << c.text;
  }
}

// A scale text that is not a finite number above 0 is replaced by "1" before
// the element is built (a magnitude above the double range reads as infinity,
// one below it as 0). Knots and weights are never scaled.
TEST(Parser, ScaleRule) {
  const struct {
    const char *text, *after, *points;
  } cases[] = {{"0", "1", "1 3 2 4 6 5"},     {"-2", "1", "1 3 2 4 6 5"},     {"", "1", "1 3 2 4 6 5"},
               {"abc", "1", "1 3 2 4 6 5"},   {"nan", "1", "1 3 2 4 6 5"},    {"1e400", "1", "1 3 2 4 6 5"},
               {"-1e400", "1", "1 3 2 4 6 5"}, {"1e-400", "1", "1 3 2 4 6 5"}, {"2.5", "2.5", "2.5 7.5 5 10 15 12.5"},
               {" 0.5x", " 0.5x", "0.5 1.5 1 2 3 2.5"}};
  for (const auto& c : cases) {
    ScaleText scale(c.text);
    EXPECT_EQ(Describe(CommaParser().GetNURBSElementFromParameter(
                  "126,1,1,0,0,1,0,0.,0.,3.,3.,0.5,4.,1.,2.,3.,4.,5.,6.,0.,3.;")),
              "126 1 2 1 2 flags 0 0 1 0 | 0 0 3 3 | 0 0.5 4 | 0 " + std::string(c.points))
        << "scale text \"" << c.text << "\"";
    EXPECT_EQ(fw::ScaleText(), c.after);
  }
}

// Text of another type, counts that the text cannot hold or that overflow the
// arithmetic built on them: nullptr with the reason, and no allocation beyond
// the size of the text.
TEST(Parser, MalformedTextIsRejectedBeforeAnyAllocation) {
  const std::string tail = ",0,0,1,0,0.,0.,1.,1.,1.,1.,0.,0.,0.,1.,1.,1.,0.,1.;";
  const std::string flags = ",0,0,0,0,0,0,0;";
  const std::string other = "expected entity type 126 or 128";
  const std::pair<std::string, std::string> cases[] = {
      {"124,1.,0.,0.;", other + ", found \"124\""}, {" 126,1,1,0,0,1,0;", other}, {"126 ,1,1,0,0,1,0;", other},
      {"126.0,1,1;", other}, {"", other}, {";", other}, {"126126126126126126126126,1;", "found \"12612612612612612612\""},
      {"126,1e10,1" + tail, "field 2"}, {"126,3000000000,1" + tail, "field 2"},
      {"126," + std::string(40, '9') + "x,1" + tail, "field 2: expected a 32-bit integer, found \"999999999999..."
                                                     "99999999999x\""},  // a long field quoted by its ends
      {"126,1,-3000000000" + tail, "field 3"}, {"126,2147483646,0" + tail, "fields 8 to"},
      {"126,2147483647,0" + tail, "out of range"},
      {"126,1,1,0,0,1,0,0.,0.,1.,1.,1.,1.,1e400,0.,0.,1.,1.,1.,0.,1.;", "field 14"},
      {"126,1,1,0,0,1,0,0.,0.,1.,1.,1.,1.;", "fields 14 to 19"},
      {"128,1,1,1,1,0,0,1,0,0,0.,0.,1.,1.,0.,0.,1.,1.,1.,1.,1.,1.;", "fields 23 to 34"},
      {"128,40000,40000,1,1,0,0,1,0,0,0.,0.,1.,1.,0.,0.,1.,1.,1.,1.,1.,1.;", "found only 22 fields"},
      {"128,2147483646,2147483646" + flags, "out of range"}, {"128,-2147483648,-2147483648" + flags, "out of range"},
      {"128,1,1,1" + flags, "fields"},
      // (K1 + 1)(K2 + 1) of -4.6e18 passed the size check, and 4C then
      // overflowed 64 bits.
      {"128,2147483646,-2147483647,0,0,0,0,0,0,0,0;", "out of range"},
  };
  for (const auto& [text, reason] : cases) {
    std::string why;
    largestRequest = 0;
    EXPECT_FALSE(CommaParser().GetNURBSElementFromParameter(text, &why)) << text;
    EXPECT_LT(largestRequest, 4096u) << text;
    EXPECT_THAT(why, HasSubstr(reason)) << text;
  }
}

}  // namespace
