// Parameter Data of entities 126 and 128 into elements.
//
// A field is fetched by its number, with the same result as NthField on the
// whole text; reading the fields in order costs one pass over the text.
// Every field index that the counts make the parser read is checked
// against the number of fields first: an entity cut short is malformed (its
// missing values would otherwise read as 0 and put points at the origin), and
// no count can make an array larger than the text that holds its values.
// Blank fields read as 0, as IGES defaults them: that is not an error.

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "framework/runtime.h"
#include "framework/text.h"
#include "iges/iges_reader.h"

namespace {

// Lets the event loop in once every `every` steps of a long loop, so that a
// long entity does not hold it up; a short one never waits for it.
class Pacer {
 public:
  explicit Pacer(int every) : every_(every), left_(every) {}
  void Step() {
    if (--left_ == 0) {
      left_ = every_;
      fw::RuntimeBackgroundTask();
    }
  }

 private:
  int every_;
  int left_;
};

constexpr int kValuesPerYield = 1 << 14;

// The fields of one parameter text. With the usual one-character
// delimiter nothing is split ahead: the delimiters are counted in one fast
// pass, and a cursor then walks forward to the field asked for, so reading
// the fields in order costs one pass over the text and no list of fields,
// however long the entity. Going back restarts the walk from the first
// field (only the type and error messages ever do).
class Fields {
 public:
  // The reader's delimiter is one character, or none when the first Global
  // line is too short to hold one: then the whole text is field 1.
  Fields(std::string_view text, std::string_view delimiter) : text_(text) {
    if (delimiter.empty()) {
      fields_.push_back(text);
      count_ = 1;
      return;
    }
    mark_ = delimiter[0];
    count_ = static_cast<std::int64_t>(CountOf(text, mark_)) + 1;
    Restart();
  }

  std::int64_t Count() const { return count_; }

  // Field n, counted from 1; callers check n against Count() first.
  [[gnu::always_inline]] std::string_view operator[](std::int64_t n) const {
    if (!fields_.empty()) return fields_[static_cast<std::size_t>(n - 1)];
    if (n < index_) Restart();
    while (index_ < n) {
      start_ = end_ + 1;
      end_ = FindMark(start_);
      ++index_;
    }
    return std::string_view(text_.data() + start_, end_ - start_);
  }

 private:
  // How often mark occurs in text, sixteen characters a step where the
  // processor allows.
  static std::size_t CountOf(std::string_view text, char mark) {
    std::size_t count = 0;
    const char* p = text.data();
    const char* const end = p + text.size();
#ifdef __SSE2__
    // A match is -1 in its byte: subtracting the comparison counts matches
    // per byte position, which are summed into count every 255 steps,
    // before a byte could overflow.
    const __m128i marks = _mm_set1_epi8(mark);
    while (end - p >= 16) {
      __m128i counts = _mm_setzero_si128();
      for (int step = 0; step < 255 && end - p >= 16; ++step, p += 16) {
        counts = _mm_sub_epi8(counts, _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), marks));
      }
      const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
      count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
               static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
#endif
    for (; p != end; ++p) count += *p == mark ? 1 : 0;
    return count;
  }

  // Position of the first delimiter at or after from, or the text's end.
  [[gnu::always_inline]] std::size_t FindMark(std::size_t from) const {
    if (from >= text_.size()) return text_.size();
#ifdef __SSE2__
    // Most fields are short: one look at the next sixteen characters.
    if (text_.size() - from >= 16) {
      const auto found = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(
          _mm_loadu_si128(reinterpret_cast<const __m128i*>(text_.data() + from)), _mm_set1_epi8(mark_))));
      if (found != 0) return from + static_cast<std::size_t>(__builtin_ctz(found));
    }
#endif
    const void* found = std::memchr(text_.data() + from, mark_, text_.size() - from);
    return found ? static_cast<std::size_t>(static_cast<const char*>(found) - text_.data()) : text_.size();
  }

  void Restart() const {
    index_ = 1;
    start_ = 0;
    end_ = FindMark(0);
  }

  std::string_view text_;
  char mark_ = 0;
  std::int64_t count_ = 0;
  std::vector<std::string_view> fields_;  // only for a text without a delimiter
  // The cursor: field index_ spans [start_, end_).
  mutable std::int64_t index_ = 1;
  mutable std::size_t start_ = 0;
  mutable std::size_t end_ = 0;
};

// A field as a message quotes it: a long one (a field runs on until the next
// delimiter, over as many lines as the entity has) by its two ends, so that
// the message stays short enough to read.
std::string Quoted(std::string_view field) {
  field = fw::Trim(field);
  constexpr std::size_t kEnd = 12;
  if (field.size() <= 2 * kEnd + 3) return "\"" + std::string(field) + "\"";
  return "\"" + std::string(field.substr(0, kEnd)) + "..." + std::string(field.substr(field.size() - kEnd)) + "\"";
}

// Reads fields with the checks that make a malformed entity a message.
class FieldReader {
 public:
  FieldReader(const Fields& fields, std::string& error) : fields_(fields), error_(error) {}

  // True when every field from first to last exists (an empty range always does).
  bool Need(std::int64_t first, std::int64_t last, std::string_view what) {
    if (last < first) return true;
    if (first >= 1 && last <= fields_.Count()) return true;
    error_ = "expected " + std::string(what) + " in fields " + std::to_string(first) + " to " +
             std::to_string(last) + ", found " + std::to_string(fields_.Count()) + " fields";
    return false;
  }

  bool Int32(std::int64_t n, std::int32_t& out) {
    if (fw::ToInt32Checked(fw::Val(fw::Trim(fields_[n])), out)) return true;
    error_ = "field " + std::to_string(n) + ": expected a 32-bit integer, found " + Quoted(fields_[n]);
    return false;
  }

  [[gnu::always_inline]] bool Double(std::int64_t n, double factor, double& out) {
    // Val skips leading blanks itself and stops at trailing ones.
    out = fw::Val(fields_[n]) * factor;
    if (std::isfinite(out)) return true;
    return OutOfRange(n, factor);
  }

 private:
  // Kept out of line: the message is built once, for the one field that fails.
  [[gnu::noinline]] bool OutOfRange(std::int64_t n, double factor) {
    error_ = "field " + std::to_string(n) + ": " + Quoted(fields_[n]) +
             (factor == 1.0 ? " is out of range" : " is out of range once scaled");
    return false;
  }

  const Fields& fields_;
  std::string& error_;
};

bool FitsInt32(std::int64_t value) {
  return value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max();
}

// The scale rule: a scale text that gives no usable scale becomes "1".
double ScaleFactor() {
  if (!fw::UsableScale(fw::ScaleText())) fw::SetScaleText("1");
  return fw::Val(fw::ScaleText());
}

std::unique_ptr<INURBSElement> ParseCurve(const Fields& fields, double s, std::string& error) {
  FieldReader read(fields, error);
  Pacer pacer(kValuesPerYield);
  auto curve = std::make_unique<NURBSCurve>();
  std::int32_t k = 0;
  if (!read.Need(1, 7, "the curve's counts and flags")) return nullptr;
  if (!read.Int32(1, curve->_elementType) || !read.Int32(2, k) || !read.Int32(3, curve->BasisFunction)) {
    return nullptr;
  }
  const std::int64_t K = k;
  const std::int64_t M = curve->BasisFunction;
  curve->IsPlanar = fw::Val(fw::Trim(fields[4])) != 0.0;
  curve->IsClosed = fw::Val(fw::Trim(fields[5])) != 0.0;
  curve->IsRational = fw::Val(fw::Trim(fields[6])) != 0.0;
  curve->IsPeriodic = fw::Val(fw::Trim(fields[7])) != 0.0;
  const std::int64_t n1 = K + 1 - M;
  const std::int64_t A = n1 + 2 * M;
  if (!FitsInt32(n1) || !FitsInt32(K + 1) || !FitsInt32(M + 1)) {
    error = "counts K = " + std::to_string(K) + ", M = " + std::to_string(M) + " are out of range";
    return nullptr;
  }
  curve->N1 = static_cast<std::int32_t>(n1);
  curve->NoOfControlPoints = static_cast<std::int32_t>(K + 1);
  curve->orderOfCurve = static_cast<std::int32_t>(M + 1);

  if (!read.Need(8, 8 + A, "the knot sequence") || !read.Need(A + 9, A + 9 + K, "the weights") ||
      !read.Need(A + 10 + K, A + 12 + 4 * K, "the control points")) {
    return nullptr;
  }
  double value = 0.0;
  if (A >= 0) curve->KnotValue.reserve(static_cast<std::size_t>(A + 1));
  for (std::int64_t i = 0; i <= A; ++i) {
    pacer.Step();
    if (!read.Double(i + 8, 1.0, value)) return nullptr;
    curve->KnotValue.push_back(value);
  }
  curve->Weights.reserve(static_cast<std::size_t>(K >= 0 ? K + 2 : 1));
  curve->Weights.push_back(0.0);
  for (std::int64_t i = 0; i <= K; ++i) {
    pacer.Step();
    if (!read.Double(A + 9 + i, 1.0, value)) return nullptr;
    curve->Weights.push_back(value);
  }
  curve->ControlPoints.reserve(static_cast<std::size_t>(K >= 0 ? 3 * K + 4 : 1));
  curve->ControlPoints.push_back(0.0);
  for (std::int64_t i = 0; i <= 3 * K + 2; i += 3) {
    pacer.Step();
    const std::int64_t b = A + 10 + K + i;
    double x = 0.0, y = 0.0, z = 0.0;
    if (!read.Double(b, s, x) || !read.Double(b + 1, s, y) || !read.Double(b + 2, s, z)) return nullptr;
    curve->ControlPoints.insert(curve->ControlPoints.end(), {x, z, y});
  }
  return curve;
}

std::unique_ptr<INURBSElement> ParseSurface(const Fields& fields, double s, std::string& error) {
  FieldReader read(fields, error);
  Pacer pacer(kValuesPerYield);
  auto surface = std::make_unique<NURBSSurface>();
  std::int32_t k1 = 0, k2 = 0;
  if (!read.Need(1, 10, "the surface's counts and flags")) return nullptr;
  if (!read.Int32(1, surface->_elementType) || !read.Int32(2, k1) || !read.Int32(3, k2) ||
      !read.Int32(4, surface->BasisFunctionsU) || !read.Int32(5, surface->BasisFunctionsV) ||
      !read.Int32(6, surface->IsClosedU) || !read.Int32(7, surface->IsClosedV) ||
      !read.Int32(8, surface->IsRational) || !read.Int32(9, surface->IsPeriodicU) ||
      !read.Int32(10, surface->IsPeriodicV)) {
    return nullptr;
  }
  const std::int64_t K1 = k1, K2 = k2, M1 = surface->BasisFunctionsU, M2 = surface->BasisFunctionsV;
  const std::int64_t n1 = K1 + 1 - M1;
  const std::int64_t n2 = K2 + 1 - M2;
  if (!FitsInt32(K1 + 1) || !FitsInt32(K2 + 1) || !FitsInt32(n1) || !FitsInt32(n2)) {
    error = "counts K1 = " + std::to_string(K1) + ", K2 = " + std::to_string(K2) + ", M1 = " + std::to_string(M1) +
            ", M2 = " + std::to_string(M2) + " are out of range";
    return nullptr;
  }
  surface->NoOfControlPointsU = static_cast<std::int32_t>(K1 + 1);
  surface->NoOfControlPointsV = static_cast<std::int32_t>(K2 + 1);
  surface->N1 = static_cast<std::int32_t>(n1);
  surface->N2 = static_cast<std::int32_t>(n2);
  const std::int64_t A = n1 + 2 * M1;
  const std::int64_t B = n2 + 2 * M2;
  // Each factor is at most 2^31, so the product fits; 4C is formed only once
  // C is known to be no larger than the number of fields.
  const std::int64_t C = (K1 + 1) * (K2 + 1);
  if (!FitsInt32(C)) {
    error = "control point count (K1 + 1)(K2 + 1) = " + std::to_string(C) + " is out of range";
    return nullptr;
  }
  if (C > fields.Count()) {
    error = "expected " + std::to_string(C) + " control points, found only " + std::to_string(fields.Count()) +
            " fields";
    return nullptr;
  }
  if (!read.Need(A + B + 13, A + B + 12 + C, "the weights") ||
      !read.Need(A + B + C + 13, A + B + 12 + 4 * C, "the control points")) {
    return nullptr;
  }
  // Both arrays are sized once and filled in place; C is at most the
  // number of fields here.
  const auto count = static_cast<std::size_t>(C >= 0 ? C : 0);
  surface->Weights.assign(count + 1, 0.0);
  double* weight = surface->Weights.data() + 1;
  for (std::int64_t j = A + B + 13; j <= A + B + 12 + C; ++j) {
    pacer.Step();
    if (!read.Double(j, 1.0, *weight++)) return nullptr;
  }
  surface->ControlPoints.assign(4 * count + 1, 0.0);
  double* point = surface->ControlPoints.data() + 1;
  weight = surface->Weights.data() + 1;
  for (std::int64_t j = A + B + C + 13; j <= A + B + 10 + 4 * C; j += 3, point += 4) {
    pacer.Step();
    // Stored X, Z, Y, weight.
    if (!read.Double(j, s, point[0]) || !read.Double(j + 1, s, point[2]) || !read.Double(j + 2, s, point[1])) {
      return nullptr;
    }
    point[3] = *weight++;
  }
  return surface;
}

}  // namespace

std::unique_ptr<INURBSElement> IGESReader::GetNURBSElementFromParameter(std::string_view parameterData,
                                                                        std::string* error) const {
  const double s = ScaleFactor();
  fw::RuntimeBackgroundTask();
  std::string reason;
  std::unique_ptr<INURBSElement> element;
  const Fields fields(parameterData, _parameterDelimiter);
  // The type is compared as written: " 126" or "126.0" is not a curve.
  if (fields[1] == "126") {
    element = ParseCurve(fields, s, reason);
  } else if (fields[1] == "128") {
    element = ParseSurface(fields, s, reason);
  } else {
    std::string_view found = fields[1];
    if (found.size() > 20) found = found.substr(0, 20);
    reason = "expected entity type 126 or 128, found \"" + std::string(found) + "\"";
  }
  if (!element && error) *error = reason;
  return element;
}
