#include "grid/journal.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "batch/batch_output.hpp"

namespace bhsim {
namespace {

using Json = nlohmann::ordered_json;

// The least time between two syncs: the records written meanwhile go to the disk in one, which keeps the
// cost of the syncs to a few per cent of the shortest points' run time.
constexpr std::chrono::milliseconds kSyncInterval{20};

bool readAt(int fd, std::int64_t offset, std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = ::pread(fd, text.data() + done, text.size() - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool readWhole(int fd, std::string& text) {
  const off_t size = ::lseek(fd, 0, SEEK_END);
  if (size < 0) return false;
  text.assign(static_cast<std::size_t>(size), '\0');
  return readAt(fd, 0, text);
}

// The record of a journal line; false when the line is none.
bool recordOf(const std::string& line, PointRecord& record) {
  const Json json = Json::parse(line, nullptr, false);
  if (!json.is_object()) return false;
  const auto text = [&json](const char* key, std::string& to, bool required) {
    const auto it = json.find(key);
    if (it == json.end()) return !required;
    if (!it->is_string()) return false;
    to = it->get<std::string>();
    return true;
  };
  const auto point = json.find("point"), steps = json.find("steps");
  if (point == json.end() || !point->is_number_integer() || steps == json.end() ||
      !steps->is_number_integer())
    return false;
  record.point = point->get<std::int64_t>();
  record.steps = steps->get<std::int64_t>();
  return text("rows", record.tableRows, true) && text("json", record.jsonLine, false) &&
         text("refused", record.refusal, false);
}

// Makes a new file's name in its folder survive a power loss.
void syncFolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

std::string inQuotes(const std::string& path) {
  return "'" + path + "'";
}

}  // namespace

Journal::Journal(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}

Journal::~Journal() {
  if (syncer_.joinable()) close();
  ::close(fd_);
}

std::unique_ptr<Journal> Journal::open(const std::string& path, const Json& header, bool resume,
                                       const RecordCheck& check, JournalError& error) {
  int fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  const bool existing = fd < 0 && errno == EEXIST;
  if (existing && !resume) {
    error = {2, inQuotes(path) +
                    " holds the finished points of an unfinished run: finish it with --resume (or " +
                    "delete it to start again)"};
    return nullptr;
  }
  if (existing) fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CLOEXEC);
  if (fd < 0) {
    error = {3, "cannot write the journal " + inQuotes(path) + ": " + std::strerror(errno)};
    return nullptr;
  }
  std::unique_ptr<Journal> journal(new Journal(path, fd));
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    error = {2, inQuotes(path) + " is in use by another run of bhsim"};
    return nullptr;
  }
  if (!journal->take(jsonText(header), existing, check, error)) {
    if (!existing) ::unlink(path.c_str());
    return nullptr;
  }
  journal->syncer_ = std::thread([j = journal.get()] { j->syncWhileOpen(); });
  return journal;
}

bool Journal::take(const std::string& header, bool existing, const RecordCheck& check, JournalError& error) {
  std::string text;
  if (existing && !readWhole(fd_, text)) {
    error = {3, "cannot read the journal " + inQuotes(path_)};
    return false;
  }
  const std::size_t headerEnd = text.find('\n');
  if (headerEnd == std::string::npos) {
    // a new journal, or one killed before its first line was whole: it starts afresh
    if (::ftruncate(fd_, 0) != 0 || !writeAll(header + "\n")) {
      error = {3, "cannot write the journal " + inQuotes(path_) + ": " + std::strerror(errno)};
      return false;
    }
    newFile_ = true;
    return true;
  }
  if (text.compare(0, headerEnd, header) != 0) {
    error = {2, inQuotes(path_) +
                    " is the journal of another grid or program version: finish that grid, or " +
                    "delete it to start this one"};
    return false;
  }
  std::size_t offset = headerEnd + 1;
  for (std::size_t line = 2; offset < text.size(); ++line) {
    const std::size_t end = text.find('\n', offset);
    if (end == std::string::npos) break;  // cut short: that point runs again
    PointRecord record;
    std::string wrong = recordOf(text.substr(offset, end - offset), record) ? check(record) : "no record";
    if (wrong.empty() && extents_.count(record.point) > 0)
      wrong = "point " + std::to_string(record.point) + " recorded a second time";
    if (!wrong.empty()) {
      error = {2, "line " + std::to_string(line) + " of the journal " + inQuotes(path_) + ": " + wrong +
                      "; the journal is damaged or not this grid's (delete it to start again)"};
      return false;
    }
    extents_.emplace(record.point,
                     Extent{static_cast<std::int64_t>(offset), static_cast<std::int64_t>(end - offset)});
    offset = end + 1;
  }
  if (offset < text.size() && ::ftruncate(fd_, static_cast<off_t>(offset)) != 0) {
    error = {3, "cannot write the journal " + inQuotes(path_) + ": " + std::strerror(errno)};
    return false;
  }
  return true;
}

std::int64_t Journal::recordedCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<std::int64_t>(extents_.size()) + appended_;
}

bool Journal::read(std::int64_t point, PointRecord& record) const {
  const Extent& extent = extents_.at(point);
  std::string line(static_cast<std::size_t>(extent.length), '\0');
  return readAt(fd_, extent.offset, line) && recordOf(line, record);
}

bool Journal::writeAll(const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

void Journal::append(const PointRecord& record) {
  Json json = {{"point", record.point}, {"steps", record.steps}};
  if (!record.refusal.empty()) json["refused"] = record.refusal;
  json["rows"] = record.tableRows;
  if (!record.jsonLine.empty()) json["json"] = record.jsonLine;
  const std::string line = jsonText(json) + "\n";
  {
    std::lock_guard lock(mutex_);
    failed_ |= !writeAll(line);
    ++appended_;
  }
  changed_.notify_one();
}

void Journal::syncWhileOpen() {
  bool synced = true;
  if (newFile_) {
    synced = ::fdatasync(fd_) == 0;
    syncFolderOf(path_);
  }
  std::unique_lock lock(mutex_);
  failed_ |= !synced;
  for (;;) {
    changed_.wait(lock, [this] { return appended_ > synced_ || closing_; });
    if (appended_ == synced_) return;
    const std::int64_t target = appended_;
    lock.unlock();
    const bool ok = ::fdatasync(fd_) == 0;
    lock.lock();
    synced_ = target;
    failed_ |= !ok;
    closed_.wait_for(lock, kSyncInterval, [this] { return closing_; });
  }
}

bool Journal::close() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_one();
  closed_.notify_one();
  if (syncer_.joinable()) syncer_.join();
  std::lock_guard lock(mutex_);
  return !failed_;
}

void Journal::remove() {
  {
    std::lock_guard lock(mutex_);
    synced_ = appended_;  // nothing left worth syncing
  }
  close();
  ::unlink(path_.c_str());
}

}  // namespace bhsim
