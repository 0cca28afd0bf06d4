#include "nurbs/iges_importer.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <utility>
#include <vector>

#include "framework/runtime.h"
#include "framework/text.h"
#include "nurbs/nurbs_engine.h"

IGESImporter::IGESImporter(const std::string& path, bool importReferenceCurves)
    : _igesReader(std::make_unique<IGESReader>(path, importReferenceCurves)) {}

IGESImporter::IGESImporter(fw::LineInputStream stream, bool importReferenceCurves)
    : _igesReader(std::make_unique<IGESReader>(std::move(stream), importReferenceCurves)) {}

namespace {

// An upper bound of the script's length from the kept directory entries:
// each surface gives at most along x side point rows (3 x 3 once raised),
// each curve along rows, and a row holds two grid indices and three numbers
// of at most 24 characters. Reserving it before the first object means the
// text is never moved while it grows; pages of the reservation that the
// script does not reach are never touched, so they cost no memory.
std::size_t ScriptBound(const std::vector<std::string>& entries, std::int64_t along, std::int64_t side) {
  // Beyond 4 GiB the script simply grows; a larger request is refused by a
  // sanitizer's allocator with a crash rather than an exception.
  constexpr std::int64_t kLimit = std::int64_t{1} << 32;
  along = std::max<std::int64_t>(along, 3);
  side = std::max<std::int64_t>(side, 3);
  const std::int64_t row = 2 * 10 + 3 * 24 + 7;
  const std::int64_t object = 96;
  // The engine opens room for a batch of rows beyond the text it has.
  std::int64_t total = 64 * 1024;
  for (const std::string& entry : entries) {
    const std::int64_t rows = IGESReader::GetNthIntegerField(entry, 11) == 128 ? along * side : along;
    if (rows > kLimit / row) return static_cast<std::size_t>(kLimit);
    total += object + rows * row;
    if (total > kLimit) return static_cast<std::size_t>(kLimit);
  }
  return static_cast<std::size_t>(total);
}

}  // namespace

bool IGESImporter::GetBrindlemarkObjects(std::string& script) {
  script = "Brindlemark(1.1)\r\n";
  // A bound the system will not lend is no failure: the script then grows
  // as it goes.
  try {
    fw::ReserveAhead(script, ScriptBound(_igesReader->DirectoryEntries(), fw::App().AlongStep, fw::App().SideStep));
  } catch (const std::exception&) {
  }
  _errorMessage.clear();
  auto fail = [&](std::string message) {
    script.clear();
    _errorMessage = std::move(message);
    return false;
  };
  if (!_igesReader->ErrorMessage.empty()) return fail(_igesReader->ErrorMessage);

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
