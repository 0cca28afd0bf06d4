// Turns one IGES file into the complete text of a Brindlemark script.
#pragma once

#include <memory>
#include <string>

#include "framework/line_stream.h"
#include "iges/iges_reader.h"

class IGESImporter {
 public:
  // Opens the file and reads its leading sections.
  IGESImporter(const std::string& path, bool importReferenceCurves);
  IGESImporter(fw::LineInputStream stream, bool importReferenceCurves);

  // The script: "Brindlemark(1.1)" and one text object per converted curve
  // and surface, in file order, with the step counts read from fw::App() for
  // every element. Returns false when the file cannot be read, an element
  // cannot be converted, or the conversion would need more than
  // fw::MemorySize() for the script and what the engine holds beside it
  // (checked before the first element, from the directory and the step
  // counts; a file opened by path that seems too large is read once more for
  // what its elements really give): script is then empty and
  // ErrorMessage says why. A file with no curve or surface succeeds with the
  // header alone.
  bool GetBrindlemarkObjects(std::string& script);

  const std::string& ErrorMessage() const { return _errorMessage; }

 private:
  std::unique_ptr<IGESReader> _igesReader;
  std::string _inputFilePath;  // "" when read from memory
  bool _importReferenceCurves = false;
  std::string _errorMessage;
};
