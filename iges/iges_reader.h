// Reads one IGES file forward, once, and hands out its rational B-spline
// curves (126) and surfaces (128) one at a time.
//
// Construction reads the Start, Global and Directory Entry sections and keeps
// the directory entries to convert; each ReadNextNURBSElement reads on to the
// next kept entity's Parameter Data and parses them. Nothing is thrown: a
// failure is recorded in ErrorMessage and every later request gives nullptr.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "framework/line_stream.h"
#include "iges/nurbs_element.h"

struct IGESFileProperties {
  std::string FileName;
  std::string UnitIndex;
  std::string Unit;
};

class IGESReader {
 public:
  // Opens the file at path and reads its leading sections. importReferenceCurves
  // keeps every curve; otherwise only independent curves (subordinate switch
  // "00") are kept. Surfaces are always kept.
  IGESReader(const std::string& path, bool importReferenceCurves);

  // Reads from an already open stream (tests and fuzzing use memory).
  IGESReader(fw::LineInputStream stream, bool importReferenceCurves);

  // The element of the next kept entry; nullptr when none is left or when
  // the entry cannot be read, in which case ErrorMessage says why.
  std::unique_ptr<INURBSElement> ReadNextNURBSElement();

  // Builds the element of one entity's joined Parameter Data text: a curve
  // for "126", a surface for "128", nullptr otherwise or when the text is
  // malformed. Reads the scale text once per call. When error is given, it
  // receives the reason for a nullptr.
  std::unique_ptr<INURBSElement> GetNURBSElementFromParameter(std::string_view parameterData,
                                                              std::string* error = nullptr) const;

  // The directory helpers: the text of line from field n (8 columns each) to
  // its end; field n read as an integer; the sequence number in columns 74-80.
  static std::string_view GetNthStringField(std::string_view line, std::int32_t n);
  static std::int32_t GetNthIntegerField(std::string_view line, std::int32_t n);
  static std::int32_t GetFieldId(std::string_view line);

  // The directory sequence number (column 74-80 of its first line) of the
  // entry handed out last; 0 before the first.
  std::int32_t CurrentEntrySequence() const;

  std::string ErrorMessage;  // empty while nothing has failed

  // Read-only views of the reader's state, for tests and diagnostics.
  const std::string& ParameterDelimiter() const { return _parameterDelimiter; }
  const std::string& RecordDelimiter() const { return _recordDelimiter; }
  const std::string& GlobalSection() const { return _globalSection; }
  const std::vector<std::string>& DirectoryEntries() const { return _directoryEntry; }
  const IGESFileProperties* FileProperties() const { return _igesFileProperties.get(); }

 private:
  void ReadFileProperties();
  // Next line of the stream, copied into _currentLine.
  void ReadCurrentLine();
  std::string_view ReadLineView();

  std::string _inputFilePath;
  fw::LineInputStream _igesFileStream;
  std::unique_ptr<IGESFileProperties> _igesFileProperties;
  std::string _parameterDelimiter = "'";
  std::string _recordDelimiter = ";";
  std::string _globalSection;
  std::vector<std::string> _directoryEntry;
  std::string _currentLine;
  std::int32_t _currentEntityId = 0;
  bool _importReferenceCurves = false;
  bool _failed = false;  // a failure stops every later read
  std::string _parameterText;  // reused for each entity's joined text
};
