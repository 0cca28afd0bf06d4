#include "nurbs/iges_importer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <exception>
#include <utility>
#include <vector>

#include "framework/runtime.h"
#include "framework/text.h"
#include "nurbs/nurbs_engine.h"

IGESImporter::IGESImporter(const std::string& path, bool importReferenceCurves)
    : _igesReader(std::make_unique<IGESReader>(path, importReferenceCurves)),
      _path(path),
      _importReferenceCurves(importReferenceCurves) {}

IGESImporter::IGESImporter(fw::LineInputStream stream, bool importReferenceCurves)
    : _igesReader(std::make_unique<IGESReader>(std::move(stream), importReferenceCurves)),
      _importReferenceCurves(importReferenceCurves) {}

namespace {

// What the kept directory entries give at the installed step counts: a
// surface along x side point rows, a curve along rows. A direction of two
// control points is raised to three rows whatever its step count, so no
// count is taken below 3; the directory does not tell which surfaces are
// raised, so a raised one counts its full grid. Sums in double: the step
// counts and the number of entries may multiply past 64 bits.
struct ScriptShape {
  double objects = 0;
  double rows = 0;
  bool surfaces = false;
};

ScriptShape ShapeOf(const std::vector<std::string>& entries, std::int32_t along, std::int32_t side) {
  const double a = std::max(along, 3);
  const double s = std::max(side, 3);
  ScriptShape shape;
  for (const std::string& entry : entries) {
    const bool surface = IGESReader::GetNthIntegerField(entry, 11) == 128;
    shape.objects += 1;
    shape.rows += surface ? a * s : a;
    shape.surfaces = shape.surfaces || surface;
  }
  return shape;
}

// The shape the elements really give, read from the file: each surface the
// grid the engine will write for it, a curve of fewer than 3 control points
// nothing. Flat faces are often patches of two control points, written at
// 3 x 3 rows whatever the steps, so a file of many of them is far smaller
// than its directory suggests. False when the file cannot be read to its
// end; the conversion then says why.
bool ExactShape(const std::string& path, bool importReferenceCurves, std::int32_t along, std::int32_t side,
                ScriptShape& shape) {
  IGESReader reader(path, importReferenceCurves);
  shape = ScriptShape{};
  for (std::unique_ptr<INURBSElement> e = reader.ReadNextNURBSElement(); e; e = reader.ReadNextNURBSElement()) {
    if (const auto* surface = dynamic_cast<const NURBSSurface*>(e.get())) {
      const NURBSEngine::Grid grid =
          NURBSEngine::SurfaceGrid(surface->NoOfControlPointsU, surface->NoOfControlPointsV, along, side);
      shape.rows += static_cast<double>(grid.along) * static_cast<double>(grid.across);
      shape.surfaces = true;
    } else if (const auto* curve = dynamic_cast<const NURBSCurve*>(e.get())) {
      shape.rows += curve->NoOfControlPoints < 3 ? 0 : std::max(along, 0);
    }
    shape.objects += 1;
    fw::RuntimeBackgroundTask();
  }
  return reader.ErrorMessage.empty();
}

// Beyond 4 GiB the script is not reserved but simply grows; a larger request
// is refused by a sanitizer's allocator with a crash rather than an
// exception.
constexpr double kGiB = 1 << 30;
constexpr double kReserveLimit = 4 * kGiB;

// An upper bound of the script's length: a row holds two grid indices and
// three numbers of at most 24 characters. Reserving it before the first
// object means the text is never moved while it grows; pages of the
// reservation that the script does not reach are never touched, so they cost
// no memory. The engine opens room for a batch of rows beyond the text it has.
std::size_t ScriptBound(const ScriptShape& shape) {
  const double bound = 64 * 1024 + shape.objects * 96 + shape.rows * (2 * 10 + 3 * 24 + 7);
  return static_cast<std::size_t>(std::min(bound, kReserveLimit));
}

// The memory the script takes at its peak, from the length of a typical
// row: the sample scripts average 62 to 65 bytes a row at 100 to 1000 steps
// (coordinates of about 17 digits), those of files with round coordinates
// less; an object's header and end take 68. A script that outgrows its
// reservation doubles its room each time: while it moves, the old text and
// its copy are both in memory. An eighth on top leaves room for longer rows,
// the rest of the program and the system.
double MemoryNeed(const ScriptShape& shape) {
  const double script = shape.objects * 68 + shape.rows * 62;
  double peak = script;
  for (double room = kReserveLimit; room < script; room *= 2) peak = std::max(peak, 2 * room);
  return peak * 9 / 8;
}

// Whole gigabytes, or megabytes below one; rounded up for what is needed,
// down for what there is, so that the one always shows as more.
std::string SizeText(double bytes, bool up) {
  const bool gb = bytes >= kGiB;
  const double units = bytes / (gb ? kGiB : kGiB / 1024);
  return std::to_string(static_cast<std::int64_t>(up ? std::ceil(units) : std::floor(units))) + (gb ? " GB" : " MB");
}

}  // namespace

bool IGESImporter::GetBrindlemarkObjects(std::string& script) {
  script.clear();
  _errorMessage.clear();
  auto fail = [&](std::string message) {
    script.clear();
    _errorMessage = std::move(message);
    return false;
  };
  if (!_igesReader->ErrorMessage.empty()) return fail(_igesReader->ErrorMessage);

  // A script that cannot fit in memory is refused before any work: built, it
  // would only run the computer out of memory after a long wait.
  const std::int32_t along = fw::App().AlongStep;
  const std::int32_t side = fw::App().SideStep;
  ScriptShape shape = ShapeOf(_igesReader->DirectoryEntries(), along, side);
  const std::uint64_t memory = fw::MemorySize();
  const auto fits = [&] { return memory == 0 || MemoryNeed(shape) <= static_cast<double>(memory); };
  // Only a script that seems too large pays for a first reading of the file.
  if (!fits() && !_path.empty()) {
    ScriptShape exact;
    if (ExactShape(_path, _importReferenceCurves, along, side, exact)) shape = exact;
  }
  if (!fits()) {
    const double need = MemoryNeed(shape);
    // Worded to stand whole in the window's two-line status line.
    return fail(std::to_string(along) + (shape.surfaces ? " × " + std::to_string(side) : "") +
                " steps need about " + SizeText(need, true) + ", but this computer has " +
                SizeText(static_cast<double>(memory), false) + "; lower Ruler Steps" +
                (shape.surfaces ? " or Cross Curve steps." : "."));
  }

  script = "Brindlemark(1.1)\r\n";
  // A bound the system will not lend is no failure: the script then grows
  // as it goes.
  try {
    fw::ReserveAhead(script, ScriptBound(shape));
  } catch (const std::exception&) {
  }

  std::string error;
  for (std::unique_ptr<INURBSElement> e = _igesReader->ReadNextNURBSElement(); e;
       e = _igesReader->ReadNextNURBSElement()) {
    // The type number decides whether an element is taken, its class how it
    // is converted.
    const std::int32_t type = e->ElementType();
    if (type == 128 || type == 126) {
      bool ok = true;
      if (auto* surface = dynamic_cast<NURBSSurface*>(e.get())) {
        ok = NURBSEngine::ConvertNURBSSurface(*surface, fw::App().AlongStep, fw::App().SideStep, script, error);
      } else if (auto* curve = dynamic_cast<NURBSCurve*>(e.get())) {
        ok = NURBSEngine::ConvertNURBSCurve(*curve, fw::App().AlongStep, script, error);
      }
      if (!ok) {
        return fail("Directory entry D " + std::to_string(_igesReader->CurrentEntrySequence()) + " (type " +
                    std::to_string(type) + "): " + error);
      }
    }
    fw::RuntimeBackgroundTask();
  }
  // The reader ends with nullptr both when its entries are exhausted and
  // when one of them cannot be read; only the message tells them apart.
  if (!_igesReader->ErrorMessage.empty()) return fail(_igesReader->ErrorMessage);
  return true;
}
