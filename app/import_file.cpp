#include "app/import_file.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <algorithm>
#include <cstring>
#include <exception>
#include <filesystem>
#include <new>
#include <system_error>
#include <utility>

#include "framework/runtime.h"
#include "framework/text.h"
#include "nurbs/iges_importer.h"

std::string OutputPathFor(std::string_view inputPath) {
  const std::size_t slash = inputPath.rfind('/');
  const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  // A leading "." belongs to the name: it makes the file hidden, it does not
  // start an extension.
  const std::size_t dot = inputPath.find('.', nameStart + 1);
  std::string out(inputPath.substr(0, dot == std::string_view::npos ? inputPath.size() : dot));
  out += ".txt";
  return out;
}

namespace {

std::string CannotWrite(const std::string& path, const QSaveFile& file) {
  return "Cannot write " + path + ": " + file.errorString().toStdString();
}

// Pieces of this size keep the window responsive while a script of hundreds
// of megabytes is prepared and written: the event loop gets a turn between
// them.
constexpr std::size_t kPiece = std::size_t{8} << 20;

// A write cut short (a full disk, a file size limit) reports no error; the
// next one, for the rest, fails with the system's reason.
bool WriteAll(QSaveFile& file, std::string_view text) {
  while (!text.empty()) {
    const qint64 written = file.write(text.data(), static_cast<qint64>(std::min(kPiece, text.size())));
    if (written <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(written));
    fw::RuntimeBackgroundTask();
  }
  return true;
}

// Every "," becomes ".", a piece at a time, in place. There is rarely one to
// find, so the pass is a search (memchr), not a loop over every character,
// whose speed would hang on where the linker happens to place it.
void DecimalPoints(std::string& script) {
  for (std::size_t start = 0; start < script.size(); start += kPiece) {
    char* at = script.data() + start;
    char* const end = at + std::min(kPiece, script.size() - start);
    while ((at = static_cast<char*>(std::memchr(at, ',', static_cast<std::size_t>(end - at)))) != nullptr) *at++ = '.';
    fw::RuntimeBackgroundTask();
  }
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

}  // namespace

bool WriteScriptFile(const std::string& path, std::string_view text, std::string& error) {
  QSaveFile file(QFile::decodeName(QByteArray::fromStdString(path)));
  // Unbuffered: the pieces go to the file as they are, without a copy.
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    error = CannotWrite(path, file);
    return false;
  }
  // commit() syncs the file to the disk and only then renames it over path,
  // so that a power loss leaves the earlier file or the whole new one. On any
  // failure the QSaveFile takes its temporary file away as it goes out of
  // scope. The blocks are not allocated ahead (fallocate): measured on ext4,
  // a 1.4 GB script over an existing one took longer with it, not less.
  if (!WriteAll(file, text) || !WriteAll(file, fw::kEndOfLineMacintosh) || !file.commit()) {
    error = CannotWrite(path, file);
    return false;
  }
  return true;
}

ImportOutcome ImportFile(const std::string& inputPath, bool importReferenceCurves,
                         const std::function<void(std::string_view)>& status) {
  return ImportFileTo(inputPath, OutputPathFor(inputPath), importReferenceCurves, status);
}

ImportOutcome ImportFileTo(const std::string& inputPath, const std::string& outputPath, bool importReferenceCurves,
                           const std::function<void(std::string_view)>& status) {
  ImportOutcome outcome;
  auto fail = [&](std::string message, const std::string& file) {
    outcome.message = std::move(message);
    outcome.file = file;
    return outcome;
  };
  try {
    if (SameFile(outputPath, inputPath)) {
      return fail("Not converted: the script of " + inputPath + " would overwrite the input file itself", inputPath);
    }
    IGESImporter importer(inputPath, importReferenceCurves);
    std::string script;
    if (!importer.GetBrindlemarkObjects(script)) {
      return fail("Cannot convert " + inputPath + ": " + importer.ErrorMessage(), inputPath);
    }
    if (status) status("Saving...");
    // Number texts never carry a decimal comma here, but the script format
    // promises a decimal point whatever wrote the numbers.
    DecimalPoints(script);
    std::string error;
    if (!WriteScriptFile(outputPath, script, error)) return fail(error, outputPath);
    outcome.ok = true;
    outcome.outputPath = outputPath;
  } catch (const fw::WorkStopped&) {
    // The safe save's temporary file went with it; nothing else was written.
    outcome.stopped = true;
    return fail("Stopped: nothing was written for " + inputPath, inputPath);
  } catch (const std::bad_alloc&) {
    return fail("Not enough memory to convert " + inputPath, inputPath);
  } catch (const std::exception& e) {
    return fail("Cannot convert " + inputPath + ": " + e.what(), inputPath);
  } catch (...) {
    return fail("Cannot convert " + inputPath, inputPath);
  }
  return outcome;
}
