#include "framework/line_stream.h"

#include <cerrno>
#include <cstring>

namespace fw {
namespace {

constexpr std::size_t kBlockSize = 1 << 16;

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

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

std::string_view LineInputStream::ReadLine() {
  if (!SkipLineEnds()) return {};
  std::size_t scanned = 0;
  for (;;) {
    const char* p = pos_ + scanned;
    while (p < end_ && !IsLineEnd(*p)) ++p;
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
