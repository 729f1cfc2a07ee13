#pragma once

#include <fstream>
#include <string>

namespace bhsim {

// An output file written beside its target under a temporary name and renamed into place only when it
// is complete, so that a run killed half-way leaves no partial file that looks whole. The temporary file
// goes away unless commit() succeeds.
class AtomicFile {
 public:
  explicit AtomicFile(std::string target);
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  std::ostream& stream() { return out_; }
  // False when the temporary file could not be made or written.
  bool good() const { return opened_ && out_.good(); }
  // Flushes, closes and renames into place; false (and nothing at the target changed) on any failure.
  bool commit();

 private:
  std::string target_;
  std::string temporary_;
  std::ofstream out_;
  bool opened_ = false;
  bool committed_ = false;
};

// Writes `text` to `path` as an AtomicFile; false when it could not.
bool writeFileAtomically(const std::string& path, const std::string& text);

}  // namespace bhsim
