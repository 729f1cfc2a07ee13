#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "control/control_table.hpp"
#include "sim/gravity_model.hpp"
#include "sim/integrator.hpp"

namespace bhsim {

class StopRequest;

// Steps between two refreshes of the fields when --refresh-every is not given (about 1 % of the step's
// time); the fields also refresh at the first step past the total time.
inline constexpr std::int64_t kDefaultRefreshEvery = 10000;
// Above a million strain samples a second the samples would fall on the same steps over and over.
inline constexpr double kMaxStrainRate = 1e6;
// The most threads a run's sweep or a grid may be given.
inline constexpr int kMaxJobs = 1024;

// One headless run: what it is given and what it writes.
struct BatchOptions {
  int bodyCount = 1;
  std::int64_t refreshEvery = 0;  // 0: kDefaultRefreshEvery, and a refresh at the total time
  std::optional<std::int64_t> maxSteps;
  std::string jsonPath;  // "-" for standard output
  std::string tracePath;
  std::string pngPath;
  std::string tablePath;
  // --gravity; Newtonian (and no JSON key) when not given
  std::optional<GravityModel> gravity;
  // --integrator; the semi-implicit Euler step (and no JSON key) when not given
  std::optional<Integrator> integrator;
  // --tolerance: the error per step of an adaptive integrator (kDefaultTolerance when not given)
  std::optional<double> tolerance;
  std::string strainPath;
  double strainRate = 4096;   // samples a second of simulated time
  double distanceMpc = 410;   // the observer of the strain: distance ...
  double inclinationDeg = 0;  // ... and the angle of the line of sight to the orbit's normal
  int jobs = 0;               // threads for the configurations of its angle sweep; 0: one per core
  bool quiet = false;
  std::vector<std::pair<ControlId, std::string>> fields;  // FIELD=TEXT, in the order given
  // What stops the run beside the process's signals (a program that runs it); none for the command line
  StopRequest* stop = nullptr;
};

// The threads --jobs asks for: N, or one per core for 0.
int threadCount(int jobs);

}  // namespace bhsim
