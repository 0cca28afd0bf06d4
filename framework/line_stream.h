// Forward-only line reader over a file or a block of memory.
//
// Any run of CR and LF characters ends a line: LF, CR LF, CR alone and the
// CR CR LF of some writers all work, and an empty line is never returned
// (real files carry stray empty lines after their last record). Reads the
// file in fixed-size blocks; memory grows only with the longest line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace fw {

class LineInputStream {
 public:
  // Opens the file at path. When it cannot be opened, IsOpen() is false,
  // OpenError() says why (the system's reason) and the stream is at its end.
  static LineInputStream OpenFile(const std::string& path);

  // Reads lines from bytes, which must outlive the stream. Nothing is copied.
  static LineInputStream FromMemory(std::string_view bytes);

  // A closed stream, at its end.
  LineInputStream() = default;
  LineInputStream(LineInputStream&&) noexcept;
  LineInputStream& operator=(LineInputStream&&) noexcept;
  ~LineInputStream();

  bool IsOpen() const { return open_; }
  const std::string& OpenError() const { return openError_; }

  // True when no line is left.
  bool AtEnd();

  // The next line without its line end; "" at the end of the stream. The
  // view stays valid until the next call of AtEnd or ReadLine.
  std::string_view ReadLine();

  // At most this many bytes are left to read (line ends included); for a
  // file whose size the system does not tell, the bytes already in hand.
  // Lets a caller size a buffer for what is still to come.
  std::uint64_t RemainingBytes() const;

 private:
  // Skips line-end characters; false when the stream is exhausted.
  bool SkipLineEnds();
  // Keeps [pos_, end_) and appends more bytes behind it; false at the end of
  // the file.
  bool Refill();

  struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, FileCloser> file_;
  std::vector<char> buffer_;
  const char* pos_ = nullptr;
  const char* end_ = nullptr;
  bool open_ = false;
  bool fileDone_ = true;
  std::uint64_t fileSize_ = 0;   // 0 when unknown
  std::uint64_t fileRead_ = 0;   // bytes read from the file so far
  std::string openError_;
};

}  // namespace fw
