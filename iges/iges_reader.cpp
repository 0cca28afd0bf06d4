#include "iges/iges_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>

#include "framework/runtime.h"
#include "framework/text.h"

using fw::Mid;
using fw::Trim;

namespace {

constexpr std::int32_t kCurve = 126;
constexpr std::int32_t kSurface = 128;

// The section letter of a line: column 73, "" for a shorter line.
std::string_view SectionOf(std::string_view line) { return Mid(line, 73, 1); }

// Every message about one kept entity starts with where it stands in the file.
std::string EntryMessage(std::string_view entry, std::string_view what) {
  std::string message = "Directory entry D ";
  message += std::to_string(IGESReader::GetFieldId(entry));
  message += " (type ";
  message += std::to_string(IGESReader::GetNthIntegerField(entry, 11));
  message += "): ";
  message += what;
  return message;
}

enum class PathKind { Missing, Folder, Other };

PathKind KindOf(const std::string& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return PathKind::Missing;
  return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::Other;
}

}  // namespace

IGESReader::IGESReader(const std::string& path, bool importReferenceCurves)
    : _inputFilePath(path), _importReferenceCurves(importReferenceCurves) {
  const PathKind kind = KindOf(path);
  if (kind == PathKind::Missing) {
    ErrorMessage = "Input file does not exist";
    _failed = true;
    return;
  }
  if (kind == PathKind::Folder) {
    ErrorMessage = "Cannot open the input file: it is a folder";
    _failed = true;
    return;
  }
  _igesFileStream = fw::LineInputStream::OpenFile(path);
  if (!_igesFileStream.IsOpen()) {
    ErrorMessage = "Cannot open the input file: " + _igesFileStream.OpenError();
    _failed = true;
    return;
  }
  ReadFileProperties();
}

IGESReader::IGESReader(fw::LineInputStream stream, bool importReferenceCurves)
    : _igesFileStream(std::move(stream)), _importReferenceCurves(importReferenceCurves) {
  ReadFileProperties();
}

std::string_view IGESReader::ReadLineView() {
  fw::RuntimeBackgroundTask();
  return _igesFileStream.ReadLine();
}

void IGESReader::ReadCurrentLine() { _currentLine.assign(ReadLineView()); }

void IGESReader::ReadFileProperties() {
  auto fail = [this](const char* message) {
    ErrorMessage = message;
    _failed = true;
  };

  // Start section: read through, kept nowhere. The first line that is not a
  // Start line is the first Global line, even in a file without Start lines.
  std::string line;
  std::string section = "S";
  while (section == "S") {
    if (_igesFileStream.AtEnd()) return fail("EOF reached in Start Section");
    line.assign(ReadLineView());
    section = SectionOf(line);
  }

  // The parameter delimiter is defaulted when the Global text begins with a
  // comma; otherwise it is written as 1Hc, and only the c in column 3 counts.
  _parameterDelimiter = Mid(line, 1, 1) == "," ? "," : std::string(Mid(line, 3, 1));

  _globalSection.clear();
  section = "G";
  while (section == "G") {
    if (_igesFileStream.AtEnd()) return fail("EOF reached in Global Section");
    _globalSection += Mid(line, 1, 72);
    line.assign(ReadLineView());
    section = SectionOf(line);
  }

  const std::string_view rd = fw::NthField(_globalSection, _parameterDelimiter, 2);
  if (rd.empty() || rd == " " || rd == ";" || rd.size() < 3) {
    _recordDelimiter = ";";
  } else {
    _recordDelimiter = Mid(rd, 3, 1);
  }
  _igesFileProperties = std::make_unique<IGESFileProperties>();
  _igesFileProperties->FileName = fw::NthField(_globalSection, _parameterDelimiter, 4);
  _igesFileProperties->UnitIndex = fw::NthField(_globalSection, _parameterDelimiter, 14);
  _igesFileProperties->Unit = fw::NthField(_globalSection, _parameterDelimiter, 15);

  // Directory entries are pairs of lines from the first one on. A short first
  // line is taken as padded with blanks to 80 columns (and a long one cut),
  // so that field 11 of the joined entry is the second line's field 1.
  std::string first = std::move(line);
  std::string second(ReadLineView());
  section = SectionOf(second);
  while (section == "D") {
    if (_igesFileStream.AtEnd()) return fail("EOF reached in Directory Entry Section");
    const std::int32_t type = GetNthIntegerField(second, 1);
    bool keep = type == kSurface;
    if (type == kCurve) {
      // Columns 67-68 hold the subordinate entity switch; "00" is an
      // independent curve, anything else (trim curves) needs the switch.
      keep = _importReferenceCurves || Mid(GetNthStringField(first, 9), 3, 2) == "00";
    }
    if (keep) {
      first.resize(80, ' ');
      _directoryEntry.push_back(first + second);
    }
    first.assign(ReadLineView());
    if (SectionOf(first) != "D") {
      _currentLine = std::move(first);
      break;
    }
    second.assign(ReadLineView());
    _currentLine = second;
    section = SectionOf(second);
  }
  _currentEntityId = -1;
}

std::unique_ptr<INURBSElement> IGESReader::ReadNextNURBSElement() {
  if (_failed) return nullptr;
  if (_currentEntityId + 1 > static_cast<std::int64_t>(_directoryEntry.size()) - 1) return nullptr;
  ++_currentEntityId;
  const std::string& entry = _directoryEntry[static_cast<std::size_t>(_currentEntityId)];
  const std::int32_t pointer = GetNthIntegerField(entry, 2);
  const std::int32_t count = GetNthIntegerField(entry, 14);
  auto fail = [&](const std::string& what) -> std::unique_ptr<INURBSElement> {
    ErrorMessage = EntryMessage(entry, what);
    _failed = true;
    return nullptr;
  };
  if (pointer < 1) return fail("Parameter Data pointer is " + std::to_string(pointer) + "; expected 1 or more");
  if (count < 1) return fail("Parameter Data line count is " + std::to_string(count) + "; expected 1 or more");

  // The search starts on the line where the reader stands: an entity may
  // begin on the line where the previous one ended. Only the sequence number
  // counts, never the section letter.
  while (GetFieldId(_currentLine) != pointer) {
    if (_igesFileStream.AtEnd()) {
      return fail("Parameter Data line P " + std::to_string(pointer) +
                  " not found after the reader's position (the file ends, or lists its entities out of order)");
    }
    ReadCurrentLine();
  }

  const std::int64_t last = static_cast<std::int64_t>(pointer) + count - 1;
  // Room for the joined text up front (64 columns a line), so that a long
  // entity is not copied while it grows: such a copy would hold the event
  // loop up. The lines cannot hold more than what is left of the file, which
  // bounds a count that claims too much.
  const std::uint64_t bound = std::min<std::uint64_t>(static_cast<std::uint64_t>(count) * 64,
                                                      _igesFileStream.RemainingBytes() + _currentLine.size());
  _parameterText.reserve(static_cast<std::size_t>(bound));
  _parameterText.assign(Trim(Mid(_currentLine, 1, 64)));
  while (GetFieldId(_currentLine) != last) {
    if (_igesFileStream.AtEnd()) {
      return fail("the file ends before Parameter Data line P " + std::to_string(last) + " (" +
                  std::to_string(count) + " lines from P " + std::to_string(pointer) + ")");
    }
    ReadCurrentLine();
    _parameterText += Trim(Mid(_currentLine, 1, 64));
  }

  _recordDelimiter = fw::NthField(_globalSection, _parameterDelimiter, 2);
  std::string why;
  std::unique_ptr<INURBSElement> element = GetNURBSElementFromParameter(_parameterText, &why);
  if (!element) return fail("Parameter Data P " + std::to_string(pointer) + ": " + why);
  return element;
}

std::string_view IGESReader::GetNthStringField(std::string_view line, std::int32_t n) {
  if (n <= 0) return {};
  return Mid(line, 8 * (static_cast<std::int64_t>(n) - 1) + 1);
}

std::int32_t IGESReader::GetNthIntegerField(std::string_view line, std::int32_t n) {
  if (n <= 0) return 0;
  return fw::ToInt32(fw::Val(Trim(Mid(line, 8 * (static_cast<std::int64_t>(n) - 1) + 1, 8))));
}

std::int32_t IGESReader::GetFieldId(std::string_view line) { return fw::ToInt32(fw::Val(Trim(Mid(line, 74, 7)))); }

std::int32_t IGESReader::CurrentEntrySequence() const {
  if (_currentEntityId < 0 || static_cast<std::size_t>(_currentEntityId) >= _directoryEntry.size()) return 0;
  return GetFieldId(_directoryEntry[static_cast<std::size_t>(_currentEntityId)]);
}
