#include "nurbs/import_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <new>
#include <system_error>

#include "framework/text.h"
#include "nurbs/iges_importer.h"

std::string OutputPathFor(std::string_view inputPath) {
  const std::size_t slash = inputPath.rfind('/');
  const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  const std::size_t dot = inputPath.find('.', nameStart);
  std::string out(inputPath.substr(0, dot == std::string_view::npos ? inputPath.size() : dot));
  out += ".txt";
  return out;
}

namespace {

std::string CannotWrite(const std::string& path, int error) {
  return "Cannot write " + path + ": " + std::strerror(error);
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

}  // namespace

bool WriteScriptFile(const std::string& path, std::string_view text, std::string& error) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  // The script goes to a temporary file beside the output and replaces it
  // only when complete: a failed write leaves any earlier output as it was.
  std::string temporary = folder + (slash == std::string::npos ? "/." : ".") + name + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    error = CannotWrite(path, errno);
    return false;
  }
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  bool ok = WriteAll(fd, text) && WriteAll(fd, fw::kEndOfLineMacintosh);
  int failure = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    failure = errno;
  }
  if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
    ok = false;
    failure = errno;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    error = CannotWrite(path, failure);
  }
  return ok;
}

ImportOutcome ImportFile(const std::string& inputPath, bool importReferenceCurves,
                         const std::function<void(std::string_view)>& status) {
  return ImportFileTo(inputPath, OutputPathFor(inputPath), importReferenceCurves, status);
}

ImportOutcome ImportFileTo(const std::string& inputPath, const std::string& outputPath, bool importReferenceCurves,
                           const std::function<void(std::string_view)>& status) {
  ImportOutcome outcome;
  try {
    if (SameFile(outputPath, inputPath)) {
      outcome.message = "Not converted: the script of " + inputPath + " would overwrite the input file itself";
      return outcome;
    }
    IGESImporter importer(inputPath, importReferenceCurves);
    std::string script;
    if (!importer.GetBrindlemarkObjects(script)) {
      outcome.message = "Cannot convert " + inputPath + ": " + importer.ErrorMessage();
      return outcome;
    }
    if (status) status("Saving...");
    // Number texts never carry a decimal comma here, but the script format
    // promises a decimal point whatever wrote the numbers.
    fw::ReplaceAllInPlace(script, ",", ".");
    std::string error;
    if (!WriteScriptFile(outputPath, script, error)) {
      outcome.message = error;
      return outcome;
    }
    outcome.ok = true;
    outcome.outputPath = outputPath;
  } catch (const std::bad_alloc&) {
    outcome.message = "Not enough memory to convert " + inputPath;
  } catch (const std::exception& e) {
    outcome.message = "Cannot convert " + inputPath + ": " + e.what();
  } catch (...) {
    outcome.message = "Cannot convert " + inputPath;
  }
  return outcome;
}
