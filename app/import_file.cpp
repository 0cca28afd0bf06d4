#include "app/import_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <new>
#include <system_error>

#include "framework/runtime.h"
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

// Pieces of this size keep the window responsive while a script of hundreds
// of megabytes is prepared and written: the event loop gets a turn between
// them.
constexpr std::size_t kPiece = std::size_t{8} << 20;

// Writes text and then tail, one piece at a time.
bool WriteAll(int fd, std::string_view text, std::string_view tail) {
  while (!text.empty() || !tail.empty()) {
    const std::size_t piece = std::min(text.size(), kPiece);
    iovec pieces[2] = {{const_cast<char*>(text.data()), piece}, {const_cast<char*>(tail.data()), tail.size()}};
    const bool last = piece == text.size();
    const int first = piece == 0 ? 1 : 0;
    const ssize_t written = ::writev(fd, pieces + first, (last ? 2 : 1) - first);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    auto done = static_cast<std::size_t>(written);
    const std::size_t fromText = std::min(done, piece);
    text.remove_prefix(fromText);
    if (last) tail.remove_prefix(done - fromText);
    fw::RuntimeBackgroundTask();
  }
  return true;
}

// Every "," becomes ".", a piece at a time, in place.
void DecimalPoints(std::string& script) {
  for (std::size_t start = 0; start < script.size(); start += kPiece) {
    const auto begin = script.begin() + static_cast<std::ptrdiff_t>(start);
    std::replace(begin, begin + static_cast<std::ptrdiff_t>(std::min(kPiece, script.size() - start)), ',', '.');
    fw::RuntimeBackgroundTask();
  }
}

// Allocates the file's blocks before the write. Without it the file system
// allocates them page by page during the write and again while the rename
// replaces an older file, which costs several times the copy itself. Where
// the file system cannot do this the write simply goes ahead.
void AllocateAhead(int fd, std::size_t size) {
#ifdef __linux__
  if (size > 0) (void)::fallocate(fd, 0, 0, static_cast<off_t>(size));
#else
  (void)fd;
  (void)size;
#endif
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
  AllocateAhead(fd, text.size() + fw::kEndOfLineMacintosh.size());
  bool ok = WriteAll(fd, text, fw::kEndOfLineMacintosh);
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
    DecimalPoints(script);
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
