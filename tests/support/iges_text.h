// Small IGES files built as text: 80-column records, a two-line directory
// entry per entity, Parameter Data cut into pieces of at most 64 columns.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/text.h"

namespace igestext {

using Point3 = std::array<double, 3>;
using Point4 = std::array<double, 4>;  // three coordinates, then the weight

inline std::string Justify(std::string_view text, std::size_t width) {
  return std::string(text.size() < width ? width - text.size() : 0, ' ').append(text);
}

// Data in columns 1-72, the section letter in 73, the sequence number in 74-80.
inline std::string Record(std::string_view data, char section, int sequence) {
  std::string line(data.substr(0, 72));
  line.resize(72, ' ');
  return line + section + Justify(fw::Str(sequence), 7);
}

class IgesFile {
 public:
  static constexpr std::string_view kIndependent = "00000000";

  explicit IgesFile(std::string_view global = ",,;") : global_(Record(global, 'G', 1)) {}

  // A directory entry; status is columns 65-72 of its first line. Returns
  // its sequence number.
  int Entry(int type, int pointer, int count, std::string_view status = kIndependent) {
    const int sequence = static_cast<int>(directory_.size()) + 1;
    const std::string t = Justify(fw::Str(type), 8), zero = Justify("0", 8);
    std::string first = t + Justify(fw::Str(pointer), 8);
    for (int i = 0; i < 6; ++i) first += zero;
    directory_.push_back(Record(first + Justify(status, 8), 'D', sequence));
    directory_.push_back(Record(t + zero + zero + Justify(fw::Str(count), 8) + zero, 'D', sequence + 1));
    return sequence;
  }

  // One Parameter Data line (columns 1-64) pointing back to entry de.
  void Parameter(std::string_view data, int de) {
    std::string text(data.substr(0, 64));
    text.resize(64, ' ');
    parameter_.push_back(Record(text + Justify(fw::Str(de), 8), 'P', static_cast<int>(parameter_.size()) + 1));
  }

  // An entity whose text is cut into lines of width characters; its entry
  // claims extraLines more lines than it gets.
  int Add(int type, std::string_view params, std::string_view status = kIndependent, int extraLines = 0,
          std::size_t width = 64) {
    const int de = static_cast<int>(directory_.size()) + 1;
    const int count = static_cast<int>((params.size() + width - 1) / width);
    Entry(type, static_cast<int>(parameter_.size()) + 1, count + extraLines, status);
    for (std::size_t at = 0; at < params.size(); at += width) Parameter(params.substr(at, width), de);
    return de;
  }

  // A file of independent entities, each entry's type read from its text.
  static IgesFile Of(const std::vector<std::string>& texts) {
    IgesFile file;
    for (const std::string& text : texts) file.Add(static_cast<int>(fw::Val(text)), text);
    return file;
  }

  std::string Text(bool terminate = true, std::string_view eol = "\n") const {
    std::string text = Record("example", 'S', 1);
    text.append(eol).append(global_).append(eol);
    for (const auto* section : {&directory_, &parameter_}) {
      for (const std::string& line : *section) text.append(line).append(eol);
    }
    if (!terminate) return text;
    const std::string counts = "S      1G      1D" + Justify(fw::Str(static_cast<std::int64_t>(directory_.size())), 7) +
                               "P" + Justify(fw::Str(static_cast<std::int64_t>(parameter_.size())), 7);
    return text.append(Record(counts, 'T', 1)).append(eol);
  }

 private:
  std::string global_;
  std::vector<std::string> directory_, parameter_;
};

// A rational curve's Parameter Data; its knots, which the conversion never
// reads, are 0 .. K + M + 1.
inline std::string CurveText(int degree, const std::vector<Point3>& points, const std::vector<double>& weights) {
  const auto k = static_cast<std::int64_t>(points.size()) - 1;
  std::string text = "126," + fw::Str(k) + "," + fw::Str(degree) + ",0,0,0,0";
  for (std::int64_t i = 0; i <= k + degree + 1; ++i) text += "," + fw::Str(i);
  for (double w : weights) text += "," + fw::CStr(w);
  for (const Point3& p : points) text += "," + fw::CStr(p[0]) + "," + fw::CStr(p[1]) + "," + fw::CStr(p[2]);
  return text + ",0.,1.;";
}

// A bilinear rational surface over a nu x nv net, U fastest.
inline std::string SurfaceText(int nu, int nv, const std::vector<Point4>& net) {
  std::string text = "128," + fw::Str(nu - 1) + "," + fw::Str(nv - 1) + ",1,1,0,0,0,0,0";
  for (int i = 0; i <= nu + 1; ++i) text += "," + fw::Str(i);
  for (int i = 0; i <= nv + 1; ++i) text += "," + fw::Str(i);
  for (const Point4& p : net) text += "," + fw::CStr(p[3]);
  for (const Point4& p : net) text += "," + fw::CStr(p[0]) + "," + fw::CStr(p[1]) + "," + fw::CStr(p[2]);
  return text + ",0.,1.,0.,1.;";
}

}  // namespace igestext
