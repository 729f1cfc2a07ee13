#include "batch/parallel_sweep.hpp"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "batch/interrupt.hpp"
#include "platform/scripted_platform.hpp"

namespace bhsim {
namespace {

using enum ControlId;

// Keeps what a worker's configuration leaves behind, from its start to its end.
class Recorder : public RunObserver, public ControlPanelObserver {
 public:
  Recorder(const Program& program, ConfigurationRecord& record) : program_(program), record_(record) {}

  void onConfigurationStart(int, double, const LoopState&) override { recording_ = true; }
  void onRevolution(int, const LoopState& state) override {
    record_.events.push_back({ConfigurationRecord::Event::Kind::Revolution, record_.revolutions.size()});
    record_.revolutions.push_back(state);
  }
  void onDot(int, std::int64_t step, int body, double x, double y) override {
    record_.events.push_back({ConfigurationRecord::Event::Kind::Dot, record_.dots.size()});
    record_.dots.push_back({step, body, x, y});
  }
  void onStrainSample(int, const StrainSample& sample) override {
    record_.events.push_back({ConfigurationRecord::Event::Kind::StrainSample, record_.samples.size()});
    record_.samples.push_back(sample);
  }
  void onConfigurationEnd(int, const LoopState& state, bool stopped) override;
  void controlChanged(ControlId id) override {
    if (recording_) lastWrite_[indexOf(id)] = ++writes_;
  }
  void windowChanged() override {}

 private:
  const Program& program_;
  ConfigurationRecord& record_;
  bool recording_ = false;
  std::uint64_t writes_ = 0;
  std::uint64_t lastWrite_[kControlCount] = {};
};

void Recorder::onConfigurationEnd(int, const LoopState& state, bool stopped) {
  recording_ = false;
  record_.finalState = state;
  record_.stopped = stopped;
  record_.canvas = program_.display.pixels();
  std::vector<ControlId> written;
  for (const ControlDesign& design : controlTable()) {
    if (lastWrite_[indexOf(design.id)] > 0) written.push_back(design.id);
  }
  std::sort(written.begin(), written.end(),
            [this](ControlId a, ControlId b) { return lastWrite_[indexOf(a)] < lastWrite_[indexOf(b)]; });
  for (ControlId id : written) record_.fields.emplace_back(id, program_.panel.text(id));
}

}  // namespace

std::int64_t sweepLength(double nalpha) {
  if (!(nalpha > 1)) return 1;
  if (!(nalpha < 9e18)) return INT64_MAX;
  return static_cast<std::int64_t>(std::ceil(nalpha));
}

ParallelSweep::ParallelSweep(const Program& program, int jobs, std::int64_t configurations, StopRequest* stop)
    : bodyCount_(program.runState.bodyCount),
      width_(program.display.Width()),
      height_(program.display.Height()),
      options_(program.options),
      configurations_(configurations),
      window_(2 * static_cast<std::int64_t>(jobs)),
      stop_(stop) {
  for (const ControlDesign& design : controlTable()) texts_.push_back(program.panel.text(design.id));
  options_.source = nullptr;
  for (int i = 0; i < jobs; ++i) workers_.emplace_back([this] { work(); });
}

ParallelSweep::~ParallelSweep() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

const ConfigurationRecord* ParallelSweep::take(std::int64_t k) {
  if (k < 0 || k >= configurations_) return nullptr;
  std::unique_lock lock(mutex_);
  wanted_ = k + 1;
  changed_.notify_all();
  while (done_.find(k) == done_.end()) {
    if (changed_.wait_for(lock, std::chrono::milliseconds(250)) == std::cv_status::timeout) {
      const std::int64_t finished = finished_, steps = finishedSteps_;
      lock.unlock();
      if (waitHook_) waitHook_(finished, steps);
      stopSignal(stop_);  // a stop asked now reaches the workers, which hand over what they have
      lock.lock();
    }
  }
  current_ = std::move(done_[k]);
  done_.erase(k);
  if (current_) replayedSteps_ += current_->finalState.stepCount;
  return current_.get();
}

ParallelSweep::Tally ParallelSweep::tally(std::int64_t runSteps) {
  std::lock_guard lock(mutex_);
  return {finished_, finishedSteps_ + abandonedSteps_ + (runSteps - replayedSteps_)};
}

void ParallelSweep::work() {
  for (;;) {
    std::int64_t k = 0;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock,
                    [this] { return stopping_ || (next_ < configurations_ && next_ < wanted_ + window_); });
      if (stopping_) return;
      k = next_++;
    }
    std::int64_t steps = 0;
    std::unique_ptr<ConfigurationRecord> record = integrate(k, steps);
    {
      std::lock_guard lock(mutex_);
      (record ? finishedSteps_ : abandonedSteps_) += steps;
      if (record) ++finished_;
      done_[k] = std::move(record);
    }
    changed_.notify_all();
  }
}

// Runs configuration k alone on a program of its own; nothing when it was not integrated (the sweep was
// abandoned, or the run is being stopped).
std::unique_ptr<ConfigurationRecord> ParallelSweep::integrate(std::int64_t k, std::int64_t& steps) {
  auto record = std::make_unique<ConfigurationRecord>();
  ScriptedPlatform platform;
  Program program(platform);
  for (const ControlDesign& design : controlTable())
    program.panel.setText(design.id, texts_[indexOf(design.id)]);
  program.runState.bodyCount = bodyCount_;
  program.display.setWidth(width_);
  program.display.setHeight(height_);
  program.options = options_;
  program.options.onlyConfiguration = k;
  Recorder recorder(program, *record);
  program.observer = &recorder;
  program.panel.addObserver(&recorder);
  ControlPanel& panel = program.panel;
  const RunPhase& phase = program.runState.phase;
  platform.when([&phase] { return phase == RunPhase::Paused; }, [&panel] { panel.userClick(StartButton); });
  platform.when([&phase] { return phase == RunPhase::EndWait; }, [&panel] { panel.userClick(StartButton); });
  platform.always([this, &panel, &phase] {
    if ((stopping_ || stopSignal(stop_) != 0) && phase == RunPhase::Integrating) panel.userClick(EndButton);
  });
  panel.userClick(StartButton);
  program.panel.removeObserver(&recorder);
  steps = program.runState.totalSteps;
  if (record->finalState.stepCount == 0 || record->stopped) return nullptr;
  return record;
}

}  // namespace bhsim
