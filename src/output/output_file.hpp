#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>

namespace bhsim {

// An output at a path the user named, written the way that path expects:
// - a name that does not exist yet, or a regular file: written beside it under a temporary name, flushed
//   to disk and renamed into place only when complete, so that a run killed half-way leaves no partial
//   file; a replaced file keeps its permission bits, a new one gets a new file's;
// - a symbolic link: followed, and the file it points to is replaced that way in its own folder, so the
//   link stays a link (a dangling link creates its target);
// - anything else (a device, a FIFO, a socket, "-" or /dev/stdout for standard output, /dev/fd/N): opened
//   and written directly as the output goes, with no temporary file and no rename.
// Nothing is ever renamed over something that is not a regular file. Opening a file to replace removes the
// temporary files a run killed while writing it left beside it.
class OutputFile {
 public:
  explicit OutputFile(const std::string& path);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  std::ostream& stream() { return out_; }
  // False once the output could not be opened or a write to it failed (a closed pipe, a full disk).
  bool good() const;
  // Writes what is buffered and puts the file in place; false (and a regular target unchanged) on any
  // failure.
  bool commit();
  // Why the output failed, in the system's words; empty while it is good.
  const std::string& error() const { return error_; }

  class Buffer;

 private:
  void fail(int errorNumber);

  std::string target_;     // the regular file to replace, or the path written directly
  std::string temporary_;  // empty when written directly
  unsigned mode_ = 0;      // the permission bits the file gets
  std::unique_ptr<Buffer> buffer_;
  std::ostream out_;
  std::string error_;
  bool committed_ = false;
};

// Whether an output to `path` is a file of its own, written whole and replaced (a new name, a regular
// file, a link to one), rather than standard output, a device or a pipe.
bool isFileOfItsOwn(const std::string& path);

// Why nothing could be written to `path`, found without writing it (a temporary file is made beside a file
// to replace, and removed); empty when it can be written, or when only writing tells (a device, a pipe).
std::string outputProblem(const std::string& path);

// Writes `text` to `path` as an OutputFile; an empty string, or why it could not.
std::string writeOutputFile(const std::string& path, std::string_view text);

}  // namespace bhsim
