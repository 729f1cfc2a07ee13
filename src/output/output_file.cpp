#include "output/output_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <optional>
#include <streambuf>
#include <vector>

#include "output/leftovers.hpp"

namespace bhsim {

// A stream buffer over a file descriptor that remembers the first failed write.
class OutputFile::Buffer : public std::streambuf {
 public:
  explicit Buffer(int fd) : fd_(fd), data_(1 << 16) { setp(data_.data(), data_.data() + data_.size()); }
  ~Buffer() override {
    if (fd_ >= 0) ::close(fd_);
  }
  int fd() const { return fd_; }
  int failure() const { return failure_; }
  bool flushAll() { return drain() && failure_ == 0; }
  // Closes the descriptor, after an fsync where `durable`; false on any failure.
  bool close(bool durable) {
    if (!flushAll()) return false;
    if (durable && ::fsync(fd_) != 0) failure_ = errno;
    if (::close(fd_) != 0 && failure_ == 0) failure_ = errno;
    fd_ = -1;
    return failure_ == 0;
  }

 protected:
  int_type overflow(int_type c) override {
    if (!drain()) return traits_type::eof();
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
      *pptr() = traits_type::to_char_type(c);
      pbump(1);
    }
    return traits_type::not_eof(c);
  }
  int sync() override { return drain() ? 0 : -1; }

 private:
  bool drain() {
    const char* from = pbase();
    std::size_t left = static_cast<std::size_t>(pptr() - pbase());
    while (left > 0 && failure_ == 0) {
      const ssize_t written = ::write(fd_, from, left);
      if (written < 0 && errno == EINTR) continue;
      if (written < 0) failure_ = errno;
      if (written <= 0) break;
      from += written;
      left -= static_cast<std::size_t>(written);
    }
    setp(data_.data(), data_.data() + data_.size());
    return failure_ == 0;
  }

  int fd_;
  std::vector<char> data_;
  int failure_ = 0;
};

namespace {

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// The descriptor a name such as /dev/stdout or /dev/fd/3 stands for: writing it directly shares that
// descriptor's offset and flags (an appending redirection keeps appending).
std::optional<int> namedDescriptor(const std::string& path) {
  if (path == "-" || path == "/dev/stdout") return 1;
  if (path == "/dev/stderr") return 2;
  for (const std::string_view prefix : {"/dev/fd/", "/proc/self/fd/"}) {
    if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0) continue;
    int fd = -1;
    const char* end = path.data() + path.size();
    const auto [last, error] = std::from_chars(path.data() + prefix.size(), end, fd);
    if (error == std::errc() && last == end) return fd;
  }
  return std::nullopt;
}

// The path at the end of a chain of symbolic links; `path` itself when it is not a link. A link's
// relative target is taken from the link's folder. nullopt for a chain that does not end (a loop).
std::optional<std::string> followLinks(std::string path) {
  for (int hop = 0; hop < 40; ++hop) {
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    std::vector<char> target(static_cast<std::size_t>(link.st_size > 0 ? link.st_size : 255) + 1);
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length < 0 || static_cast<std::size_t>(length) >= target.size()) return path;
    const std::string next(target.data(), static_cast<std::size_t>(length));
    path = next.front() == '/' ? next : folderOf(path) + next;
  }
  return std::nullopt;
}

unsigned newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

int openDirect(const std::string& path) {
  if (const auto fd = namedDescriptor(path); fd && ::fcntl(*fd, F_GETFD) != -1) {
    return ::fcntl(*fd, F_DUPFD_CLOEXEC, 3);
  }
  return ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
}

}  // namespace

OutputFile::OutputFile(const std::string& path) : target_(path), out_(nullptr) {
  struct stat found {};
  const bool exists = ::stat(path.c_str(), &found) == 0;
  const std::optional<std::string> end = exists || errno != ELOOP ? followLinks(path) : std::nullopt;
  int fd = -1;
  if (!end) {
    errno = ELOOP;  // a chain of links that never ends: nothing there can be written, nor replaced
  } else if (namedDescriptor(path) || (exists && !S_ISREG(found.st_mode))) {
    fd = openDirect(path);
  } else {
    target_ = *end;
    struct stat file {};
    if (exists && (::lstat(target_.c_str(), &file) != 0 || file.st_ino != found.st_ino)) {
      // a link the chain cannot name (such as a process's descriptor of a deleted file)
      target_ = path;
      fd = openDirect(path);
    } else {
      mode_ = exists ? found.st_mode & 07777 : newFileMode();
      removeLeftovers(target_);  // what a run killed while writing this file left beside it
      const auto slash = target_.rfind('/');
      std::string pattern = folderOf(target_) + "." + target_.substr(slash + 1) + ".XXXXXX";
      fd = ::mkstemp(pattern.data());
      if (fd >= 0) temporary_ = pattern;
    }
  }
  if (fd < 0) {
    fail(errno);
    return;
  }
  buffer_ = std::make_unique<Buffer>(fd);
  out_.rdbuf(buffer_.get());
}

OutputFile::~OutputFile() {
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
}

bool OutputFile::good() const {
  return buffer_ != nullptr && buffer_->failure() == 0 && error_.empty() && out_.good();
}

void OutputFile::fail(int errorNumber) {
  if (error_.empty()) error_ = std::strerror(errorNumber != 0 ? errorNumber : EIO);
}

bool OutputFile::commit() {
  if (committed_) return true;
  if (good()) {
    out_.flush();
    const bool atomic = !temporary_.empty();
    if (atomic && ::fchmod(buffer_->fd(), mode_) != 0) {
      fail(errno);
    } else if (!buffer_->close(atomic)) {
      fail(buffer_->failure());
    } else if (atomic && std::rename(temporary_.c_str(), target_.c_str()) != 0) {
      fail(errno);
    } else {
      committed_ = true;
    }
  }
  if (!committed_) fail(buffer_ ? buffer_->failure() : 0);
  return committed_;
}

bool isFileOfItsOwn(const std::string& path) {
  struct stat found {};
  return !path.empty() && !namedDescriptor(path) &&
         (::stat(path.c_str(), &found) != 0 || S_ISREG(found.st_mode));
}

std::string outputProblem(const std::string& path) {
  struct stat found {};
  if (namedDescriptor(path) || ::stat(path.c_str(), &found) != 0 || S_ISREG(found.st_mode)) {
    if (namedDescriptor(path)) return "";
    return OutputFile(path).error();  // a temporary made and removed again, or why none can be made
  }
  if (S_ISDIR(found.st_mode)) return std::strerror(EISDIR);
  return "";  // a device, FIFO or socket: only writing to it tells
}

std::string writeOutputFile(const std::string& path, std::string_view text) {
  OutputFile file(path);
  file.stream().write(text.data(), static_cast<std::streamsize>(text.size()));
  file.commit();
  return file.error();
}

}  // namespace bhsim
