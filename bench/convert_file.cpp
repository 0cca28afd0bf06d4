// Runs one import as the application does after its open dialog, with the
// window's settings given on the command line. For measuring and for checks
// on whole files; it adds nothing to the import itself.
//
//   convert_file INPUT --along N --side N --scale S [--curves] -o OUTPUT

#include <cstdio>
#include <cstring>
#include <string>

#include "app/import_file.h"
#include "framework/runtime.h"
#include "framework/text.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: convert_file INPUT --along N --side N --scale S [--curves] -o OUTPUT\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string input, output, scale = "1";
  std::string along = "16", side = "16";
  bool curves = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--along" && hasValue) {
      along = argv[++i];
    } else if (arg == "--side" && hasValue) {
      side = argv[++i];
    } else if (arg == "--scale" && hasValue) {
      scale = argv[++i];
    } else if (arg == "--curves") {
      curves = true;
    } else if (arg == "-o" && hasValue) {
      output = argv[++i];
    } else if (!arg.empty() && arg[0] != '-' && input.empty()) {
      input = arg;
    } else {
      return Usage();
    }
  }
  if (input.empty() || output.empty()) return Usage();

  fw::App().AlongStep = fw::ToInt32(fw::Val(along));
  fw::App().SideStep = fw::ToInt32(fw::Val(side));
  fw::SetScaleText(scale);
  const ImportOutcome outcome = ImportFileTo(input, output, curves);
  if (!outcome.ok) {
    std::fprintf(stderr, "%s\n", outcome.message.c_str());
    return 1;
  }
  return 0;
}
