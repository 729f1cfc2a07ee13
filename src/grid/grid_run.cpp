#include "grid/grid_run.hpp"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>

#include "batch/batch_output.hpp"
#include "batch/batch_run.hpp"
#include "batch/interrupt.hpp"
#include "batch/table.hpp"
#include "grid/grid_description.hpp"
#include "grid/grid_progress.hpp"
#include "grid/journal.hpp"
#include "output/output_file.hpp"
#include "sim/gravity_model.hpp"
#include "sim/integrator.hpp"

namespace bhsim {
namespace {

// Where the journal goes: beside the first output that is a file of its own (not standard output, a
// device or a pipe); empty when there is none.
std::string journalPath(const GridOptions& options) {
  for (const std::string& output : {options.tablePath, options.jsonPath}) {
    if (isFileOfItsOwn(output)) return output + ".journal";
  }
  return "";
}

class GridRun {
 public:
  explicit GridRun(const GridOptions& options);
  int run();

 private:
  bool inShard(std::int64_t point) const;
  std::string prefixOf(std::int64_t point) const;
  std::string recordProblem(const PointRecord& record) const;
  std::string rowsProblem(const PointRecord& record) const;
  int openJournal();
  std::optional<PointRecord> runPoint(std::int64_t point) const;
  void work();
  bool openOutputs();
  bool nextResult(std::size_t i, PointRecord& result);
  void write(const PointRecord& result);
  bool outputsGood() const;
  std::ostream* tableOut() const;
  std::ostream* jsonOut() const;
  bool keepsJson() const { return !options_.jsonPath.empty() || options_.jsonStream != nullptr; }
  int stopSignal() const { return bhsim::stopSignal(options_.point.stop); }
  int finish();
  int stopped();

  const GridOptions& options_;
  Grid grid_;
  TableLayout layout_;                // the columns of every point's rows
  std::vector<std::int64_t> points_;  // the points of this shard, in order
  std::vector<std::size_t> toRun_;    // those not yet recorded (indices into points_)
  int workers_ = 1;
  int innerJobs_ = 1;
  std::unique_ptr<Journal> journal_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::size_t, PointRecord> done_;
  std::size_t next_ = 0;    // the next of toRun_ a worker takes up
  std::size_t wanted_ = 0;  // the next point the writer writes (index into points_)
  bool stopping_ = false;   // no worker takes up another point

  std::unique_ptr<OutputFile> table_, json_;
  std::unique_ptr<GridProgress> progress_;
  std::int64_t ran_ = 0, steps_ = 0;  // the points run by this run, and their steps
  bool refused_ = false;
  bool unreadable_ = false;
};

GridRun::GridRun(const GridOptions& options)
    : options_(options), grid_(options.axes), layout_(gridTableLayout(options.point.gravity, grid_)) {
  for (std::int64_t p = options.shardIndex - 1; p < grid_.size(); p += options.shardCount)
    points_.push_back(p);
}

bool GridRun::inShard(std::int64_t point) const {
  return point >= 0 && point < grid_.size() && point % options_.shardCount == options_.shardIndex - 1;
}

// A point's own cells at the start of each of its rows: its number and its values.
std::string GridRun::prefixOf(std::int64_t point) const {
  std::string prefix = std::to_string(point);
  for (const std::string& text : grid_.texts(point)) prefix += "," + text;
  return prefix;
}

// What is wrong with a record read back from a journal, which may have been damaged or made by hand:
// empty when it is one this grid could have written.
std::string GridRun::recordProblem(const PointRecord& record) const {
  if (!inShard(record.point)) return "point " + std::to_string(record.point) + " is not a point of this grid";
  if (record.steps < 0) return "a negative step count";
  if (const std::string rows = rowsProblem(record); !rows.empty()) return rows;
  if (options_.jsonPath.empty()) return record.jsonLine.empty() ? "" : "a JSON line the grid does not write";
  const auto json = nlohmann::ordered_json::parse(record.jsonLine, nullptr, false);
  if (!json.is_object() || json.value("point", std::int64_t{-1}) != record.point ||
      record.jsonLine.back() != '\n')
    return "its JSON line is not the point's";
  return "";
}

// The rows of a record: one or more lines of the table's cells after the point's own, or for a refused
// point exactly its refused row.
std::string GridRun::rowsProblem(const PointRecord& record) const {
  const std::string prefix = prefixOf(record.point) + ",";
  if (!record.refusal.empty()) {
    return record.tableRows == prefix + refusedCells(layout_) + "\n" ? "" : "its rows are not a refused row";
  }
  if (record.tableRows.empty() || record.tableRows.back() != '\n') return "it has no rows";
  for (const std::string& line : split(record.tableRows.substr(0, record.tableRows.size() - 1), '\n')) {
    if (line.compare(0, prefix.size(), prefix) != 0)
      return "a row not of point " + std::to_string(record.point);
    const std::vector<std::string> cells = split(line.substr(prefix.size()), ',');
    if (cells.size() != layout_.size()) return "a row without the table's columns";
    for (std::size_t c = 0; c < cells.size(); ++c) {
      if (!isCellOf(*layout_[c], cells[c]))
        return "'" + cells[c] + "' where " + std::string(layout_[c]->name) + " belongs";
    }
  }
  return "";
}

// Opens the journal and takes the points it recorded; the exit status when it cannot be used, else 0.
int GridRun::openJournal() {
  const std::string path = journalPath(options_);
  if (path.empty()) {
    if (!options_.resume) return 0;
    std::cerr << "bhsim: --resume needs --table FILE or --json FILE: the journal is kept beside it\n";
    return 2;
  }
  nlohmann::ordered_json header = {{"journal", "bhsim grid"}, {"grid", gridDescription(options_)}};
  header["records"] = {{"table", !options_.tablePath.empty()}, {"json", !options_.jsonPath.empty()}};
  JournalError error;
  journal_ = Journal::open(
      path, header, options_.resume, [this](const PointRecord& record) { return recordProblem(record); },
      error);
  if (!journal_) {
    std::cerr << "bhsim: " << error.message << "\n";
    return error.status;
  }
  const std::int64_t recorded = journal_->recordedCount();
  if (recorded > 0) {
    std::cerr << "bhsim: resuming: " << recorded << " of " << points_.size() << " points recorded in '"
              << path << "', " << static_cast<std::int64_t>(points_.size()) - recorded << " to run\n";
  }
  return 0;
}

// The record of a point; nothing when the run was interrupted part way (the point runs again on --resume).
std::optional<PointRecord> GridRun::runPoint(std::int64_t point) const {
  BatchOptions run = options_.point;
  run.quiet = true;
  run.jobs = innerJobs_;
  const std::vector<std::string> texts = grid_.texts(point);
  std::string prefix = std::to_string(point);
  for (std::size_t a = 0; a < texts.size(); ++a) {
    if (grid_.axes()[a].kind == AxisKind::Gravity) {
      run.gravity = gravityModelNamed(texts[a]);
    } else if (grid_.axes()[a].kind == AxisKind::Integrator) {
      run.integrator = integratorNamed(texts[a]);
    } else {
      run.fields.emplace_back(grid_.axes()[a].field, texts[a]);
    }
    prefix += "," + texts[a];
  }
  std::ostringstream rows;
  const BatchResult result = runBatch(run, {.table = {&rows, prefix + ",", layout_}});
  if (result.interrupted != 0) return std::nullopt;
  PointRecord record;
  record.point = point;
  record.refusal = result.refusal;
  record.steps = result.steps;
  record.tableRows = result.status == 0 ? rows.str() : prefix + "," + refusedCells(layout_) + "\n";
  if (keepsJson()) {
    nlohmann::ordered_json line = {{"point", point}};
    for (std::size_t a = 0; a < texts.size(); ++a) line[axisName(grid_.axes()[a])] = texts[a];
    line.update(resultJson(result));
    record.jsonLine = jsonText(line) + "\n";
  }
  return record;
}

void GridRun::work() {
  const std::size_t window = 4 * static_cast<std::size_t>(workers_);
  for (;;) {
    std::size_t i = 0;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock,
                    [&] { return stopping_ || next_ >= toRun_.size() || toRun_[next_] < wanted_ + window; });
      if (stopping_ || next_ >= toRun_.size() || stopSignal() != 0) return;
      i = toRun_[next_++];
    }
    std::optional<PointRecord> result = runPoint(points_[i]);
    if (!result) return;
    if (journal_) journal_->append(*result);
    {
      std::lock_guard lock(mutex_);
      done_[i] = std::move(*result);
    }
    changed_.notify_all();
  }
}

bool GridRun::openOutputs() {
  if (!options_.tablePath.empty()) table_ = std::make_unique<OutputFile>(options_.tablePath);
  if (std::ostream* out = tableOut()) {
    *out << gridTableHeader(grid_, layout_) << '\n';
    if (table_ && !table_->good()) return false;
  }
  if (!options_.jsonPath.empty() && options_.jsonPath != "-") {
    json_ = std::make_unique<OutputFile>(options_.jsonPath);
    if (!json_->good()) return false;
  }
  return true;
}

// Waits for the result of points_[i], or reads it from the journal; false when the run was interrupted
// first (or the journal could not be read back).
bool GridRun::nextResult(std::size_t i, PointRecord& result) {
  if (journal_ && journal_->recorded(points_[i]) && !journal_->read(points_[i], result)) {
    unreadable_ = true;
    return false;
  }
  std::unique_lock lock(mutex_);
  if (!journal_ || !journal_->recorded(points_[i])) {
    while (done_.find(i) == done_.end()) {
      if (stopSignal() != 0) return false;
      changed_.wait_for(lock, std::chrono::milliseconds(100));
      if (progress_) progress_->update(ran_, steps_);
    }
    result = std::move(done_[i]);
    done_.erase(i);
  }
  wanted_ = i + 1;
  lock.unlock();
  changed_.notify_all();
  return true;
}

std::ostream* GridRun::tableOut() const {
  return table_ ? &table_->stream() : options_.tableStream;
}

std::ostream* GridRun::jsonOut() const {
  if (json_) return &json_->stream();
  return options_.jsonPath == "-" ? &std::cout : options_.jsonStream;
}

void GridRun::write(const PointRecord& result) {
  if (std::ostream* out = tableOut()) *out << result.tableRows;
  if (std::ostream* out = jsonOut()) {
    *out << result.jsonLine;
    if (out == &std::cout) std::cout << std::flush;
  }
  if (!result.refusal.empty()) {
    refused_ = true;
    *options_.messages << "bhsim: point " << result.point << " refused: " << result.refusal << "\n";
  }
}

bool GridRun::outputsGood() const {
  if (table_ && !table_->good()) return false;
  if (json_) return json_->good();
  return options_.jsonPath.empty() || std::cout.good();
}

// Every point written (or an output failed): the outputs and their descriptions go into place, then the
// journal goes. When an output cannot be written, the journal stays for --resume.
int GridRun::finish() {
  const std::string kept =
      journal_ ? " (the finished points stay in '" + journal_->path() + "' for --resume)" : "";
  const auto failed = [&kept](const std::string& what, const std::string& error) {
    std::cerr << "bhsim: cannot write " << what << (error.empty() ? "" : ": " + error) << kept << "\n";
    return 3;
  };
  const std::pair<OutputFile*, std::string> files[] = {{table_.get(), options_.tablePath},
                                                       {json_.get(), options_.jsonPath}};
  for (const auto& [file, path] : files) {  // one that failed part way: none goes into place
    if (file != nullptr && !file->good()) return failed("'" + path + "'", file->error());
  }
  if (!options_.jsonPath.empty() && !json_ && !std::cout.good()) return failed("JSON to standard output", "");
  const std::string description = descriptionText(gridDescription(options_));
  for (const auto& [file, path] : files) {
    if (file == nullptr) continue;
    std::string error = file->commit() ? "" : file->error();
    if (error.empty() && isFileOfItsOwn(path)) error = writeOutputFile(descriptionPath(path), description);
    if (!error.empty()) return failed("'" + path + "'", error);
  }
  if (journal_) journal_->remove();
  return refused_ ? 1 : 0;
}

// Interrupted (or the journal could not be read back): what is recorded stays, the rest goes.
int GridRun::stopped() {
  const bool kept = !journal_ || journal_->close();
  const std::int64_t recorded = journal_ ? journal_->recordedCount() : 0;
  if (unreadable_ || !kept) {
    std::cerr << "bhsim: cannot " << (unreadable_ ? "read" : "write") << " the journal '" << journal_->path()
              << "'\n";
    return 3;
  }
  std::ostream& out = *options_.messages;
  out << "bhsim: interrupted: ";
  if (journal_) {
    out << recorded << " of " << points_.size() << " points are recorded in '" << journal_->path()
        << "'; run the same command with --resume to finish\n";
  } else {
    out << "stopped before all " << points_.size() << " points ran; nothing kept\n";
  }
  return interruptedStatus(stopSignal());
}

int GridRun::run() {
  if (const int status = openJournal()) return status;
  for (std::size_t i = 0; i < points_.size(); ++i)
    if (!journal_ || !journal_->recorded(points_[i])) toRun_.push_back(i);
  const int jobs = threadCount(options_.jobs);
  workers_ = static_cast<int>(std::clamp<std::int64_t>(static_cast<std::int64_t>(toRun_.size()), 1, jobs));
  innerJobs_ = std::max(1, jobs / workers_);
  if (!openOutputs()) {
    const bool table = table_ && !table_->good();
    std::cerr << "bhsim: cannot write '" << (table ? options_.tablePath : options_.jsonPath)
              << "': " << (table ? table_ : json_)->error() << "\n";
    if (journal_ && journal_->recordedCount() == 0) journal_->remove();  // nothing in it to resume
    return 3;
  }
  if (!options_.quiet && isatty(STDERR_FILENO) != 0) {
    progress_ = std::make_unique<GridProgress>(stderr, static_cast<std::int64_t>(toRun_.size()));
  }
  std::vector<std::thread> threads;
  for (int w = 0; w < workers_; ++w) threads.emplace_back([this] { work(); });
  bool complete = true;
  for (std::size_t i = 0; i < points_.size() && complete && outputsGood(); ++i) {
    const bool fresh = !journal_ || !journal_->recorded(points_[i]);
    PointRecord result;
    complete = nextResult(i, result);
    if (!complete) break;
    write(result);
    if (fresh) {
      steps_ += result.steps;
      ++ran_;
      if (progress_) progress_->update(ran_, steps_);
    }
  }
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;  // all written, interrupted, or an output failed: no worker takes up another point
  }
  changed_.notify_all();
  for (std::thread& thread : threads) thread.join();
  if (progress_) progress_->finish();
  return complete ? finish() : stopped();
}

}  // namespace

int runGrid(const GridOptions& options) {
  return GridRun(options).run();
}

}  // namespace bhsim
