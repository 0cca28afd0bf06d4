// Parameter Data of entities 126 and 128 into elements.
//
// The text is split into its fields once; a field is then fetched by its
// number in constant time, with the same result as NthField on the whole
// text. Every field index that the counts make the parser read is checked
// against the number of fields first: an entity cut short is malformed (its
// missing values would otherwise read as 0 and put points at the origin), and
// no count can make an array larger than the text that holds its values.
// Blank fields read as 0, as IGES defaults them: that is not an error.

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/runtime.h"
#include "framework/text.h"
#include "iges/iges_reader.h"

namespace {

class Fields {
 public:
  Fields(std::string_view text, std::string_view delimiter) {
    if (delimiter.empty()) {
      fields_.push_back(text);
      return;
    }
    if (delimiter.size() == 1) {
      // The usual case, one character: a plain scan without the general
      // search's set-up per field.
      const char mark = delimiter[0];
      const char* begin = text.data();
      const char* const end = begin + text.size();
      for (const char* p = begin; p != end; ++p) {
        if (*p == mark) {
          fields_.emplace_back(begin, static_cast<std::size_t>(p - begin));
          begin = p + 1;
        }
      }
      fields_.emplace_back(begin, static_cast<std::size_t>(end - begin));
      return;
    }
    std::size_t start = 0;
    for (;;) {
      const std::size_t found = text.find(delimiter, start);
      if (found == std::string_view::npos) {
        fields_.push_back(text.substr(start));
        return;
      }
      fields_.push_back(text.substr(start, found - start));
      start = found + delimiter.size();
    }
  }

  std::int64_t Count() const { return static_cast<std::int64_t>(fields_.size()); }

  // Field n, counted from 1; callers check n against Count() first.
  std::string_view operator[](std::int64_t n) const { return fields_[static_cast<std::size_t>(n - 1)]; }

 private:
  std::vector<std::string_view> fields_;
};

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
    error_ = "field " + std::to_string(n) + ": expected a 32-bit integer, found \"" +
             std::string(fw::Trim(fields_[n])) + "\"";
    return false;
  }

  bool Double(std::int64_t n, double factor, double& out) {
    // Val skips leading blanks itself and stops at trailing ones.
    out = fw::Val(fields_[n]) * factor;
    if (std::isfinite(out)) return true;
    error_ = "field " + std::to_string(n) + ": \"" + std::string(fw::Trim(fields_[n])) + "\"" +
             (factor == 1.0 ? " is out of range" : " is out of range once scaled");
    return false;
  }

 private:
  const Fields& fields_;
  std::string& error_;
};

bool FitsInt32(std::int64_t value) {
  return value >= std::numeric_limits<std::int32_t>::min() && value <= std::numeric_limits<std::int32_t>::max();
}

// The scale rule: a scale text whose value is not greater than 0 becomes "1".
double ScaleFactor() {
  if (!(fw::Val(fw::ScaleText()) > 0.0)) fw::SetScaleText("1");
  return fw::Val(fw::ScaleText());
}

std::unique_ptr<INURBSElement> ParseCurve(const Fields& fields, double s, std::string& error) {
  FieldReader read(fields, error);
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
    if (!read.Double(i + 8, 1.0, value)) return nullptr;
    curve->KnotValue.push_back(value);
  }
  curve->Weights.reserve(static_cast<std::size_t>(K >= 0 ? K + 2 : 1));
  curve->Weights.push_back(0.0);
  for (std::int64_t i = 0; i <= K; ++i) {
    if (!read.Double(A + 9 + i, 1.0, value)) return nullptr;
    curve->Weights.push_back(value);
  }
  curve->ControlPoints.reserve(static_cast<std::size_t>(K >= 0 ? 3 * K + 4 : 1));
  curve->ControlPoints.push_back(0.0);
  for (std::int64_t i = 0; i <= 3 * K + 2; i += 3) {
    const std::int64_t b = A + 10 + K + i;
    double x = 0.0, y = 0.0, z = 0.0;
    if (!read.Double(b, s, x) || !read.Double(b + 1, s, y) || !read.Double(b + 2, s, z)) return nullptr;
    curve->ControlPoints.insert(curve->ControlPoints.end(), {x, z, y});
  }
  return curve;
}

std::unique_ptr<INURBSElement> ParseSurface(const Fields& fields, double s, std::string& error) {
  FieldReader read(fields, error);
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
  double value = 0.0;
  surface->Weights.reserve(static_cast<std::size_t>(C >= 0 ? C + 1 : 1));
  surface->Weights.push_back(0.0);
  for (std::int64_t j = A + B + 13; j <= A + B + 12 + C; ++j) {
    if (!read.Double(j, 1.0, value)) return nullptr;
    surface->Weights.push_back(value);
  }
  surface->ControlPoints.reserve(static_cast<std::size_t>(C >= 0 ? 4 * C + 1 : 1));
  surface->ControlPoints.push_back(0.0);
  std::size_t n = 1;
  for (std::int64_t j = A + B + C + 13; j <= A + B + 10 + 4 * C; j += 3, ++n) {
    double x = 0.0, y = 0.0, z = 0.0;
    if (!read.Double(j, s, x) || !read.Double(j + 1, s, y) || !read.Double(j + 2, s, z)) return nullptr;
    surface->ControlPoints.insert(surface->ControlPoints.end(), {x, z, y, surface->Weights[n]});
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
