// Shared helpers of the nurbs tests: elements built in memory, small IGES
// files built as text, scripts taken apart into lines and rows.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "framework/runtime.h"
#include "framework/text.h"
#include "iges/nurbs_element.h"

namespace nurbs_test {

using Point3 = std::array<double, 3>;
using Point4 = std::array<double, 4>;  // three coordinates, then the weight

inline NURBSCurve MakeCurve(std::int32_t degree, const std::vector<Point3>& points, const std::vector<double>& weights) {
  NURBSCurve curve;
  curve._elementType = 126;
  curve.BasisFunction = degree;
  curve.NoOfControlPoints = static_cast<std::int32_t>(points.size());
  curve.Weights = {0.0};
  curve.Weights.insert(curve.Weights.end(), weights.begin(), weights.end());
  curve.ControlPoints = {0.0};
  for (const Point3& p : points) curve.ControlPoints.insert(curve.ControlPoints.end(), p.begin(), p.end());
  return curve;
}

// net holds nu * nv points, the U (across) index fastest.
inline NURBSSurface MakeSurface(std::int32_t degreeU, std::int32_t degreeV, std::int32_t nu, std::int32_t nv,
                                const std::vector<Point4>& net) {
  NURBSSurface surface;
  surface._elementType = 128;
  surface.BasisFunctionsU = degreeU;
  surface.BasisFunctionsV = degreeV;
  surface.NoOfControlPointsU = nu;
  surface.NoOfControlPointsV = nv;
  surface.Weights = {0.0};
  surface.ControlPoints = {0.0};
  for (const Point4& p : net) {
    surface.Weights.push_back(p[3]);
    surface.ControlPoints.insert(surface.ControlPoints.end(), p.begin(), p.end());
  }
  return surface;
}

// The lines of a script text, without their CR LF ends.
inline std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// One text object: its three header values and its point rows.
struct TextObject {
  std::string horizontal, vertical, type;
  std::vector<std::string> rows;
};

// The objects of a script, or of a single object's text.
inline std::vector<TextObject> Objects(std::string_view text) {
  std::vector<TextObject> objects;
  const std::vector<std::string> lines = Lines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] != "Start Object" || i + 3 >= lines.size()) continue;
    TextObject object;
    object.horizontal = std::string(fw::NthField(lines[i + 1], "\t", 2));
    object.vertical = std::string(fw::NthField(lines[i + 2], "\t", 2));
    object.type = std::string(fw::NthField(lines[i + 3], "\t", 2));
    for (i += 4; i < lines.size() && lines[i] != "End Object"; ++i) object.rows.push_back(lines[i]);
    objects.push_back(std::move(object));
  }
  return objects;
}

inline std::string Row(std::int64_t column, std::int64_t row, double x, double y, double z) {
  return fw::Str(column) + "\t" + fw::Str(row) + "\t" + fw::CStr(x) + "\t" + fw::CStr(y) + "\t" + fw::CStr(z);
}

// The three coordinates of a point row.
inline Point3 Coordinates(std::string_view row) {
  return {fw::Val(fw::NthField(row, "\t", 3)), fw::Val(fw::NthField(row, "\t", 4)), fw::Val(fw::NthField(row, "\t", 5))};
}

// Sets the step counts and the scale text for one test and puts the previous
// ones back afterwards.
class Settings {
 public:
  Settings(std::int32_t along, std::int32_t side, std::string_view scale = "1")
      : saved_(fw::App()), savedScale_(fw::ScaleText()) {
    fw::App().AlongStep = along;
    fw::App().SideStep = side;
    fw::SetScaleText(scale);
  }
  ~Settings() {
    fw::App() = saved_;
    fw::SetScaleText(savedScale_);
  }
  Settings(const Settings&) = delete;
  Settings& operator=(const Settings&) = delete;

 private:
  fw::AppState saved_;
  std::string savedScale_;
};

// --- IGES files as text ---

// One 80-column line: body padded (or cut) to 72 columns, the section letter
// and the sequence number.
inline std::string IgesLine(std::string_view body, char section, int sequence) {
  std::string line(body.substr(0, 72));
  line.resize(72, ' ');
  char tail[16];
  std::snprintf(tail, sizeof tail, "%c%07d", section, sequence);
  return line + tail + "\r\n";
}

inline std::string DirectoryField(std::int64_t value) {
  std::string text = fw::Str(value);
  return std::string(text.size() < 8 ? 8 - text.size() : 0, ' ') + text;
}

// The Parameter Data of a rational curve of the given degree; knots, which
// the conversion ignores, are 0 .. K + M + 1.
inline std::string CurveParameters(std::int32_t degree, const std::vector<Point3>& points,
                                   const std::vector<double>& weights) {
  const auto K = static_cast<std::int64_t>(points.size()) - 1;
  std::string text = "126," + fw::Str(K) + "," + fw::Str(degree) + ",0,0,0,0";
  for (std::int64_t i = 0; i <= K + degree + 1; ++i) text += "," + fw::Str(i);
  for (double w : weights) text += "," + fw::CStr(w);
  for (const Point3& p : points) text += "," + fw::CStr(p[0]) + "," + fw::CStr(p[1]) + "," + fw::CStr(p[2]);
  return text + ",0.,1.;";
}

// The Parameter Data of a bilinear rational surface over a nu x nv net, U fastest.
inline std::string SurfaceParameters(std::int32_t nu, std::int32_t nv, const std::vector<Point4>& net) {
  std::string text = "128," + fw::Str(nu - 1) + "," + fw::Str(nv - 1) + ",1,1,0,0,0,0,0";
  for (std::int64_t i = 0; i <= nu + 1; ++i) text += "," + fw::Str(i);
  for (std::int64_t i = 0; i <= nv + 1; ++i) text += "," + fw::Str(i);
  for (const Point4& p : net) text += "," + fw::CStr(p[3]);
  for (const Point4& p : net) text += "," + fw::CStr(p[0]) + "," + fw::CStr(p[1]) + "," + fw::CStr(p[2]);
  return text + ",0.,1.,0.,1.;";
}

struct IgesEntity {
  std::string parameters;
  int extraLinesClaimed = 0;  // a directory that claims more lines than there are
};

// A complete file: one Start line, a Global section of defaults, a directory
// entry per entity (independent, so kept without the curve switch) and the
// Parameter Data in 64-column pieces.
inline std::string IgesFile(const std::vector<IgesEntity>& entities) {
  std::string directory, parameters;
  int pSequence = 1;
  for (std::size_t e = 0; e < entities.size(); ++e) {
    const std::string& text = entities[e].parameters;
    const int type = static_cast<int>(fw::Val(text));
    const int dSequence = static_cast<int>(2 * e + 1);
    const int first = pSequence;
    for (std::size_t at = 0; at < text.size(); at += 64) {
      std::string body(text.substr(at, 64));
      body.resize(64, ' ');
      parameters += IgesLine(body + DirectoryField(dSequence), 'P', pSequence++);
    }
    const int count = pSequence - first + entities[e].extraLinesClaimed;
    directory += IgesLine(DirectoryField(type) + DirectoryField(first) + std::string(48, ' ') + "00000000", 'D',
                          dSequence);
    directory += IgesLine(DirectoryField(type) + DirectoryField(0) + DirectoryField(0) + DirectoryField(count), 'D',
                          dSequence + 1);
  }
  return IgesLine("", 'S', 1) + IgesLine(",,;", 'G', 1) + directory + parameters + IgesLine("S1G1", 'T', 1);
}

}  // namespace nurbs_test
