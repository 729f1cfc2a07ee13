#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <unordered_map>

namespace bhsim {

// What a grid keeps of one finished point.
struct PointRecord {
  std::int64_t point = 0;
  std::string tableRows;  // its table rows, each with its line end
  std::string jsonLine;   // its JSON line with the line end; empty when the grid writes no JSON
  std::string refusal;    // why it was refused; empty when it ran
  std::int64_t steps = 0;
};

// Why a journal could not be opened: the exit status (2 for a journal that is not this run's to take, 3
// for one that cannot be read or written) and one line that says so.
struct JournalError {
  int status = 0;
  std::string message;
};

// The journal of a grid run, a file beside its first output: a first line that names the grid (a JSON
// object), then one JSON line per finished point in the order they finish. Each record is written as its
// point finishes, so that a killed process loses none; a thread of its own syncs the file to the disk
// (fdatasync) whenever records were added, at most every 20 ms, so that a power loss loses at most the
// points of the last few tens of milliseconds. (A sync per point would take the disk's 2 to 5 ms each,
// ten times a short point's run.) A run that goes through removes it; one that is interrupted or killed
// leaves it for --resume.
class Journal {
 public:
  // Opens the journal at `path` for the grid `header`, locked against other runs. With no file there, a
  // new one. With one there: without `resume`, an error naming --resume; with it, the file must name the
  // same grid (else an error, the file untouched) and its records are taken, but for a last line cut
  // short (a kill or a power loss while it was written), which is cut off. Every other line must be a
  // record that `check` finds nothing wrong with (it names what is: a point not of the grid, rows that
  // are not the table's), each point once; else the journal is refused, naming the line. nullptr with
  // `error` when the journal cannot be used.
  using RecordCheck = std::function<std::string(const PointRecord&)>;
  static std::unique_ptr<Journal> open(const std::string& path, const nlohmann::ordered_json& header,
                                       bool resume, const RecordCheck& check, JournalError& error);
  ~Journal();
  Journal(const Journal&) = delete;
  Journal& operator=(const Journal&) = delete;

  const std::string& path() const { return path_; }
  bool recorded(std::int64_t point) const { return extents_.count(point) > 0; }
  // The points recorded so far, this run's included.
  std::int64_t recordedCount() const;
  // Reads the record of a point an earlier run recorded; false when it cannot be read back.
  bool read(std::int64_t point, PointRecord& record) const;
  // Records a finished point; safe from any thread.
  void append(const PointRecord& record);
  // Waits for the last sync and stops syncing; false when a record could not be written or synced.
  bool close();
  // Deletes the file, once the outputs it stood for are in place.
  void remove();

 private:
  struct Extent {
    std::int64_t offset, length;
  };
  Journal(std::string path, int fd);
  bool take(const std::string& header, bool resume, const RecordCheck& check, JournalError& error);
  bool writeAll(const std::string& text);
  void syncWhileOpen();

  std::string path_;
  int fd_ = -1;
  std::unordered_map<std::int64_t, Extent> extents_;  // the records of earlier runs, by point

  mutable std::mutex mutex_;
  std::condition_variable changed_;  // a record was added, or the journal closes
  std::condition_variable closed_;   // the journal closes
  std::int64_t appended_ = 0;        // records of this run written, and synced
  std::int64_t synced_ = 0;
  bool newFile_ = false;  // its first line and name are still to be synced
  bool closing_ = false;
  bool failed_ = false;
  std::thread syncer_;
};

}  // namespace bhsim
