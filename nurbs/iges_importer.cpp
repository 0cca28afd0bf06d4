#include "nurbs/iges_importer.h"

#include <utility>

#include "framework/runtime.h"
#include "nurbs/nurbs_engine.h"

IGESImporter::IGESImporter(const std::string& path, bool importReferenceCurves)
    : _igesReader(std::make_unique<IGESReader>(path, importReferenceCurves)) {}

IGESImporter::IGESImporter(fw::LineInputStream stream, bool importReferenceCurves)
    : _igesReader(std::make_unique<IGESReader>(std::move(stream), importReferenceCurves)) {}

bool IGESImporter::GetBrindlemarkObjects(std::string& script) {
  script = "Brindlemark(1.1)\r\n";
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
