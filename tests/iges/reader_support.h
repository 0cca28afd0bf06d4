// Small IGES files built in memory, 80 columns a line, and readers over them.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/line_stream.h"
#include "iges/iges_reader.h"

namespace igestest {

// Right-justifies text in a field of width columns.
inline std::string Justify(std::string_view text, std::size_t width) {
  std::string field(text.size() < width ? width - text.size() : 0, ' ');
  return field.append(text);
}

// One record: data in columns 1-72, the section letter in 73, the sequence
// number in 74-80.
inline std::string Record(std::string_view data, char section, int sequence) {
  std::string line(data.substr(0, 72));
  line.resize(72, ' ');
  line += section;
  return line + Justify(std::to_string(sequence), 7);
}

class IgesFile {
 public:
  // The first Global line; the default leaves both delimiters to their
  // defaults.
  explicit IgesFile(std::string_view global = ",,;") { Global(global); }

  IgesFile& Global(std::string_view data) {
    global_.push_back(Record(data, 'G', static_cast<int>(global_.size()) + 1));
    return *this;
  }

  // A directory entry with the given pointer and line count; returns its
  // sequence number. status is columns 65-72 of its first line.
  int Entry(int type, int pointer, int count, std::string_view status = "00000000") {
    const int sequence = static_cast<int>(directory_.size()) + 1;
    const std::string t = Justify(std::to_string(type), 8);
    std::string first = t + Justify(std::to_string(pointer), 8);
    for (int i = 0; i < 6; ++i) first += Justify("0", 8);
    directory_.push_back(Record(first + Justify(status, 8), 'D', sequence));
    const std::string second = t + Justify("0", 8) + Justify("0", 8) + Justify(std::to_string(count), 8);
    directory_.push_back(Record(second + Justify("0", 8), 'D', sequence + 1));
    return sequence;
  }

  // Appends one Parameter Data line (columns 1-64) that points back to the
  // directory entry de; returns its sequence number.
  int Parameter(std::string_view data, int de) {
    const int sequence = static_cast<int>(parameter_.size()) + 1;
    std::string text(data.substr(0, 64));
    text.resize(64, ' ');
    parameter_.push_back(Record(text + Justify(std::to_string(de), 8), 'P', sequence));
    return sequence;
  }

  // An entity whose parameter text is params, cut into lines of width
  // characters; returns the sequence number of its directory entry.
  int Add(int type, std::string_view params, std::string_view status = "00000000", std::size_t width = 64) {
    const int de = static_cast<int>(directory_.size()) + 1;
    const int pointer = static_cast<int>(parameter_.size()) + 1;
    const int count = static_cast<int>((params.size() + width - 1) / width);
    Entry(type, pointer, count, status);
    for (std::size_t at = 0; at < params.size(); at += width) Parameter(params.substr(at, width), de);
    return de;
  }

  // The whole file; with terminate, closed by a Terminate line.
  std::string Text(bool terminate = true, std::string_view eol = "\n") const {
    std::string text = Record("example", 'S', 1) + std::string(eol);
    for (const auto* section : {&global_, &directory_, &parameter_}) {
      for (const std::string& line : *section) text += line + std::string(eol);
    }
    if (terminate) {
      text += Record("S      1G" + Justify(std::to_string(global_.size()), 7) + "D" +
                         Justify(std::to_string(directory_.size()), 7) + "P" +
                         Justify(std::to_string(parameter_.size()), 7),
                     'T', 1) +
              std::string(eol);
    }
    return text;
  }

 private:
  std::vector<std::string> global_, directory_, parameter_;
};

// Keeps the text alive for as long as the reader reads it.
struct MemoryReader {
  MemoryReader(std::string bytes, bool importReferenceCurves)
      : text(std::move(bytes)), reader(fw::LineInputStream::FromMemory(text), importReferenceCurves) {}
  std::string text;
  IGESReader reader;
};

// Every element up to the first nullptr.
inline std::vector<std::unique_ptr<INURBSElement>> ReadAll(IGESReader& reader) {
  std::vector<std::unique_ptr<INURBSElement>> elements;
  while (auto element = reader.ReadNextNURBSElement()) elements.push_back(std::move(element));
  return elements;
}

inline const NURBSCurve* AsCurve(const std::unique_ptr<INURBSElement>& e) {
  return dynamic_cast<const NURBSCurve*>(e.get());
}
inline const NURBSSurface* AsSurface(const std::unique_ptr<INURBSElement>& e) {
  return dynamic_cast<const NURBSSurface*>(e.get());
}

inline testing::AssertionResult Mentions(const std::string& message, const std::string& part) {
  if (message.find(part) != std::string::npos) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "\"" << message << "\" does not mention \"" << part << "\"";
}

// A 21-field curve whose first control point has the given X (scale 1).
inline std::string Curve(const std::string& x) {
  return "126,1,1,0,0,1,0,0.,0.,1.,1.,1.,1.," + x + ",0.,0.,1.,1.,1.,0.,1.;";
}

// A 38-field bilinear surface whose first control point has the given X.
inline std::string Surface(const std::string& x) {
  return "128,1,1,1,1,0,0,1,0,0,0.,0.,1.,1.,0.,0.,1.,1.,1.,1.,1.,1.," + x +
         ",0.,0.,1.,0.,0.,0.,1.,0.,1.,1.,0.,0.,1.,0.,1.;";
}

}  // namespace igestest
