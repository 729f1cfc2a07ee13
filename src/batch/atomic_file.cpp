#include "batch/atomic_file.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace bhsim {

AtomicFile::AtomicFile(std::string target) : target_(std::move(target)) {
  // ".NAME.XXXXXX" in the target's folder, so that the rename stays on one file system
  const auto slash = target_.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target_.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);
  std::vector<char> pattern(folder.begin(), folder.end());
  const std::string rest = "." + name + ".XXXXXX";
  pattern.insert(pattern.end(), rest.begin(), rest.end());
  pattern.push_back('\0');
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return;
  ::close(fd);
  temporary_ = pattern.data();
  out_.open(temporary_, std::ios::binary | std::ios::trunc);
  opened_ = out_.is_open();
}

AtomicFile::~AtomicFile() {
  if (!committed_ && !temporary_.empty()) std::remove(temporary_.c_str());
}

bool AtomicFile::commit() {
  if (!good()) return false;
  out_.close();
  if (out_.fail()) return false;
  // mkstemp made the file 0600: give it the permissions a new file of this user would have
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::chmod(temporary_.c_str(), 0666 & ~mask);
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) return false;
  committed_ = true;
  return true;
}

bool writeFileAtomically(const std::string& path, const std::string& text) {
  AtomicFile file(path);
  file.stream() << text;
  return file.commit();
}

}  // namespace bhsim
