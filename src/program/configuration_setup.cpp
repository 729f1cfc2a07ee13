#include <cmath>
#include <numbers>

#include "display/plotting.hpp"
#include "format/mask.hpp"
#include "format/number_text.hpp"
#include "format/truncate.hpp"
#include "program/program.hpp"
#include "program/run.hpp"
#include "sim/constants.hpp"
#include "sim/step.hpp"

namespace bhsim {

using enum ControlId;

namespace {

std::string maskedFrequency(double f) {
  std::string out;
  formatWithMask(f, "###.###", out);
  return out;
}

// A separation as shown: tenths up to 1000 km, whole kilometres above.
std::string distanceText(double d) {
  return numberText(d <= 1000 ? truncateTo(d, 1) : truncateTo(d, 0));
}

}  // namespace

Run::SetupOutcome Run::buildConfiguration() {
  RunState& state = program_.runState;
  const std::int64_t k = ialpha_;
  program_.display.clear();
  program_.display.setNote("");
  const double angle = p_.alphamin + p_.dalpha * static_cast<double>(k);
  angle_ = angle;
  program_.write(AngleMinField, numberText(angle));
  ialpha_ = k + 1;
  state.configurationsBuilt = ialpha_;

  const Orbit orbit = computeOrbit(p_, state.bodyCount);
  if (orbit.kind == Orbit::Case::Distance && !orbit.abandoned)
    program_.write(FrequencyField, maskedFrequency(orbit.f));
  if (orbit.abandoned) return SetupOutcome::EndWait;
  writeOrbitFields(orbit);
  placeBodies(orbit, angle);
  writeDerivedFields();
  if (k == 0) {
    const SetupOutcome outcome = pause();
    if (outcome != SetupOutcome::Integrate) return outcome;
  } else {
    // as after the first configuration's pause, also for a run of this configuration alone (a parallel
    // sweep's worker), which Stop must reach
    state.phase = RunPhase::Integrating;
  }
  // each pair's least separation starts from its own separation at the set-up
  s_.minDist12 = s_.dist12;
  s_.minDist13 = s_.dist13;
  s_.minDist23 = s_.dist23;
  s_.stepCount = s_.revolutionCount = s_.crossingStep = 0;
  return SetupOutcome::Integrate;
}

// The clamp's mass and the speed ratio, in the frequency and distance cases.
void Run::writeOrbitFields(const Orbit& orbit) {
  if (orbit.kind == Orbit::Case::Speed) return;
  if (orbit.massRecomputed) program_.write(Mass1Field, numberText(truncateTo(orbit.BH1, 1)));
  program_.write(SpeedRatioField, numberText(truncateTo(orbit.vc, 3)));
}

void Run::placeBodies(const Orbit& o, double angle) {
  RunState& state = program_.runState;
  LoopState& s = s_;
  s = LoopState{};
  s.alpha = angle >= 360 ? 0 : angle;
  s.bodiesInPlay = state.bodyCount;
  s.endCode = EndCode::None;
  s.phi = s.alpha;
  s.m1 = o.m1;
  s.m2 = o.m2;
  s.m3 = o.m3;
  s.dmu1 = o.dmu1;
  s.dmu2 = o.dmu2;
  s.stepsPerRevolution = p_.stepsPerRevolution;
  s.bodyCount = state.bodyCount;
  s.revolutionLimit = state.revolutionLimit;
  s.timeLimit = state.timeLimit;
  s.gravity = p_.gravity;
  s.variableStep = isAdaptive(p_.integrator);
  using std::numbers::pi;
  const double a = (s.alpha * pi) / 180;
  s.x1 = std::cos(pi + a) * o.rcm1;
  s.y1 = std::sin(pi + a) * o.rcm1;
  s.vx1 = std::cos(pi / 2 + (pi + a)) * o.v1;
  s.vy1 = std::sin(pi / 2 + (pi + a)) * o.v1;
  s.x2 = std::cos(a) * o.rcm2;
  s.y2 = std::sin(a) * o.rcm2;
  s.vx2 = std::cos(pi / 2 + a) * o.v2;
  s.vy2 = std::sin(pi / 2 + a) * o.v2;
  s.x3 = 4 * o.rcm2;
  s.y3 = 0;
  s.vx3 = s.vy3 = 0;
  state.x1 = s.x1;
  state.y1 = s.y1;
  state.x2 = s.x2;
  state.y2 = s.y2;
  state.xmax = state.bodyCount == 3 ? p_.xmaxf * o.rcm2 : 1.1 * o.rcm2;
  state.ymax = state.xmax;
  state.xmin = -state.xmax;
  state.ymin = state.xmin;
  s.revolutionTime = o.revolutionTime;
  s.dt = o.dt;
}

void Run::writeDerivedFields() {
  RunState& state = program_.runState;
  LoopState& s = s_;
  program_.write(RevolutionTimeField, numberText(truncateTo(s.revolutionTime, 4)));
  program_.write(TimeStepField, numberText(truncateTo(1000000 * s.dt, 4)));
  s.v1 = std::sqrt(s.vx1 * s.vx1 + s.vy1 * s.vy1);
  s.v2 = std::sqrt(s.vx2 * s.vx2 + s.vy2 * s.vy2);
  s.v3 = std::sqrt(s.vx3 * s.vx3 + s.vy3 * s.vy3);
  program_.write(Speed2Field, numberText(s.v2));
  program_.write(Speed1Field, numberText(s.v1));
  program_.write(Speed3Field, numberText(s.v3));
  s.dist12 = step::measure(s.x1, s.y1, s.x2, s.y2).d;
  s.dist13 = step::measure(s.x1, s.y1, s.x3, s.y3).d;
  s.dist23 = step::measure(s.x2, s.y2, s.x3, s.y3).d;
  program_.write(Distance12Field, distanceText(s.dist12));
  program_.write(Distance13Field, distanceText(s.dist13));
  program_.write(Distance23Field, distanceText(s.dist23));
  s.f = 1 / s.revolutionTime;
  program_.write(FrequencyField, maskedFrequency(s.f));
  for (ControlId id : {MinDistance12Field, MinDistance13Field, MinDistance23Field, CentreDistance1Field,
                       CentreDistance2Field, CentreDistance3Field})
    program_.write(id, "");
  const double d = s.dist12;
  s.rcm1 = (s.m2 * d) / (s.m1 + s.m2);
  if (d != 0) {
    s.xcm = s.x1 + (s.rcm1 * (s.x2 - s.x1)) / d;
    s.ycm = s.y1 + (s.rcm1 * (s.y2 - s.y1)) / d;
  } else {
    s.xcm = s.x1;
    s.ycm = s.y1;
  }
  plotDisc(state, program_.display, s.xcm, -s.ycm, paletteColor(1), 0);
}

Run::SetupOutcome Run::pause() {
  RunState& state = program_.runState;
  ControlPanel& panel = program_.panel;
  state.setupChanged = false;
  state.editsEnabled = true;
  state.phase = RunPhase::Paused;
  panel.setText(StartButton, "Cont");
  state.answer = UserAnswer::None;
  do {
    program_.platform.waitEvents();
    if (program_.ended()) return SetupOutcome::Ended;
  } while (state.answer == UserAnswer::None && !state.setupChanged);
  state.editsEnabled = false;
  if (state.answer == UserAnswer::EndRun || state.setupChanged) return SetupOutcome::EndRun;
  state.phase = RunPhase::Integrating;
  panel.setVisible(StartButton, false);
  panel.setText(EndButton, "Stop");
  panel.setVisible(AngleStepLabel, false);
  panel.setVisible(AngleStepField, false);
  panel.setVisible(PhiLabel, true);
  panel.setVisible(PhiField, true);
  panel.setText(RevolutionsLabel, "n rev  " + numberText(state.revolutionLimit));
  return SetupOutcome::Integrate;
}

}  // namespace bhsim
