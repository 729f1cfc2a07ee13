#pragma once

#include <cstdint>

#include "program/configuration_record.hpp"
#include "sim/loop_state.hpp"
#include "sim/orbit.hpp"
#include "sim/remnant.hpp"
#include "sim/revolution_watch.hpp"
#include "sim/run_parameters.hpp"

namespace bhsim {

class Program;

// One simulation run, from the press of "Start" to the restore of the fields. It lives inside
// onStartClicked and returns when the run is over (or the program has ended).
class Run {
 public:
  explicit Run(Program& program) : program_(program) {}
  void execute();

 private:
  enum class SetupOutcome { Integrate, EndRun, EndWait, Ended };
  enum class LoopOutcome { Completed, Stopped, Ended };

  void start();
  SetupOutcome buildConfiguration();
  void writeOrbitFields(const Orbit& orbit);
  void placeBodies(const Orbit& orbit, double angle);
  void writeDerivedFields();
  SetupOutcome pause();

  // The loop of each integrator: the fixed step's, and one for each adaptive stepper family.
  using Loop = LoopOutcome (Run::*)();
  static Loop loopOf(Integrator integrator);
  template <class Steppers>
  static constexpr auto loopsOf(Steppers steppers);
  template <class Family>
  LoopOutcome integrateWith();
  LoopOutcome integrate();
  LoopOutcome integrateFixed();
  template <class Family>
  LoopOutcome integrateAdaptively();
  template <class Integration>
  void takeSamplesThrough(const Integration& integration);
  template <class Integration>
  bool plotThrough(const Integration& integration);
  LoopOutcome passOverEvents();
  LoopOutcome finishConfiguration();
  LoopOutcome replay(const ConfigurationRecord& record);
  step::Crossing referenceStep();
  step::Crossing relativisticStep();
  step::Crossing fastSteps(const step::DirectionWatch& watch);
  void endConfiguration(bool stopped);
  void startSampling();
  void takeDueSamples();
  LoopOutcome markMerger();
  LoopOutcome takeRingdownSamples(const Remnant& remnant);
  void showMergerNote();
  void plot();
  void plotDots(LoopState& s, std::int64_t step);
  void refresh();
  bool refreshDue();
  void writeRevolution(bool timed);
  void publishProgress();

  void sweepEnd();
  bool endWait();
  void restore();

  Program& program_;
  RunParameters p_;
  std::int64_t ialpha_ = 0;
  std::int64_t stepsBefore_ = 0;        // steps of the configurations already integrated
  std::int64_t evaluationsBefore_ = 0;  // and their evaluations of the accelerations (adaptive steps)
  std::int64_t nextClockCheck_ = 0;
  std::int64_t timeLimitStep_ = 0;   // the first step past the total time, refreshed at; INT64_MAX: none
  std::int64_t sampleIndex_ = 0;     // the next strain sample, counted from 0 at the start
  std::int64_t nextSampleStep_ = 0;  // the step it is taken at; INT64_MAX when sampling is off
  std::int64_t nextDot_ = 0;         // adaptive steps: the next plot, at nextDot_ x kPlotPeriod x dt
  bool sampling_ = false;
  LoopState lastSampled_;  // the state the last strain sample was taken from
  double tmark_ = 0;
  double angle_ = 0;                         // sweep angle of the configuration being integrated
  void (*modelStep_)(LoopState&) = nullptr;  // the step of the run's gravity model, chosen per configuration
  LoopState s_;
};

}  // namespace bhsim
