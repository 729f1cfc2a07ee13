#include <cmath>

#include "display/plotting.hpp"
#include "format/number_text.hpp"
#include "format/truncate.hpp"
#include "format/usingx.hpp"
#include "program/program.hpp"
#include "program/run.hpp"
#include "sim/constants.hpp"

namespace bhsim {

using enum ControlId;

namespace {

std::string maskedFrequency(double f) {
  std::string out;
  USINGX(f, "###.###", out);
  return out;
}

// A separation as shown: tenths up to 1000 km, whole kilometres above.
std::string distanceText(double d) {
  return numberText(d <= 1000 ? truncateTo(d, 1) : truncateTo(d, 0));
}

double pairDistance(double xa, double ya, double xb, double yb) {
  const double dx = xa - xb;
  const double dy = ya - yb;
  return std::sqrt(dx * dx + dy * dy);
}

}  // namespace

Run::SetupOutcome Run::buildConfiguration() {
  Module1& m = program_.module;
  const std::int64_t k = ialpha_;
  program_.form2.clear();
  const double angle = p_.alphamin + p_.dalpha * static_cast<double>(k);
  angle_ = angle;
  program_.write(Talphamin, numberText(angle));
  ialpha_ = k + 1;
  m.configurationsBuilt = ialpha_;

  const Orbit orbit = computeOrbit(p_, m.nBH, Pi_);
  if (orbit.kind == Orbit::Case::Distance && !orbit.abandoned)
    program_.write(Tfreq, maskedFrequency(orbit.f));
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
    m.phase = RunPhase::Integrating;
  }
  s_.d12 = s_.d13 = s_.d23 = s_.dist12;
  s_.cnt = s_.nrevcnt = s_.cntrev = 0;
  return SetupOutcome::Integrate;
}

// The clamp's mass and the speed ratio, in the frequency and distance cases.
void Run::writeOrbitFields(const Orbit& orbit) {
  if (orbit.kind == Orbit::Case::Speed) return;
  if (orbit.massRecomputed) program_.write(TBH1, numberText(truncateTo(orbit.BH1, 1)));
  program_.write(Tvc, numberText(truncateTo(orbit.vc, 3)));
}

void Run::placeBodies(const Orbit& o, double angle) {
  Module1& m = program_.module;
  LoopState& s = s_;
  s = LoopState{};
  s.alpha = angle >= 360 ? 0 : angle;
  s.nstars = m.nBH;
  s.end1 = 0;
  s.phi = s.alpha;
  s.m0 = o.m0;
  s.m1 = o.m1;
  s.m2 = o.m2;
  s.dmu0 = o.dmu0;
  s.dmu1 = o.dmu1;
  s.maxcount = p_.maxcount;
  s.nBH = m.nBH;
  s.nrev0 = m.nrev0;
  s.Tott0 = m.Tott0;
  s.Pi = Pi_;
  s.gravity = p_.gravity;
  const double Pi = Pi_;
  const double a = (s.alpha * Pi) / 180;
  s.x0 = std::cos(Pi + a) * o.rcm0;
  s.y0 = std::sin(Pi + a) * o.rcm0;
  s.vx0 = std::cos(Pi / 2 + (Pi + a)) * o.v0;
  s.vy0 = std::sin(Pi / 2 + (Pi + a)) * o.v0;
  s.x1 = std::cos(a) * o.rcm1;
  s.y1 = std::sin(a) * o.rcm1;
  s.vx1 = std::cos(Pi / 2 + a) * o.v1;
  s.vy1 = std::sin(Pi / 2 + a) * o.v1;
  s.x2 = 4 * o.rcm1;
  s.y2 = 0;
  s.vx2 = s.vy2 = 0;
  m.x0 = s.x0;
  m.y0 = s.y0;
  m.x1 = s.x1;
  m.y1 = s.y1;
  m.xmax = m.nBH == 3 ? p_.xmaxf * o.rcm1 : 1.1 * o.rcm1;
  m.ymax = m.xmax;
  m.xmin = -m.xmax;
  m.ymin = m.xmin;
  s.Revtime = o.Revtime;
  s.dt = o.dt;
}

void Run::writeDerivedFields() {
  Module1& m = program_.module;
  LoopState& s = s_;
  program_.write(TTrev, numberText(truncateTo(s.Revtime, 4)));
  program_.write(Tdt, numberText(truncateTo(1000000 * s.dt, 4)));
  s.v0 = std::sqrt(s.vx0 * s.vx0 + s.vy0 * s.vy0);
  s.v1 = std::sqrt(s.vx1 * s.vx1 + s.vy1 * s.vy1);
  s.v2 = std::sqrt(s.vx2 * s.vx2 + s.vy2 * s.vy2);
  program_.write(Tv1, numberText(s.v1));
  program_.write(Tv0, numberText(s.v0));
  program_.write(Tv2, numberText(s.v2));
  s.dist01 = pairDistance(s.x0, s.y0, s.x1, s.y1);
  s.dist02 = pairDistance(s.x0, s.y0, s.x2, s.y2);
  s.dist12 = pairDistance(s.x1, s.y1, s.x2, s.y2);
  program_.write(Tdist01, distanceText(s.dist01));
  program_.write(Tdist02, distanceText(s.dist02));
  program_.write(Tdist12, distanceText(s.dist12));
  s.f = 1 / s.Revtime;
  program_.write(Tfreq, maskedFrequency(s.f));
  for (ControlId id : {Tdist01min, Tdist02min, Tdist12min, Td1, Td2, Td3}) program_.write(id, "");
  const double d = s.dist01;
  s.rcm0 = (s.m1 * d) / (s.m0 + s.m1);
  if (d != 0) {
    s.xcm = s.x0 + (s.rcm0 * (s.x1 - s.x0)) / d;
    s.ycm = s.y0 + (s.rcm0 * (s.y1 - s.y0)) / d;
  } else {
    s.xcm = s.x0;
    s.ycm = s.y0;
  }
  CircleSet(m, program_.form2, s.xcm, -s.ycm, QBColor(1), 0);
}

Run::SetupOutcome Run::pause() {
  Module1& m = program_.module;
  Form1& form1 = program_.form1;
  m.SetupChanged = 0;
  m.EditsEnabled = 1;
  m.phase = RunPhase::Paused;
  form1.setText(CommandStart, "Cont");
  m.answer = UserAnswer::None;
  do {
    program_.platform.waitEvents();
    if (program_.ended()) return SetupOutcome::Ended;
  } while (m.answer == UserAnswer::None && m.SetupChanged != 1);
  m.EditsEnabled = 0;
  if (m.answer == UserAnswer::EndRun || m.SetupChanged == 1) return SetupOutcome::EndRun;
  m.phase = RunPhase::Integrating;
  form1.setVisible(CommandStart, false);
  form1.setText(CommandEnd, "Stop");
  form1.setVisible(Ldalpha, false);
  form1.setVisible(Tdalpha, false);
  form1.setVisible(Lphi, true);
  form1.setVisible(Tphi, true);
  form1.setText(Lnrev, "n rev  " + numberText(m.nrev0));
  return SetupOutcome::Integrate;
}

}  // namespace bhsim
