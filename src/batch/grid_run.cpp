#include "batch/grid_run.hpp"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <thread>

#include "batch/batch_output.hpp"
#include "batch/batch_run.hpp"
#include "batch/progress.hpp"
#include "output/output_file.hpp"
#include "sim/gravity_model.hpp"

namespace bhsim {
namespace {

// What one grid point leaves for the outputs.
struct PointResult {
  std::string tableRows;
  std::string jsonLine;
  std::string refusal;  // empty when the point ran
  std::int64_t steps = 0;
};

// The table row of a refused point: its columns, steps 0 and the end reason; the rest empty.
std::string refusedRow(const std::string& prefix) {
  std::string row = prefix + ",,,0,,refused";
  const auto columns =
      std::count(kTableHeader, kTableHeader + std::char_traits<char>::length(kTableHeader), ',');
  row.append(static_cast<std::size_t>(columns - 4), ',');
  return row + '\n';
}

class GridRun {
 public:
  explicit GridRun(const BatchOptions& options);
  int run();

 private:
  PointResult runPoint(std::int64_t point) const;
  void work();
  bool openOutputs();
  bool outputsGood() const;
  void write(std::int64_t point, const PointResult& result);

  const BatchOptions& options_;
  Grid grid_;
  std::vector<std::int64_t> points_;  // the points of this shard, in order
  int workers_ = 1;
  int innerJobs_ = 1;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::size_t, PointResult> done_;
  std::size_t next_ = 0;    // the next point a worker takes up (index into points_)
  std::size_t wanted_ = 0;  // the next point the writer writes

  std::unique_ptr<OutputFile> table_, json_;
  bool refused_ = false;
};

GridRun::GridRun(const BatchOptions& options) : options_(options), grid_(options.sweeps) {
  for (std::int64_t p = options.shardIndex - 1; p < grid_.size(); p += options.shardCount)
    points_.push_back(p);
  const int jobs = threadCount(options);
  workers_ = static_cast<int>(std::clamp<std::int64_t>(static_cast<std::int64_t>(points_.size()), 1, jobs));
  innerJobs_ = std::max(1, jobs / workers_);
}

PointResult GridRun::runPoint(std::int64_t point) const {
  BatchOptions o = options_;
  o.sweeps.clear();
  o.jsonPath.clear();
  o.tablePath.clear();
  o.quiet = true;
  o.jobs = innerJobs_;
  const std::vector<std::string> texts = grid_.texts(point);
  std::string prefix = std::to_string(point);
  for (std::size_t a = 0; a < texts.size(); ++a) {
    if (grid_.axes()[a].gravity) {
      o.gravity = gravityModelNamed(texts[a]);
    } else {
      o.fields.emplace_back(grid_.axes()[a].field, texts[a]);
    }
    prefix += "," + texts[a];
  }
  std::ostringstream rows;
  const BatchResult result = runBatch(o, {&rows, prefix + ","});
  PointResult out;
  out.refusal = result.refusal;
  out.steps = result.steps;
  out.tableRows = result.status == 0 ? rows.str() : refusedRow(prefix);
  if (!options_.jsonPath.empty()) {
    nlohmann::ordered_json line = {{"point", point}};
    for (std::size_t a = 0; a < texts.size(); ++a) line[axisName(grid_.axes()[a])] = texts[a];
    line.update(resultJson(result));
    out.jsonLine = line.dump() + "\n";
  }
  return out;
}

void GridRun::work() {
  const std::size_t window = 4 * static_cast<std::size_t>(workers_);
  for (;;) {
    std::size_t i = 0;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] { return next_ >= points_.size() || next_ < wanted_ + window; });
      if (next_ >= points_.size()) return;
      i = next_++;
    }
    PointResult result = runPoint(points_[i]);
    {
      std::lock_guard lock(mutex_);
      done_[i] = std::move(result);
    }
    changed_.notify_all();
  }
}

bool GridRun::openOutputs() {
  if (!options_.tablePath.empty()) {
    table_ = std::make_unique<OutputFile>(options_.tablePath);
    std::string header = grid_.commentLine() + "\npoint";
    for (const SweepAxis& axis : grid_.axes()) header += "," + axisName(axis);
    table_->stream() << header << ',' << kTableHeader << '\n';
    if (!table_->good()) return false;
  }
  if (!options_.jsonPath.empty() && options_.jsonPath != "-") {
    json_ = std::make_unique<OutputFile>(options_.jsonPath);
    if (!json_->good()) return false;
  }
  return true;
}

void GridRun::write(std::int64_t point, const PointResult& result) {
  if (table_) table_->stream() << result.tableRows;
  if (json_) {
    json_->stream() << result.jsonLine;
  } else if (!options_.jsonPath.empty()) {
    std::cout << result.jsonLine << std::flush;
  }
  if (!result.refusal.empty()) {
    refused_ = true;
    std::cerr << "bhsim: point " << point << " refused: " << result.refusal << "\n";
  }
}

bool GridRun::outputsGood() const {
  if (table_ && !table_->good()) return false;
  if (json_) return json_->good();
  return options_.jsonPath.empty() || std::cout.good();
}

int GridRun::run() {
  if (!openOutputs()) {
    std::cerr << "bhsim: cannot write '"
              << (table_ && !table_->good() ? options_.tablePath : options_.jsonPath) << "'\n";
    return 3;
  }
  std::unique_ptr<GridProgress> progress;
  if (!options_.quiet && isatty(STDERR_FILENO) != 0) {
    progress = std::make_unique<GridProgress>(stderr, static_cast<std::int64_t>(points_.size()));
  }
  std::vector<std::thread> threads;
  for (int w = 0; w < workers_; ++w) threads.emplace_back([this] { work(); });
  std::int64_t steps = 0;
  for (std::size_t i = 0; i < points_.size(); ++i) {
    PointResult result;
    {
      std::unique_lock lock(mutex_);
      while (done_.find(i) == done_.end()) {
        changed_.wait_for(lock, std::chrono::milliseconds(250));
        if (progress) progress->update(static_cast<std::int64_t>(i), steps);
      }
      result = std::move(done_[i]);
      done_.erase(i);
      wanted_ = i + 1;
    }
    changed_.notify_all();
    steps += result.steps;
    write(points_[i], result);
    if (progress) progress->update(static_cast<std::int64_t>(i + 1), steps);
    if (!outputsGood()) break;
  }
  {
    std::lock_guard lock(mutex_);
    next_ = points_.size();  // after a failed output, no worker takes up another point
  }
  changed_.notify_all();
  for (std::thread& thread : threads) thread.join();
  if (progress) progress->finish();
  for (const auto& [file, path] :
       {std::pair{table_.get(), options_.tablePath}, std::pair{json_.get(), options_.jsonPath}}) {
    if (file != nullptr && !file->commit()) {
      std::cerr << "bhsim: cannot write '" << path << "': " << file->error() << "\n";
      return 3;
    }
  }
  if (!options_.jsonPath.empty() && !json_ && !std::cout.good()) {
    std::cerr << "bhsim: cannot write JSON to standard output\n";
    return 3;
  }
  return refused_ ? 1 : 0;
}

}  // namespace

int runGrid(const BatchOptions& options) {
  return GridRun(options).run();
}

}  // namespace bhsim
