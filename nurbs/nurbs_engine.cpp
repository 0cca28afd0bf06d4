#include "nurbs/nurbs_engine.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string_view>
#include <utility>

#include "framework/runtime.h"
#include "framework/text.h"

// One index type for the numerics: 64 bits, so that no product of counts
// from a file can overflow.
using Index = std::int64_t;

namespace {

constexpr double kSnap = 5e-6;

std::size_t At(Index i) { return static_cast<std::size_t>(i); }

// ---------------------------------------------------------------------------
// Fast path: only the non-zero basis values of each parameter value,
// computed once with the very operations of Basis, so that the points come
// out bit-identical to the textbook routines.

// x(i) of the open uniform vector that knot(n, c) builds, without building it:
// c zeros, then 1 .. n - c + 1, the last value standing c times; all zeros
// when the order exceeds the number of points.
Index KnotAt(Index i, Index n, Index c) {
  if (c > n) return 0;
  return std::clamp<Index>(i - c, 0, n - c + 1);
}

// The parameter values of one direction: p values from 0 to the last knot,
// reached by repeated addition of the step as the textbook routines reach
// them, so that every value has the very bits it has there.
class Parameters {
 public:
  Parameters(double last, Index p) : last_(last), step_(p > 1 ? last / static_cast<double>(p - 1) : 0.0) {}

  double Next() {
    // The last value lands exactly on the last knot although it is reached
    // by repeated addition; one that overshoots is pulled back to it.
    if (last_ - t_ < kSnap) t_ = last_;
    const double t = t_;
    t_ += step_;
    return t;
  }

 private:
  double last_;
  double step_;
  double t_ = 0.0;
};

// The non-zero basis values at one parameter value: the index of the first,
// how many, whether none of them is 0, and where they are.
struct Span {
  Index first = 1;
  Index count = 0;
  bool dense = true;
  const double* values = nullptr;
};

// The basis values of npts points of order c (1 .. ) at one parameter value.
class SpanBasis {
 public:
  SpanBasis(Index npts, Index c)
      : npts_(npts), c_(c), width_(std::min(c, npts)), last_(static_cast<double>(KnotAt(npts + c, npts, c))) {
    temp_.resize(At(width_ + 1));
  }

  // The most values that one parameter value has.
  Index Width() const { return width_; }
  double Last() const { return last_; }
  // Bytes held: the working array.
  static Index Bytes(Index width) { return 8 * (width + 1); }

  // The values at t, valid until the next call.
  Span Evaluate(double t) {
    std::vector<double>& temp = temp_;
    if (t == last_) {
      // t equal to the last knot lies in no interval; the end-point rule puts
      // it on the last control point.
      temp[0] = 1.0;
      return {npts_, 1, true, temp.data()};
    }
    if (t < 0.0 || t > last_) return {1, 0, true, temp.data()};
    // Here c <= npts (otherwise every knot is 0 and t == last). t lies in
    // [x(s), x(s + 1)) with x(s) = floor(t); only N(s - c + 1) .. N(s) of
    // order c can be non-zero. temp[r] holds the value for index s - c + 1 + r.
    const Index s = c_ + static_cast<Index>(std::floor(t));
    const Index base = s - c_ + 1;
    std::fill(temp.begin(), temp.end(), 0.0);
    temp[At(c_ - 1)] = 1.0;
    auto x = [&](Index i) { return KnotAt(i, npts_, c_); };
    for (Index k = 2; k <= c_; ++k) {
      for (Index i = s - k + 1; i <= s; ++i) {
        const Index r = i - base;
        const double lower = temp[At(r)];
        const double upper = temp[At(r + 1)];
        const double d = lower == 0.0 ? 0.0 : ((t - static_cast<double>(x(i))) * lower) /
                                                  static_cast<double>(x(i + k - 1) - x(i));
        const double e = upper == 0.0 ? 0.0 : ((static_cast<double>(x(i + k)) - t) * upper) /
                                                  static_cast<double>(x(i + k) - x(i + 1));
        temp[At(r)] = d + e;
      }
    }
    // Values that came out 0 (the first one, at a knot) are left out at
    // either end: the textbook routines skip them as well, so the sums keep
    // the same terms in the same order.
    Index from = 0, to = c_;
    while (from < to && temp[At(from)] == 0.0) ++from;
    while (to > from && temp[At(to - 1)] == 0.0) --to;
    Span span{base + from, to - from, true, temp.data() + from};
    for (Index r = from; r < to; ++r) {
      if (temp[At(r)] == 0.0) span.dense = false;
    }
    return span;
  }

 private:
  Index npts_;
  Index c_;
  Index width_;
  double last_;
  std::vector<double> temp_;
};

// A direction whose parameter values are each used many times (a surface's
// across direction, on every row): the values of all of them, computed once.
class DirectionBasis {
 public:
  // npts points of order c, p parameter values from 0 to the last knot.
  DirectionBasis(Index npts, Index c, Index p) : basis_(npts, c) {
    const Index width = basis_.Width();
    first_.resize(At(std::max<Index>(p, 0)));
    count_.resize(first_.size());
    dense_.resize(first_.size());
    values_.resize(first_.size() * At(width));
    Parameters t(basis_.Last(), p);
    for (Index a = 0; a < p; ++a) {
      if ((a & 4095) == 4095) fw::RuntimeBackgroundTask();
      const Span span = basis_.Evaluate(t.Next());
      std::copy(span.values, span.values + span.count, values_.data() + At(a * width));
      first_[At(a)] = span.first;
      count_[At(a)] = span.count;
      dense_[At(a)] = span.dense;
    }
  }

  // Bytes held for p values of at most width values each: a first index, a
  // count, a flag bit and the values for each, and the working array.
  static Index Bytes(Index width, Index p) { return p * 8 * (width + 2) + (p + 7) / 8 + SpanBasis::Bytes(width); }

  Index First(Index a) const { return first_[At(a)]; }
  Index Count(Index a) const { return count_[At(a)]; }
  // True when none of the values of parameter a is 0.
  bool Dense(Index a) const { return dense_[At(a)]; }
  Index Width() const { return basis_.Width(); }
  const double* Values(Index a) const { return values_.data() + At(a * basis_.Width()); }

 private:
  SpanBasis basis_;
  std::vector<Index> first_;
  std::vector<Index> count_;
  std::vector<bool> dense_;
  std::vector<double> values_;
};

// A direction whose parameter values are each used once, in order (a curve,
// a surface's along direction, row by row): the values of a few parameter
// values at a time, so that what it holds does not grow with the steps.
// Evaluating a few ahead lets the divisions of the basis overlap the work on
// the points; four make a curve as fast as a whole table did, more gain
// nothing (BM_ConvertCurve).
class StreamedBasis {
 public:
  static constexpr Index kAhead = 4;

  StreamedBasis(Index npts, Index c, Index p) : basis_(npts, c), t_(basis_.Last(), p), left_(std::max<Index>(p, 0)) {
    values_.resize(At(kAhead * basis_.Width()));
  }

  // Bytes held for values of at most width values each.
  static Index Bytes(Index width) {
    return kAhead * (8 * width + static_cast<Index>(sizeof(Span))) + SpanBasis::Bytes(width);
  }

  // Moves to the next parameter value, the first on the first call.
  void Next() {
    if (++at_ < filled_) return;
    at_ = 0;
    filled_ = std::min(kAhead, left_);
    left_ -= filled_;
    for (Index i = 0; i < filled_; ++i) {
      const Span span = basis_.Evaluate(t_.Next());
      double* out = values_.data() + At(i * basis_.Width());
      std::copy(span.values, span.values + span.count, out);
      spans_[At(i)] = {span.first, span.count, span.dense, out};
    }
  }

  Index First() const { return spans_[At(at_)].first; }
  Index Count() const { return spans_[At(at_)].count; }
  // True when none of the values is 0.
  bool Dense() const { return spans_[At(at_)].dense; }
  Index Width() const { return basis_.Width(); }
  const double* Values() const { return spans_[At(at_)].values; }

 private:
  SpanBasis basis_;
  Parameters t_;
  Index left_;  // parameter values not evaluated yet
  Index at_ = 0;
  Index filled_ = 0;
  std::array<Span, kAhead> spans_;
  std::vector<double> values_;
};

// Grows script geometrically so that appending object after object stays
// linear in the size of the script.
void EnsureRoom(std::string& script, std::size_t extra) {
  const std::size_t needed = script.size() + extra;
  if (needed > script.capacity()) script.reserve(std::max(needed, script.capacity() * 2));
}

void AppendHeader(std::string& script, std::int64_t horizontal, std::int64_t vertical, int type) {
  script += "Start Object\r\nObjHorResC\t";
  fw::AppendInt(script, horizontal);
  script += "\r\nObjVerResC\t";
  fw::AppendInt(script, vertical);
  script += "\r\nObjTypeC\t";
  fw::AppendInt(script, type);
  script += "\r\n";
}

// Writes point rows straight into the script: room for a batch of rows is
// opened at the end of the text, the rows are formatted into it, and the
// text is cut back to what was written. No number or row passes through a
// string of its own.
class RowWriter {
 public:
  // Two grid indices below 2^31 and three coordinates of at most 24
  // characters, with their separators and the line end.
  static constexpr std::size_t kMaxRow = 2 * 10 + 3 * 24 + 5 + 2;
  // Rows per batch: enough to make the cost of opening negligible, few
  // enough that the room opened beyond the text stays small.
  static constexpr Index kBatch = 256;

  explicit RowWriter(std::string& script) : script_(script) {}
  RowWriter(const RowWriter&) = delete;
  RowWriter& operator=(const RowWriter&) = delete;

  // Makes room for up to rows more rows, closing the batch before; Close
  // must follow the last batch before the script is used otherwise.
  void Open(Index rows) {
    Close();
    const std::size_t used = script_.size();
    script_.resize(used + At(rows) * kMaxRow);
    at_ = script_.data() + used;
  }

  void Row(Index column, Index row, const double q[3]) {
    char* p = at_;
    p = std::to_chars(p, p + 10, static_cast<std::uint32_t>(column)).ptr;
    *p++ = '\t';
    p = std::to_chars(p, p + 10, static_cast<std::uint32_t>(row)).ptr;
    for (int j = 0; j < 3; ++j) {
      *p++ = '\t';
      p = fw::WriteCStr(p, q[j]);
    }
    *p++ = '\r';
    *p++ = '\n';
    at_ = p;
  }

  void Close() {
    if (at_ != nullptr) script_.resize(static_cast<std::size_t>(at_ - script_.data()));
    at_ = nullptr;
  }

 private:
  std::string& script_;
  char* at_ = nullptr;
};

// q += P * pbasis, coordinate by coordinate.
inline void AddWeighted(double q[3], const double* P, double pbasis) {
  q[0] += P[0] * pbasis;
  q[1] += P[1] * pbasis;
  q[2] += P[2] * pbasis;
}

// One grid point of a surface whose window holds no zero value: the
// weighted basis sum and, when it is positive, the point added into q, with
// the operations of sumrbas and rbspsurf in their order. The window starts
// at corner, rows rowStride values apart; kCount is the inner window size
// when fixed at compile time (0 to take countJ). products holds the weighted
// products between the two passes.
template <Index kCount>
double DensePoint(const double* corner, Index rowStride, const double* N, Index countI, const double* M,
                  Index countJ, double* products, double q[3]) {
  const Index inner = kCount > 0 ? kCount : countJ;
  double sum = 0.0;
  double* product = products;
  for (Index ri = 0; ri < countI; ++ri) {
    const double* P = corner + ri * rowStride;
    const double n = N[ri];
    for (Index rj = 0; rj < inner; ++rj) {
      product[rj] = (P[4 * rj + 3] * n) * M[rj];
      sum += product[rj];
    }
    product += inner;
  }
  if (!(sum > 0.0)) return sum;
  product = products;
  for (Index ri = 0; ri < countI; ++ri) {
    const double* P = corner + ri * rowStride;
    for (Index rj = 0; rj < inner; ++rj) {
      const double pbasis = product[rj] / sum;
      AddWeighted(q, P + 4 * rj, pbasis);
    }
    product += inner;
  }
  return sum;
}

// The same as DensePoint where some basis values are 0: their terms are
// skipped, as the textbook routines skip them.
double SparsePoint(const double* corner, Index rowStride, const double* N, Index countI, const double* M,
                   Index countJ, double* products, double q[3]) {
  double sum = 0.0;
  for (Index ri = 0; ri < countI; ++ri) {
    if (N[ri] == 0.0) continue;
    const double* P = corner + ri * rowStride;
    double* product = products + ri * countJ;
    for (Index rj = 0; rj < countJ; ++rj) {
      if (M[rj] == 0.0) continue;
      product[rj] = (P[4 * rj + 3] * N[ri]) * M[rj];
      sum += product[rj];
    }
  }
  if (!(sum > 0.0)) return sum;
  for (Index ri = 0; ri < countI; ++ri) {
    if (N[ri] == 0.0) continue;
    const double* row = corner + ri * rowStride;
    const double* product = products + ri * countJ;
    for (Index rj = 0; rj < countJ; ++rj) {
      if (M[rj] != 0.0) AddWeighted(q, row + 4 * rj, product[rj] / sum);
    }
  }
  return sum;
}

bool PointIsFinite(const double q[3]) { return std::isfinite(q[0]) && std::isfinite(q[1]) && std::isfinite(q[2]); }

std::string NoPositionMessage(double sum) {
  return "its weights give a point no position (weighted basis sum " + fw::CStr(sum) +
         "); every weight must be greater than 0";
}

const char* kOverflowMessage = "a point lies beyond the range of double-precision numbers";

// Room for an object of the given rows at their longest, and for the batch
// opened beyond them: the script then never moves while an object is
// converted, when its basis values are held beside it. The importer's memory
// check counts on that.
std::size_t ObjectRoom(Index rows) { return 80 + At(rows + RowWriter::kBatch) * RowWriter::kMaxRow; }

// Takes back what the failed object appended and says why.
bool Reject(std::string& script, std::size_t mark, std::string& error, std::string message) {
  script.resize(mark);
  error = std::move(message);
  return false;
}

bool CheckOrder(Index order, const char* direction, std::string& error) {
  constexpr Index kMaxDegree = NURBSEngine::kMaxDegree;
  if (order >= 1 && order - 1 <= kMaxDegree) return true;
  error = std::string("degree ") + std::to_string(order - 1) + direction +
          (order < 1 ? " is below 0" : " is above " + std::to_string(kMaxDegree) + ", the highest evaluated");
  return false;
}

// The most basis values one parameter value of a direction has; a degree
// beyond the highest evaluated is refused before anything is held.
Index WidthOf(std::int32_t points, std::int32_t degree) {
  return std::clamp<Index>(std::min<Index>(Index{degree} + 1, points), 1, NURBSEngine::kMaxDegree + 1);
}

}  // namespace

// ---------------------------------------------------------------------------
// Conversions

bool NURBSEngine::ConvertNURBSCurve(const NURBSCurve& curve, std::int32_t steps, std::string& script,
                                    std::string& error) {
  const Index npts = curve.NoOfControlPoints;
  if (npts < 3) return true;
  const Index k = static_cast<Index>(curve.BasisFunction) + 1;
  if (!CheckOrder(k, "", error)) return false;
  if (static_cast<Index>(curve.ControlPoints.size()) < 3 * npts + 1 ||
      static_cast<Index>(curve.Weights.size()) < npts + 1) {
    error = "holds fewer control points or weights than its count";
    return false;
  }
  const Index p1 = std::max<Index>(steps, 0);
  const std::size_t mark = script.size();
  EnsureRoom(script, ObjectRoom(p1));
  StreamedBasis basis(npts, k, p1);
  AppendHeader(script, static_cast<std::int64_t>(fw::App().AlongStep) - 1, 1, 1);
  const double* b = curve.ControlPoints.data();
  const double* w = curve.Weights.data();
  RowWriter rows(script);
  for (Index a = 0; a < p1; ++a) {
    if (a % RowWriter::kBatch == 0) rows.Open(std::min(RowWriter::kBatch, p1 - a));
    basis.Next();
    const Index first = basis.First();
    const Index count = basis.Count();
    const double* N = basis.Values();
    double sum = 0.0;
    for (Index r = 0; r < count; ++r) {
      if (N[r] != 0.0) sum += w[At(first + r)] * N[r];
    }
    if (!(sum > 0.0)) return Reject(script, mark, error, NoPositionMessage(sum));
    double q[3] = {0.0, 0.0, 0.0};
    for (Index r = 0; r < count; ++r) {
      if (N[r] == 0.0) continue;
      const Index i = first + r;
      const double pbasis = (w[At(i)] * N[r]) / sum;
      const double* P = b + At(3 * (i - 1) + 1);
      AddWeighted(q, P, pbasis);
    }
    if (!PointIsFinite(q)) return Reject(script, mark, error, kOverflowMessage);
    rows.Row(0, a, q);
    if ((a & 63) == 63) fw::RuntimeBackgroundTask();
  }
  rows.Close();
  script += "End Object\r\n";
  return true;
}

NURBSEngine::Grid NURBSEngine::SurfaceGrid(std::int32_t nu, std::int32_t nv, std::int32_t stepsA,
                                           std::int32_t stepsB) {
  if (nu < 1 || nv < 1) return {};
  const Index rowsA = nu == 2 && nv == 2 ? 3 : std::max<Index>(stepsA, 0);
  const Index rowsB = nu == 2 ? 3 : std::max<Index>(stepsB, 0);
  return {rowsB > 0 ? rowsA : 0, rowsA > 0 ? rowsB : 0};
}

std::int64_t NURBSEngine::CurveMemory(std::int32_t points, std::int32_t degree) {
  return points < 3 ? 0 : StreamedBasis::Bytes(WidthOf(points, degree));
}

std::int64_t NURBSEngine::SurfaceMemory(std::int32_t nu, std::int32_t nv, std::int32_t degreeU,
                                        std::int32_t degreeV, std::int32_t stepsA, std::int32_t stepsB) {
  const Grid grid = SurfaceGrid(nu, nv, stepsA, stepsB);
  if (grid.along == 0) return 0;
  const Index across = WidthOf(std::max(nu, 3), degreeU), along = WidthOf(std::max(nv, 3), degreeV);
  // The products of one grid point come on top of the two directions.
  return DirectionBasis::Bytes(across, grid.across) + StreamedBasis::Bytes(along) + 8 * across * along;
}

bool NURBSEngine::ConvertNURBSSurface(NURBSSurface& surface, std::int32_t stepsA, std::int32_t stepsB,
                                      std::string& script, std::string& error) {
  const Index nu = surface.NoOfControlPointsU;
  const Index nv = surface.NoOfControlPointsV;
  if (nu < 1 || nv < 1) return true;
  if (static_cast<Index>(surface.ControlPoints.size()) < 4 * nu * nv + 1) {
    error = "holds fewer control points than its counts";
    return false;
  }
  const Index l = static_cast<Index>(surface.BasisFunctionsU) + 1;
  const Index k = static_cast<Index>(surface.BasisFunctionsV) + 1;
  if (!CheckOrder(l, " in U", error) || !CheckOrder(k, " in V", error)) return false;

  const Grid grid = SurfaceGrid(surface.NoOfControlPointsU, surface.NoOfControlPointsV, stepsA, stepsB);
  bool alongRaised = false;
  bool acrossRaised = false;
  // A direction of two control points is raised to three by inserting the
  // midpoint of each pair; its weight is copied from the pair's second
  // point, never averaged. The along raise (both directions two) comes
  // first, so the across raise then runs over three rows.
  if (nu == 2) {
    std::vector<double>& cp = surface.ControlPoints;
    auto P = [&cp](Index u, Index v, Index nuNow) { return cp.data() + At(4 * (nuNow * (v - 1) + u) - 3); };
    std::vector<double> raised;
    raised.push_back(0.0);
    if (nv == 2) {
      alongRaised = true;
      raised.reserve(1 + 24);
      raised.insert(raised.end(), P(1, 1, 2), P(1, 1, 2) + 8);
      for (Index u = 1; u <= 2; ++u) {
        const double* low = P(u, 1, 2);
        const double* high = P(u, 2, 2);
        raised.insert(raised.end(), {(high[0] + low[0]) / 2.0, (high[1] + low[1]) / 2.0, (high[2] + low[2]) / 2.0,
                                     high[3]});
      }
      raised.insert(raised.end(), P(1, 2, 2), P(1, 2, 2) + 8);
      surface.NoOfControlPointsV = 3;
      cp.resize(1);
      cp.insert(cp.end(), raised.begin() + 1, raised.end());
      raised.resize(1);
    }
    const Index rows = surface.NoOfControlPointsV;
    raised.reserve(At(1 + 12 * rows));
    for (Index v = 1; v <= rows; ++v) {
      acrossRaised = true;
      const double* left = P(1, v, 2);
      const double* right = P(2, v, 2);
      raised.insert(raised.end(), left, left + 4);
      raised.insert(raised.end(), {(left[0] + right[0]) / 2.0, (left[1] + right[1]) / 2.0,
                                   (left[2] + right[2]) / 2.0, right[3]});
      raised.insert(raised.end(), right, right + 4);
    }
    surface.NoOfControlPointsU = 3;
    cp = std::move(raised);
  }

  const Index npts = surface.NoOfControlPointsV;  // outer: along
  const Index mpts = surface.NoOfControlPointsU;  // inner: across, fastest in the net
  const std::size_t mark = script.size();
  const Index along = grid.along;
  const Index across = grid.across;
  EnsureRoom(script, ObjectRoom(along * across));
  AppendHeader(script, alongRaised ? 2 : static_cast<std::int64_t>(fw::App().AlongStep) - 1,
               acrossRaised ? 2 : static_cast<std::int64_t>(fw::App().SideStep) - 1, 3);
  if (along > 0) {
    StreamedBasis outer(npts, k, along);
    const DirectionBasis inner(mpts, l, across);
    const double* b = surface.ControlPoints.data();
    // The weighted products of one grid point, formed once for the sum and
    // used again for each point's share.
    std::vector<double> products(At(outer.Width() * inner.Width()));
    RowWriter rows(script);
    for (Index a = 0; a < along; ++a) {
      outer.Next();
      const Index firstI = outer.First();
      const Index countI = outer.Count();
      const double* N = outer.Values();
      const bool denseI = outer.Dense();
      for (Index e = 0; e < across; ++e) {
        if (e % RowWriter::kBatch == 0) {
          // A very long row lets the event loop in between its batches too.
          if (e > 0) fw::RuntimeBackgroundTask();
          rows.Open(std::min(RowWriter::kBatch, across - e));
        }
        const Index firstJ = inner.First(e);
        const Index countJ = inner.Count(e);
        const double* M = inner.Values(e);
        const double* const corner = b + At(4 * mpts * (firstI - 1) + 4 * (firstJ - 1) + 1);
        const Index rowStride = 4 * mpts;
        double sum = 0.0;
        double q[3] = {0.0, 0.0, 0.0};
        if (denseI && inner.Dense(e)) {
          // No value is 0, so no term is skipped: the same sums without a
          // test per term, unrolled for the usual window sizes.
          switch (countJ) {
            case 4:
              sum = DensePoint<4>(corner, rowStride, N, countI, M, countJ, products.data(), q);
              break;
            case 3:
              sum = DensePoint<3>(corner, rowStride, N, countI, M, countJ, products.data(), q);
              break;
            case 2:
              sum = DensePoint<2>(corner, rowStride, N, countI, M, countJ, products.data(), q);
              break;
            default:
              sum = DensePoint<0>(corner, rowStride, N, countI, M, countJ, products.data(), q);
              break;
          }
        } else {
          sum = SparsePoint(corner, rowStride, N, countI, M, countJ, products.data(), q);
        }
        if (!(sum > 0.0)) return Reject(script, mark, error, NoPositionMessage(sum));
        if (!PointIsFinite(q)) return Reject(script, mark, error, kOverflowMessage);
        rows.Row(e, a, q);
      }
      fw::RuntimeBackgroundTask();
    }
    rows.Close();
  }
  script += "End Object\r\n";
  return true;
}

// ---------------------------------------------------------------------------
// Textbook routines

void NURBSEngine::knot(std::int32_t n, std::int32_t c, std::vector<std::int32_t>& x) {
  const Index last = static_cast<Index>(n) + c;
  x[1] = 0;
  for (Index i = 2; i <= last; ++i) {
    // Both bounds are strict: i = c still copies, i = n + 2 is the first
    // index that repeats the last value.
    x[At(i)] = (c < i && i < static_cast<Index>(n) + 2) ? x[At(i - 1)] + 1 : x[At(i - 1)];
  }
}

void NURBSEngine::Basis(std::int32_t c, double t, std::int32_t npts, const std::vector<std::int32_t>& x,
                        std::vector<double>& n) {
  const Index m = static_cast<Index>(x.size()) - 1;
  std::vector<double> temp(At(m + 1), 0.0);
  for (Index i = 1; i <= m - 1; ++i) {
    temp[At(i)] = (static_cast<double>(x[At(i)]) <= t && t < static_cast<double>(x[At(i + 1)])) ? 1.0 : 0.0;
  }
  for (Index k = 2; k <= c; ++k) {
    for (Index i = 1; i <= m - k; ++i) {
      const double d = temp[At(i)] == 0.0 ? 0.0
                                          : ((t - x[At(i)]) * temp[At(i)]) /
                                                static_cast<double>(x[At(i + k - 1)] - x[At(i)]);
      const double e = temp[At(i + 1)] == 0.0 ? 0.0
                                              : ((x[At(i + k)] - t) * temp[At(i + 1)]) /
                                                    static_cast<double>(x[At(i + k)] - x[At(i + 1)]);
      temp[At(i)] = d + e;
    }
  }
  // t equal to the last knot lies in no interval; this puts it on the last
  // control point.
  if (t == static_cast<double>(x[At(m)])) temp[At(npts)] = 1.0;
  for (Index i = 1; i <= npts; ++i) n[At(i)] = temp[At(i)];
}

bool NURBSEngine::BSpline(std::int32_t npts, std::int32_t k, std::int32_t p1, const std::vector<double>& b,
                          std::vector<double>& p, const std::vector<double>& weights) {
  if (p1 < 1) return true;
  const Index m = static_cast<Index>(npts) + k;
  std::vector<std::int32_t> x(At(m + 1), 0);
  std::vector<double> nbasis(At(npts + 1), 0.0);
  knot(npts, k, x);
  const double last = static_cast<double>(x[At(m)]);
  const double step = p1 > 1 ? last / static_cast<double>(p1 - 1) : 0.0;
  if (p.empty()) p.push_back(0.0);
  p.resize(At(3 * static_cast<Index>(p1) + 1));
  bool ok = true;
  double t = 0.0;
  for (Index r = 0; r < p1; ++r) {
    if (last - t < kSnap) t = last;
    Basis(k, t, npts, x, nbasis);
    double sum = 0.0;
    for (Index i = 1; i <= npts; ++i) {
      if (nbasis[At(i)] != 0.0) sum += weights[At(i)] * nbasis[At(i)];
    }
    double* q = p.data() + At(3 * r + 1);
    q[0] = q[1] = q[2] = 0.0;
    if (!(sum > 0.0)) {
      ok = false;
    } else {
      for (Index i = 1; i <= npts; ++i) {
        if (nbasis[At(i)] == 0.0) continue;
        const double pbasis = (weights[At(i)] * nbasis[At(i)]) / sum;
        for (Index j = 0; j < 3; ++j) q[j] += b[At(3 * (i - 1) + j + 1)] * pbasis;
      }
    }
    t += step;
  }
  return ok;
}

double NURBSEngine::sumrbas(const std::vector<double>& b, const std::vector<double>& nbasis,
                            const std::vector<double>& mbasis, std::int32_t npts, std::int32_t mpts) {
  double sum = 0.0;
  for (Index i = 1; i <= npts; ++i) {
    if (nbasis[At(i)] == 0.0) continue;
    for (Index j = 1; j <= mpts; ++j) {
      if (mbasis[At(j)] == 0.0) continue;
      sum += (b[At(4 * mpts * (i - 1) + 4 * (j - 1) + 4)] * nbasis[At(i)]) * mbasis[At(j)];
    }
  }
  return sum;
}

bool NURBSEngine::rbspsurf(const std::vector<double>& b, std::int32_t k, std::int32_t l, std::int32_t npts,
                           std::int32_t mpts, std::int32_t p1, std::int32_t p2, std::vector<double>& q) {
  std::vector<std::int32_t> x(At(static_cast<Index>(npts) + k + 1), 0);
  std::vector<std::int32_t> y(At(static_cast<Index>(mpts) + l + 1), 0);
  std::vector<double> nbasis(At(npts + 1), 0.0);
  std::vector<double> mbasis(At(mpts + 1), 0.0);
  const Index cells = 3 * static_cast<Index>(p1) * p2 + 1;
  if (cells >= 1) q.insert(q.end(), At(cells), 0.0);
  knot(npts, k, x);
  knot(mpts, l, y);
  const double lastU = static_cast<double>(x[At(static_cast<Index>(npts) + k)]);
  const double lastW = static_cast<double>(y[At(static_cast<Index>(mpts) + l)]);
  const double stepu = p1 > 1 ? lastU / static_cast<double>(p1 - 1) : 0.0;
  const double stepw = p2 > 1 ? lastW / static_cast<double>(p2 - 1) : 0.0;
  bool ok = true;
  Index icount = 1;
  double u = 0.0;
  for (Index a = 1; a <= p1; ++a) {
    if (lastU - u < kSnap) u = lastU;
    Basis(k, u, npts, x, nbasis);
    double w = 0.0;
    for (Index e = 1; e <= p2; ++e) {
      if (lastW - w < kSnap) w = lastW;
      Basis(l, w, mpts, y, mbasis);
      const double sum = sumrbas(b, nbasis, mbasis, npts, mpts);
      if (!(sum > 0.0)) ok = false;
      for (Index i = 1; i <= npts && sum > 0.0; ++i) {
        if (nbasis[At(i)] == 0.0) continue;
        for (Index j = 1; j <= mpts; ++j) {
          if (mbasis[At(j)] == 0.0) continue;
          const Index j1 = 4 * mpts * (i - 1) + 4 * (j - 1) + 1;
          const double pbasis = ((b[At(j1 + 3)] * nbasis[At(i)]) * mbasis[At(j)]) / sum;
          q[At(icount)] += b[At(j1)] * pbasis;
          q[At(icount + 1)] += b[At(j1 + 1)] * pbasis;
          q[At(icount + 2)] += b[At(j1 + 2)] * pbasis;
        }
      }
      icount += 3;
      w += stepw;
    }
    u += stepu;
  }
  return ok;
}
