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
      _inputFilePath(path),
      _importReferenceCurves(importReferenceCurves) {}

IGESImporter::IGESImporter(fw::LineInputStream stream, bool importReferenceCurves)
    : _igesReader(std::make_unique<IGESReader>(std::move(stream), importReferenceCurves)),
      _importReferenceCurves(importReferenceCurves) {}

namespace {

// The decimal digits of a grid index.
double Digits(double index) {
  double digits = 1;
  for (; index >= 10; index /= 10) ++digits;
  return digits;
}

// The length of a typical point row of a grid of along x across points. The
// three coordinates with their separators and line end average up to 61
// bytes in the sample scripts (about 17 significant digits each); the two
// grid indices add their digits, which grow with the steps: a curve of such
// coordinates averages 66.5 bytes a row at a million steps. 58 and the
// digits give 62 for two-digit indices, 67 for a curve at 30 million steps.
double RowBytes(double along, double across) {
  return 58 + Digits(std::max(along - 1, 0.0)) + Digits(std::max(across - 1, 0.0));
}

// What the elements give at the installed step counts, and what converting
// them holds. Sums in double: the step counts and the number of entries may
// multiply past 64 bits.
struct ScriptShape {
  double objects = 0;
  double rows = 0;
  double rowBytes = 0;  // the rows at their typical length
  double held = 0;      // the most that one element's conversion holds beside the script
  bool surfaces = false;

  // An object of along x across point rows (a curve is one across).
  void Add(double along, double across, double heldBytes) {
    objects += 1;
    rows += along * across;
    rowBytes += along * across * RowBytes(along, across);
    held = std::max(held, heldBytes);
  }
};

// What the kept directory entries may give: a surface along x side point
// rows, a curve along rows. A direction of two control points is raised to
// three rows whatever its step count, so no count is taken below 3; the
// directory does not tell which surfaces are raised, so a raised one counts
// its full grid. Nor does it tell the degrees and control points, so every
// element counts as holding what one of the highest degree would.
ScriptShape ShapeOf(const std::vector<std::string>& entries, std::int32_t along, std::int32_t side) {
  const std::int32_t a = std::max(along, 3);
  const std::int32_t s = std::max(side, 3);
  constexpr std::int32_t kDegree = NURBSEngine::kMaxDegree, kPoints = kDegree + 1;
  const auto curve = static_cast<double>(NURBSEngine::CurveMemory(kPoints, kDegree));
  const auto surface = static_cast<double>(NURBSEngine::SurfaceMemory(kPoints, kPoints, kDegree, kDegree, a, s));
  ScriptShape shape;
  for (const std::string& entry : entries) {
    const bool isSurface = IGESReader::GetNthIntegerField(entry, 11) == 128;
    shape.Add(a, isSurface ? s : 1, isSurface ? surface : curve);
    shape.surfaces = shape.surfaces || isSurface;
  }
  return shape;
}

// The shape the elements really give, read from the file: each surface the
// grid the engine will write for it, a curve of fewer than 3 control points
// nothing, and each what its own degrees and counts make the engine hold.
// Flat faces are often patches of two control points, written at 3 x 3
// rows whatever the steps, so a file of many of them is far smaller than its
// directory suggests. False when the file cannot be read to its end; the
// conversion then says why.
bool ExactShape(const std::string& path, bool importReferenceCurves, std::int32_t along, std::int32_t side,
                ScriptShape& shape) {
  IGESReader reader(path, importReferenceCurves);
  shape = ScriptShape{};
  for (std::unique_ptr<INURBSElement> e = reader.ReadNextNURBSElement(); e; e = reader.ReadNextNURBSElement()) {
    if (const auto* surface = dynamic_cast<const NURBSSurface*>(e.get())) {
      const std::int32_t nu = surface->NoOfControlPointsU, nv = surface->NoOfControlPointsV;
      const NURBSEngine::Grid grid = NURBSEngine::SurfaceGrid(nu, nv, along, side);
      const std::int64_t held =
          NURBSEngine::SurfaceMemory(nu, nv, surface->BasisFunctionsU, surface->BasisFunctionsV, along, side);
      shape.Add(static_cast<double>(grid.along), static_cast<double>(grid.across), static_cast<double>(held));
      shape.surfaces = true;
    } else if (const auto* curve = dynamic_cast<const NURBSCurve*>(e.get())) {
      const std::int64_t held = NURBSEngine::CurveMemory(curve->NoOfControlPoints, curve->BasisFunction);
      shape.Add(curve->NoOfControlPoints < 3 ? 0 : std::max(along, 0), 1, static_cast<double>(held));
    } else {
      shape.objects += 1;
    }
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

// The memory the import takes at its peak: the script, its rows at their
// typical length and 68 bytes for an object's header and end, and beside
// it what the engine holds while it converts the element that holds most.
// A script that outgrows its reservation doubles its room, longer rows
// sooner; while it moves, the old text and its copy are both in memory. The
// engine makes room for an object's longest rows before it converts it, so
// a move never comes while an element's values are held. An eighth on top
// leaves room for longer rows, the rest of the program and the system.
double MemoryNeed(const ScriptShape& shape) {
  const double script = shape.objects * 68 + shape.rowBytes;
  double peak = script + shape.held;
  for (double room = kReserveLimit; room < script * 9 / 8; room *= 2) peak = std::max(peak, 2 * room);
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
  if (!fits() && !_inputFilePath.empty()) {
    ScriptShape exact;
    if (ExactShape(_inputFilePath, _importReferenceCurves, along, side, exact)) shape = exact;
  }
  if (!fits()) {
    const double need = MemoryNeed(shape);
    // Worded to stand whole in the window's two-line status line whatever
    // the counts; the fields show them.
    return fail("these steps need about " + SizeText(need, true) + ", but this computer has " +
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
