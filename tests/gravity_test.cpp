// Post-Newtonian gravity against the closed forms of the literature (PHYSICS.md): the N-body 1PN
// acceleration of a pair against the two-body formula, Peters' inspiral time, a circular 1PN orbit, the
// 1PN periastron advance; the default pair's merger; the Newtonian default unchanged to the byte.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "sim/constants.hpp"
#include "sim/energy.hpp"
#include "sim/orbit.hpp"
#include "sim/relativistic_step.hpp"
#include "support.hpp"

namespace bhsim::testing {
namespace {

using gravity::Body;
using gravity::Vec2;
const double kPi = 4 * std::atan(1.0);
const double kMass1 = 36 * GM, kMass2 = 29 * GM, kTotal = kMass1 + kMass2;

GravityModel named(std::string_view name) {
  return gravityModelNamed(name).value();
}
const GravityModel kFirstOrder = named("1pn"), kFirstOrderRadiating = named("1pn+2.5pn"),
                   kRadiating = named("2.5pn");

// Steps `s` under its model.
void advance(LoopState& s) {
  step::stepOf(s.gravity)(s);
}

// The default masses in their centre-of-mass frame, black hole 2 at (r, 0) from black hole 1 moving
// at (0, v) relative to it.
LoopState pair(GravityModel model, double r, double v, double dt) {
  LoopState s;
  s.gravity = model, s.bodiesInPlay = 2, s.m1 = kMass1, s.m2 = kMass2, s.dt = dt, s.pi = kPi;
  s.x1 = -(kMass2 / kTotal) * r, s.x2 = (kMass1 / kTotal) * r;
  s.vy1 = -(kMass2 / kTotal) * v, s.vy2 = (kMass1 / kTotal) * v;
  return s;
}

// The circular orbit of `frequency` Hz that the set-up builds, without mass change.
LoopState circularPair(GravityModel model, double frequency, double stepsPerRevolution) {
  RunParameters p;
  p.BH1 = 36, p.BH2 = 29, p.f = frequency, p.stepsPerRevolution = stepsPerRevolution, p.gravity = model;
  const Orbit o = computeOrbit(p, 2, kPi);
  return pair(model, o.dist, o.v1 + o.v2, o.dt);
}

double separation(const LoopState& s) {
  return std::hypot(s.x2 - s.x1, s.y2 - s.y1);
}

TEST(PostNewtonian, TheNBodyAccelerationOfAPairIsTheTwoBodyFormula) {
  std::mt19937_64 random(18);
  std::uniform_real_distribution<double> unit(-1, 1);
  for (int i = 0; i < 30; ++i) {
    const double r = (700 + 3000 * (unit(random) + 1)), v = std::sqrt(kTotal / r);
    const Vec2 x{r * unit(random), r * unit(random)}, dv{v * unit(random), v * unit(random)};
    // the centre-of-mass frame: body 1 at (m2/m) x, body 2 at -(m1/m) x
    const Body pair[2] = {{(kMass2 / kTotal) * x, (kMass2 / kTotal) * dv, kMass1},
                          {(-kMass1 / kTotal) * x, (-kMass1 / kTotal) * dv, kMass2}};
    for (GravityModel model : {kFirstOrder, kFirstOrderRadiating}) {
      Vec2 a[2], newton[2];
      gravity::accelerations(model, pair, a);
      gravity::accelerations(GravityModel::Newtonian, pair, newton);
      const Vec2 expected = gravity::binaryRelativeAcceleration(model, x, dv, kMass1, kMass2);
      const Vec2 got = a[0] - a[1], relativistic = expected - (newton[0] - newton[1]);
      const double size = std::sqrt(gravity::dot(expected, expected));
      EXPECT_GT(std::sqrt(gravity::dot(relativistic, relativistic)), 1e-3 * size);  // a real 1PN part
      EXPECT_LT(std::hypot(got.x - expected.x, got.y - expected.y), 1e-13 * size) << i;
    }
  }
}

TEST(PostNewtonian, RadiationReactionHalvesTheSeparationInPetersTime) {
  // 2.5pn from 5 Hz (2060 km), 10^4 steps a revolution
  LoopState s = circularPair(kRadiating, 5, 1e4);
  const double a0 = separation(s);
  EXPECT_NEAR(a0, 2060, 1);
  do {
    advance(s);
  } while (s.endCode == EndCode::None && s.dist12 > a0 / 2);  // dist12: the separation at the step's start
  const auto peters = [&](double a) {
    return (5.0 / 256) * std::pow(c, 5) * std::pow(a, 4) / (kMass1 * kMass2 * kTotal);
  };
  EXPECT_NEAR(s.dt * static_cast<double>(s.stepCount - 1) / (peters(a0) - peters(a0 / 2)), 1, 0.01);
}

// The largest relative change of the 1PN energy over `revolutions` and the spread of the separation.
std::pair<double, double> circularRun(double stepsPerRevolution, int revolutions) {
  LoopState s = circularPair(kFirstOrder, 5, stepsPerRevolution);
  const double e0 = modelEnergy(s), a0 = separation(s);
  double energy = 0, low = a0, high = a0;
  for (std::int64_t i = 0; i < static_cast<std::int64_t>(stepsPerRevolution) * revolutions; ++i) {
    advance(s);
    low = std::min(low, separation(s)), high = std::max(high, separation(s));
    energy = std::max(energy, std::fabs(modelEnergy(s) - e0) / std::fabs(e0));
  }
  EXPECT_EQ(s.endCode, EndCode::None);
  return {energy, (high - low) / a0};
}

TEST(PostNewtonian, ACircular1pnOrbitKeepsItsSeparationAndItsEnergyToFirstOrder) {
  // the set-up's orbit has PHYSICS.md's frequency to first order in x = G m / (r c^2) (the orbit of the
  // equations integrated differs by about 5 x^2)
  const LoopState s = circularPair(kFirstOrder, 5, 1);
  const double r = separation(s), x = kTotal / (r * c * c), omega = 2 * kPi * 5;
  const double nu = kMass1 * kMass2 / (kTotal * kTotal);
  EXPECT_NEAR(omega * omega * r * r * r / kTotal, 1 - (3 - nu) * x, 6 * x * x);
  EXPECT_LT(circularRun(1e5, 100).second, 1e-4);
  const double coarse = circularRun(1e3, 10).first, fine = circularRun(1e4, 10).first;
  EXPECT_NEAR(coarse / fine, 10, 1);
}

TEST(PostNewtonian, TheEccentricOrbitAdvancesItsPeriastronAsTheClosedFormSays) {
  // a = 100 G m / c^2, e = 0.3 built at periastron with Newton's speed; a and e measured on the 1PN orbit
  const double a = 100 * kTotal / (c * c), e = 0.3, steps = 1e5;
  const double rp = a * (1 - e), period = 2 * kPi * std::sqrt(a * a * a / kTotal);
  LoopState s = pair(kFirstOrder, rp, std::sqrt(kTotal * (1 + e) / rp), period / steps);
  std::vector<double> periastra;  // the direction of each periastron, unwrapped
  double before = rp, last = rp, low = rp, high = rp, lastAngle = 0, turns = 0;
  while (periastra.size() < 5) {
    advance(s);
    const double r = separation(s), raw = std::atan2(s.y2 - s.y1, s.x2 - s.x1);
    if (raw + turns < lastAngle - kPi) turns += 2 * kPi;
    if (last < before && last <= r) periastra.push_back(lastAngle);
    before = last, last = r, lastAngle = raw + turns, low = std::min(low, r), high = std::max(high, r);
  }
  const double advance = (periastra.back() - periastra.front()) / 4 - 2 * kPi;
  const double p = 2 * low * high / (low + high);  // a (1 - e^2) of the orbit integrated
  EXPECT_NEAR(advance / (6 * kPi * kTotal / (c * c * p)), 1, 0.01);
}

TEST(PostNewtonian, TheDefaultPairMergesWithinItsFirstRevolution) {
  {
    Harness h;
    h.program.options.gravity = kRadiating;
    h.configure(2);
    h.run();
    ASSERT_EQ(h.recorder.ends.size(), 1u);
    EXPECT_EQ(h.recorder.ends[0].reason, EndReason::Merger12);
    EXPECT_LT(h.recorder.ends[0].stepCount, h.program.value(MaxCountField));
    EXPECT_LT(h.recorder.ends[0].dist12, 6 * (h.recorder.ends[0].m1 + h.recorder.ends[0].m2) / (c * c));
  }
}

TEST(GravityCli, AnUnknownModelIsRefusedAndAGridSweepsTheModel) {
  const Outcome bad = bhsim("--batch --gravity 2pn");
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("newtonian, 1pn, 1pn+2.5pn, 2.5pn"), std::string::npos) << bad.err;
  const std::string table = scratch("gravity.csv").string();
  const Outcome grid = bhsim(
      "--batch --bh 2 --quiet --refresh-every 1000 --sweep gravity=newtonian,2.5pn Tnrev=1 --json - "
      "--table " +
      table);
  ASSERT_EQ(grid.status, 0) << grid.err;
  const auto rows = readCsv(table);
  ASSERT_EQ(rows.size(), 3u);  // the header and one row a model
  EXPECT_EQ(rows[0][1], "gravity");
  EXPECT_EQ(std::tuple(rows[1][1], rows[1][6]), std::tuple("newtonian", "revolutions"));
  EXPECT_EQ(std::tuple(rows[2][1], rows[2][6]), std::tuple("2.5pn", "merger12"));
  EXPECT_NE(grid.out.find(R"("gravity":"2.5pn")"), std::string::npos);
}

std::uint64_t fnv1a(const std::string& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325;
  for (unsigned char byte : bytes) hash = (hash ^ byte) * 0x100000001b3;
  return hash;
}

TEST(PostNewtonian, TheNewtonianDefaultRunsAreThoseOfTheProgramBeforeTheModels) {
  // FNV-1a of the JSON, table, trace and PNG written by the program as it was before the models came
  const std::uint64_t before[3][4] = {
      {0x398fa8a0ad6b448f, 0x7852dcb17d7faa53, 0x2379ab831e467e49, 0x3e860e23b5c05bd0},
      {0xc2297a52f0b9fe46, 0xc81aefae83af3348, 0x44c38f9a530b2a91, 0x80b00ac495f068d6},
      {0x88790accf2c47cc9, 0x7b88c7df6fd852fc, 0xeac88aecd459dd5b, 0xa4f263ce3ac58d54}};
  for (int n = 1; n <= 3; ++n) {
    const std::string files[4] = {scratch("d.json").string(), scratch("d.csv").string(),
                                  scratch("d.trace").string(), scratch("d.png").string()};
    ASSERT_EQ(bhsim("--batch --bh " + std::to_string(n) + " --refresh-every 5000 --quiet --json " + files[0] +
                    " --table " + files[1] + " --trace " + files[2] + " --png " + files[3])
                  .status,
              0);
    for (int f = 0; f < 4; ++f) EXPECT_EQ(fnv1a(slurp(files[f])), before[n - 1][f]) << n << " " << files[f];
  }
}

}  // namespace
}  // namespace bhsim::testing
