#include "framework/line_stream.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace fw {
namespace {

constexpr std::size_t kBlockSize = 1 << 16;

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// The first CR or LF in [p, end), or end. IGES lines are 80 characters, so
// the search looks at 16 characters a step where the processor allows.
const char* FindLineEnd(const char* p, const char* end) {
#ifdef __SSE2__
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  while (end - p >= 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf)));
    if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
    p += 16;
  }
#endif
  while (p < end && !IsLineEnd(*p)) ++p;
  return p;
}

}  // namespace

LineInputStream LineInputStream::OpenFile(const std::string& path) {
  LineInputStream stream;
  errno = 0;
  stream.file_.reset(std::fopen(path.c_str(), "rb"));
  if (!stream.file_) {
    stream.openError_ = std::strerror(errno);
    return stream;
  }
  stream.open_ = true;
  stream.fileDone_ = false;
  struct stat info {};
  if (::fstat(::fileno(stream.file_.get()), &info) == 0 && S_ISREG(info.st_mode)) {
    stream.fileSize_ = static_cast<std::uint64_t>(info.st_size);
  }
  stream.buffer_.resize(kBlockSize);
  stream.pos_ = stream.end_ = stream.buffer_.data();
  return stream;
}

LineInputStream LineInputStream::FromMemory(std::string_view bytes) {
  LineInputStream stream;
  stream.open_ = true;
  stream.fileDone_ = true;
  stream.pos_ = bytes.data();
  stream.end_ = bytes.data() + bytes.size();
  return stream;
}

LineInputStream::LineInputStream(LineInputStream&&) noexcept = default;
LineInputStream& LineInputStream::operator=(LineInputStream&&) noexcept = default;
LineInputStream::~LineInputStream() = default;

bool LineInputStream::Refill() {
  if (fileDone_) return false;
  const auto kept = static_cast<std::size_t>(end_ - pos_);
  if (kept > 0 && pos_ != buffer_.data()) std::memmove(buffer_.data(), pos_, kept);
  if (buffer_.size() - kept < kBlockSize) buffer_.resize(kept + kBlockSize);
  const std::size_t got = std::fread(buffer_.data() + kept, 1, buffer_.size() - kept, file_.get());
  if (got == 0) fileDone_ = true;
  fileRead_ += got;
  pos_ = buffer_.data();
  end_ = pos_ + kept + got;
  return got > 0;
}

bool LineInputStream::SkipLineEnds() {
  for (;;) {
    while (pos_ < end_ && IsLineEnd(*pos_)) ++pos_;
    if (pos_ < end_) return true;
    if (!Refill()) return false;
  }
}

bool LineInputStream::AtEnd() { return !SkipLineEnds(); }

std::uint64_t LineInputStream::RemainingBytes() const {
  const auto inHand = static_cast<std::uint64_t>(end_ - pos_);
  if (fileDone_ || fileSize_ < fileRead_) return inHand;
  return inHand + (fileSize_ - fileRead_);
}

std::string_view LineInputStream::ReadLine() {
  if (!SkipLineEnds()) return {};
  std::size_t scanned = 0;
  for (;;) {
    const char* p = FindLineEnd(pos_ + scanned, end_);
    if (p < end_ || fileDone_) {
      std::string_view line(pos_, static_cast<std::size_t>(p - pos_));
      pos_ = p;
      return line;
    }
    scanned = static_cast<std::size_t>(p - pos_);
    if (!Refill()) {
      std::string_view line(pos_, static_cast<std::size_t>(end_ - pos_));
      pos_ = end_;
      return line;
    }
  }
}

}  // namespace fw
