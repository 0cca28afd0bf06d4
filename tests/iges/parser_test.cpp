#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "framework/runtime.h"
#include "iges/iges_reader.h"
#include "reader_support.h"

// Every allocation of this test program passes here, so that a test can see
// the largest single request made while parsing.
namespace {
std::size_t largestRequest = 0;
}
void* operator new(std::size_t size) {
  largestRequest = std::max(largestRequest, size);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
// GCC takes the free of a pointer from the replaced operator new as a mismatch.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

using igestest::AsCurve;
using igestest::AsSurface;
using igestest::Mentions;
using Doubles = std::vector<double>;

// A reader whose delimiter is the default ",": the parser's only input from
// the reader.
const IGESReader& CommaParser() {
  static const igestest::MemoryReader header(igestest::IgesFile().Text(), false);
  return header.reader;
}

// Sets the scale text for one test and puts "1" back afterwards.
struct ScaleText {
  explicit ScaleText(const std::string& text) { fw::SetScaleText(text); }
  ~ScaleText() { fw::SetScaleText("1"); }
};

TEST(Parser, CurveExampleOf21Fields) {
  ScaleText scale("2");
  const auto e =
      CommaParser().GetNURBSElementFromParameter("126,1,1,0,0,1,0,0.,0.,1.,1.,1.,1.,0.,0.,0.,10.,20.,30.,0.,1.;");
  const NURBSCurve* c = AsCurve(e);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->ElementType(), 126);
  EXPECT_EQ(c->BasisFunction, 1);
  EXPECT_EQ(c->N1, 1);
  EXPECT_EQ(c->NoOfControlPoints, 2);
  EXPECT_EQ(c->orderOfCurve, 2);
  EXPECT_EQ(c->UpperIndex, 0);
  EXPECT_FALSE(c->IsPlanar);
  EXPECT_FALSE(c->IsClosed);
  EXPECT_TRUE(c->IsRational);
  EXPECT_FALSE(c->IsPeriodic);
  EXPECT_EQ(c->KnotValue, (Doubles{0, 0, 1, 1}));
  EXPECT_EQ(c->Weights, (Doubles{0, 1, 1}));
  EXPECT_EQ(c->ControlPoints, (Doubles{0, 0, 0, 0, 20, 60, 40}));
}

TEST(Parser, SurfaceExampleOf38Fields) {
  ScaleText scale("2");
  // Knots (7, 8) and ranges (9) are not read; weights and points are distinct
  // so that an offset or a Y/Z swap shows.
  const auto e = CommaParser().GetNURBSElementFromParameter(
      "128,1,1,1,1,2,0,1,0,3,7.,7.,8.,8.,7.,7.,8.,8.,0.5,0.25,2.,4.,"
      "1.,2.,3.,4.,5.,6.,7.,8.,9.,10.,11.,12.,9.,9.,9.,9.;");
  const NURBSSurface* s = AsSurface(e);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->ElementType(), 128);
  EXPECT_EQ(s->NoOfControlPointsU, 2);
  EXPECT_EQ(s->NoOfControlPointsV, 2);
  EXPECT_EQ(s->BasisFunctionsU, 1);
  EXPECT_EQ(s->BasisFunctionsV, 1);
  EXPECT_EQ(s->N1, 1);
  EXPECT_EQ(s->N2, 1);
  EXPECT_EQ((std::vector<int>{s->IsClosedU, s->IsClosedV, s->IsRational, s->IsPeriodicU, s->IsPeriodicV}),
            (std::vector<int>{2, 0, 1, 0, 3}));
  EXPECT_TRUE(s->KnotValueU.empty());
  EXPECT_TRUE(s->KnotValueV.empty());
  EXPECT_EQ(s->Weights, (Doubles{0, 0.5, 0.25, 2, 4}));
  EXPECT_EQ(s->ControlPoints, (Doubles{0, 2, 6, 4, 0.5, 8, 12, 10, 0.25, 14, 18, 16, 2, 20, 24, 22, 4}));
}

// Counts other than 1 move every offset: a curve of degree 2 with four
// points, and a 3 x 2 net whose U index must run fastest.
TEST(Parser, LargerCountsPlaceEveryArray) {
  const auto e = CommaParser().GetNURBSElementFromParameter(
      "126,3,2,0,0,0,0,0.,0.,0.,0.5,1.,1.,1.,0.5,1.,2.,3.,"
      "1.,2.,3.,4.,5.,6.,7.,8.,9.,10.,11.,12.,0.,1.,0.,0.,1.;");
  const NURBSCurve* c = AsCurve(e);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->N1, 2);
  EXPECT_EQ(c->orderOfCurve, 3);
  EXPECT_EQ(c->KnotValue, (Doubles{0, 0, 0, 0.5, 1, 1, 1}));
  EXPECT_EQ(c->Weights, (Doubles{0, 0.5, 1, 2, 3}));
  EXPECT_EQ(c->ControlPoints, (Doubles{0, 1, 3, 2, 4, 6, 5, 7, 9, 8, 10, 12, 11}));

  // K1 = 2, K2 = 1, M1 = M2 = 1: A = 4, B = 3, C = 6; weights in fields 20-25.
  const auto f = CommaParser().GetNURBSElementFromParameter(
      "128,2,1,1,1,0,0,0,0,0,0.,0.,.5,1.,1.,0.,0.,1.,1.,1.,2.,3.,4.,5.,6.,"
      "1.,0.,0.,2.,0.,0.,3.,0.,0.,0.,0.,1.,0.,0.,2.,0.,0.,3.,0.,1.,0.,1.;");
  const NURBSSurface* s = AsSurface(f);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->NoOfControlPointsU, 3);
  EXPECT_EQ(s->NoOfControlPointsV, 2);
  EXPECT_EQ(s->N1, 2);
  EXPECT_EQ(s->N2, 1);
  EXPECT_EQ(s->Weights, (Doubles{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(s->ControlPoints, (Doubles{0, 1, 0, 0, 1, 2, 0, 0, 2, 3, 0, 0, 3,  //
                                       0, 1, 0, 4, 0, 2, 0, 5, 0, 3, 0, 6}));
}

TEST(Parser, FlagsDExponentsAndBlankFields) {
  const auto e =
      CommaParser().GetNURBSElementFromParameter("126,1,1,2,0.5, ,0,0.,0.,1.D0,1.,1.,1.,1.5D1,2.0d0,-3.D-1,,,,0.,1.;");
  const NURBSCurve* c = AsCurve(e);
  ASSERT_NE(c, nullptr);
  EXPECT_TRUE(c->IsPlanar);
  EXPECT_TRUE(c->IsClosed);
  EXPECT_FALSE(c->IsRational);
  EXPECT_FALSE(c->IsPeriodic);
  EXPECT_EQ(c->KnotValue, (Doubles{0, 0, 1, 1}));
  EXPECT_EQ(c->ControlPoints, (Doubles{0, 15, -0.3, 2, 0, 0, 0}));
}

TEST(Parser, SmallestAndNegativeCountsGiveShortArrays) {
  const auto one = CommaParser().GetNURBSElementFromParameter("126,0,0,0,0,1,0,0.,1.,2.,5.,6.,7.,0.,1.;");
  const NURBSCurve* c = AsCurve(one);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->NoOfControlPoints, 1);
  EXPECT_EQ(c->KnotValue, (Doubles{0, 1}));
  EXPECT_EQ(c->Weights, (Doubles{0, 2}));
  EXPECT_EQ(c->ControlPoints, (Doubles{0, 5, 7, 6}));

  // Loops whose bound lies below their start make no pass: pads only.
  const auto none = CommaParser().GetNURBSElementFromParameter("126,-1,-1,0,0,1,0;");
  ASSERT_NE(AsCurve(none), nullptr);
  EXPECT_EQ(AsCurve(none)->NoOfControlPoints, 0);
  EXPECT_TRUE(AsCurve(none)->KnotValue.empty());
  EXPECT_EQ(AsCurve(none)->Weights, Doubles{0});
  EXPECT_EQ(AsCurve(none)->ControlPoints, Doubles{0});

  for (const char* text : {"128,-1,1,0,1,0,0,0,0,0;", "128,99,-3,0,0,0,0,0,0,0;"}) {
    const auto flat = CommaParser().GetNURBSElementFromParameter(text);
    ASSERT_NE(AsSurface(flat), nullptr) << text;
    EXPECT_EQ(AsSurface(flat)->Weights, Doubles{0}) << text;
    EXPECT_EQ(AsSurface(flat)->ControlPoints, Doubles{0}) << text;
  }
}

TEST(Parser, TypeComesFromTheTextNotTheDirectory) {
  igestest::IgesFile file;
  file.Add(126, igestest::Surface("1."));
  file.Add(128, igestest::Curve("2."));
  igestest::MemoryReader m(file.Text(), false);
  const auto elements = igestest::ReadAll(m.reader);
  ASSERT_EQ(elements.size(), 2u) << m.reader.ErrorMessage;
  EXPECT_NE(AsSurface(elements[0]), nullptr);
  EXPECT_NE(AsCurve(elements[1]), nullptr);
}

// A scale text whose value is not greater than 0 is replaced by "1" before
// the element is built; knots and weights are never scaled.
TEST(Parser, ScaleRule) {
  struct Row {
    std::string text, after;
    double s;
  };
  const std::vector<Row> rows = {
      {"0", "1", 1},       {"-2", "1", 1},          {"", "1", 1}, {"abc", "1", 1}, {"nan", "1", 1},
      {"2.5", "2.5", 2.5}, {" 0.5x", " 0.5x", 0.5},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE("scale text \"" + row.text + "\"");
    ScaleText scale(row.text);
    const auto e =
        CommaParser().GetNURBSElementFromParameter("126,1,1,0,0,1,0,0.,0.,3.,3.,0.5,4.,1.,2.,3.,4.,5.,6.,0.,3.;");
    ASSERT_NE(AsCurve(e), nullptr);
    EXPECT_EQ(fw::ScaleText(), row.after);
    EXPECT_EQ(AsCurve(e)->KnotValue, (Doubles{0, 0, 3, 3}));
    EXPECT_EQ(AsCurve(e)->Weights, (Doubles{0, 0.5, 4}));
    const double s = row.s;
    EXPECT_EQ(AsCurve(e)->ControlPoints, (Doubles{0, 1 * s, 3 * s, 2 * s, 4 * s, 6 * s, 5 * s}));
  }
}

// Counts that the text cannot hold, or that overflow the arithmetic built on
// them, make the entity malformed: nullptr with the reason, and no
// allocation beyond the size of the text.
TEST(Parser, MalformedCountsAreRejectedBeforeAnyAllocation) {
  const std::string tail = ",0,0,1,0,0.,0.,1.,1.,1.,1.,0.,0.,0.,1.,1.,1.,0.,1.;";
  const std::string surfaceFlags = ",0,0,0,0,0,0,0;";
  struct Row {
    std::string text;
    std::string mentions;
  };
  const std::vector<Row> rows = {
      {"126,1e10,1" + tail, "field 2"},
      {"126,3000000000,1" + tail, "field 2"},
      {"126,1,-3000000000" + tail, "field 3"},
      {"126,2147483646,0" + tail, "fields 8 to"},
      {"126,2147483647,0" + tail, ""},
      {"126,1,1,0,0,1,0,0.,0.,1.,1.,1.,1.,1e400,0.,0.,1.,1.,1.,0.,1.;", "field 14"},
      {"126,1,1,0,0,1,0,0.,0.,1.,1.,1.,1.;", "fields 14 to 19"},
      {"128,1,1,1,1,0,0,1,0,0,0.,0.,1.,1.,0.,0.,1.,1.,1.,1.,1.,1.;", "fields 23 to 34"},
      {"128,40000,40000,1,1,0,0,1,0,0,0.,0.,1.,1.,0.,0.,1.,1.,1.,1.,1.,1.;", ""},
      {"128,2147483646,2147483646" + surfaceFlags, ""},
      {"128,-2147483648,-2147483648" + surfaceFlags, ""},
      {"128,1,1,1" + surfaceFlags, "fields"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    std::string why;
    largestRequest = 0;
    const auto e = CommaParser().GetNURBSElementFromParameter(row.text, &why);
    EXPECT_LT(largestRequest, 4096u);
    EXPECT_FALSE(e);
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(Mentions(why, row.mentions));
  }
}

// Regression: (K1 + 1)(K2 + 1) of -4.6e18 passed the size check, and 4C then
// overflowed 64 bits (undefined behaviour, reported by the sanitizer build).
// The product overflows the 32-bit count arithmetic, so the entity is malformed.
TEST(Parser, HugeNegativeControlPointCountDoesNotOverflow) {
  std::string why;
  largestRequest = 0;
  EXPECT_FALSE(CommaParser().GetNURBSElementFromParameter("128,2147483646,-2147483647,0,0,0,0,0,0,0,0;", &why));
  EXPECT_LT(largestRequest, 4096u);
  EXPECT_FALSE(why.empty());
}

TEST(Parser, TextNotBeginningWith126Or128GivesNoElement) {
  for (const std::string text : {"124,1.,0.,0.;", " 126,1,1,0,0,1,0;", "126 ,1,1,0,0,1,0;", "126.0,1,1;", "", ";"}) {
    std::string why;
    EXPECT_FALSE(CommaParser().GetNURBSElementFromParameter(text, &why)) << text;
    EXPECT_TRUE(Mentions(why, "expected entity type 126 or 128")) << text;
  }
}

}  // namespace
