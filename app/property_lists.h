// The stored design-time properties of the main window and of its eleven
// controls: one constant byte list each, applied once by SetProperties while
// the window is built.
//
// A list is entries laid back to back, each a name, one space and a value
// whose width follows from the name's declared type (set_properties.h):
// Int32 as 4 bytes big-endian, Boolean as 1 byte, Color as 3 bytes RGB,
// String as a 4-byte big-endian byte count and that many UTF-8 bytes. The
// list's length is its end; there is no header and no terminator.
#pragma once

#include <string_view>

namespace shell::PropertyLists {

// The one line along the bottom of the window.
inline constexpr char kNotice[] = "Converts the NURBS curves and surfaces of an IGES file into a Brindlemark script.";

extern const std::string_view kMainWindow;
extern const std::string_view kRoundRectangle1;
extern const std::string_view kHelpT;
extern const std::string_view kImportButton;
extern const std::string_view kLblFile;
extern const std::string_view kAlongStepsF;
extern const std::string_view kSideStepsF;
extern const std::string_view kLblFile1;
extern const std::string_view kChkExportRefCurves;
extern const std::string_view kLblFile11;
extern const std::string_view kScaleF;
extern const std::string_view kLblFile12;

}  // namespace shell::PropertyLists
