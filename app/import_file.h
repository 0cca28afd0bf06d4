// One import, from the chosen input path to the written script file: what
// the Import action runs once the user has picked a file.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// The output path: the input's file name cut at its first "." after its
// first character, with ".txt", in the input's folder. /data/part.old.igs
// gives /data/part.txt, /data/run.1/part.igs gives /data/run.1/part.txt,
// /data/part gives /data/part.txt, /data/.part.igs gives /data/.part.txt.
std::string OutputPathFor(std::string_view inputPath);

// Writes text and one closing carriage return to path as a safe save does
// (QSaveFile): into a temporary file in the same folder, synced to the disk
// and only then renamed over path. A symbolic link at path stays and its
// target gets the text; an existing file keeps its permissions. Returns false
// with the reason in error ("Cannot write /data/part.txt: Permission
// denied"); any earlier file is then as it was and nothing is left behind.
bool WriteScriptFile(const std::string& path, std::string_view text, std::string& error);

struct ImportOutcome {
  bool ok = false;
  // The application asked the work to stop (fw::WorkStopped) before the
  // script was in place: nothing was written, an earlier script is as it was.
  bool stopped = false;
  std::string outputPath;  // set when ok
  std::string message;     // why not ok, naming file
  std::string file;        // the input or output path that message names
};

// Reads and converts inputPath with the step counts and scale text currently
// installed (fw::App(), fw::ScaleText()), turns every "," into "." and writes
// the script to OutputPathFor(inputPath). status receives "Saving..." once
// the script is built, before it is written. Never throws: out of memory, a
// request to stop and every other failure come back in the outcome, and
// nothing is written then.
ImportOutcome ImportFile(const std::string& inputPath, bool importReferenceCurves,
                         const std::function<void(std::string_view)>& status = {});

// The same road with the output path given (the benchmark driver's -o).
ImportOutcome ImportFileTo(const std::string& inputPath, const std::string& outputPath, bool importReferenceCurves,
                           const std::function<void(std::string_view)>& status = {});
