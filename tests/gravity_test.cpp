// Post-Newtonian gravity in the program (docs/physics.md): the N-body accelerations of a pair against
// the two-body formulas under every model, Peters' inspiral time, the circular orbits of the set-up and
// their revolution time, the 1PN periastron advance; the table of models by name, and a grid over them in
// which the default pair merges within its first revolution under the reaction alone; orbits a model does
// not have refused in batch; the program before the new terms unchanged to the byte.
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
const double kMass1 = 36 * kSolarGM, kMass2 = 29 * kSolarGM, kTotal = kMass1 + kMass2;

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
  s.gravity = model, s.bodiesInPlay = 2, s.m1 = kMass1, s.m2 = kMass2, s.dt = dt;
  s.x1 = -(kMass2 / kTotal) * r, s.x2 = (kMass1 / kTotal) * r;
  s.vy1 = -(kMass2 / kTotal) * v, s.vy2 = (kMass1 / kTotal) * v;
  return s;
}

// The circular orbit of `frequency` Hz that the set-up builds, without mass change.
LoopState circularPair(GravityModel model, double frequency, double stepsPerRevolution) {
  RunParameters p;
  p.BH1 = 36, p.BH2 = 29, p.f = frequency, p.stepsPerRevolution = stepsPerRevolution, p.gravity = model;
  const Orbit o = computeOrbit(p, 2);
  return pair(model, o.dist, o.v1 + o.v2, o.dt);
}

double separation(const LoopState& s) {
  return std::hypot(s.x2 - s.x1, s.y2 - s.y1);
}

// At any positions and velocities of a pair in its centre-of-mass frame, the N-body acceleration is the
// two-body formula, and the N-body energy and the two-body one the reduced mass times docs/physics.md's
// energy per unit reduced mass (Newton's: kinetic plus -m1 m2 / r).
TEST(PostNewtonian, TheNBodyAccelerationAndEnergyOfAPairAreTheTwoBodyForms) {
  std::mt19937_64 random(18);
  std::uniform_real_distribution<double> unit(-1, 1);
  const double nu = kMass1 * kMass2 / (kTotal * kTotal), reduced = kMass1 * kMass2 / kTotal;
  for (int i = 0; i < 30; ++i) {
    const double r = (700 + 3000 * (unit(random) + 1)), v = std::sqrt(kTotal / r), angle = kPi * unit(random);
    // outside the merger separation (576 km), inside which the terms beyond first order have no say
    const Vec2 x{r * std::cos(angle), r * std::sin(angle)}, dv{v * unit(random), v * unit(random)};
    // the centre-of-mass frame: body 1 at (m2/m) x, body 2 at -(m1/m) x
    const Body pair[2] = {{(kMass2 / kTotal) * x, (kMass2 / kTotal) * dv, kMass1},
                          {(-kMass1 / kTotal) * x, (-kMass1 / kTotal) * dv, kMass2}};
    for (const GravityModelRow& row : kGravityModels) {
      const GravityModel model = row.model;
      if (model.conservativeOrder() == 0) continue;  // the reaction alone is below the tolerance
      Vec2 a[2], newton[2];
      gravity::accelerations(model, pair, a);
      gravity::accelerations(GravityModel::Newtonian, pair, newton);
      const Vec2 expected = gravity::binaryRelativeAcceleration(model, x, dv, kMass1, kMass2);
      const Vec2 got = a[0] - a[1], relativistic = expected - (newton[0] - newton[1]);
      const double size = std::sqrt(gravity::dot(expected, expected));
      EXPECT_GT(std::sqrt(gravity::dot(relativistic, relativistic)), 1e-3 * size);  // a real 1PN part
      EXPECT_LT(std::hypot(got.x - expected.x, got.y - expected.y), 1e-13 * size) << row.name << " " << i;
    }
    const double d = std::hypot(x.x, x.y), v2 = gravity::dot(dv, dv), rdot = gravity::dot(x, dv) / d;
    const double g = kTotal / d, newton = 0.5 * v2 - g;
    const double firstOrder =
        0.375 * (1 - 3 * nu) * v2 * v2 + (g / 2) * ((3 + nu) * v2 + nu * rdot * rdot) + g * g / 2;
    const double energy[] = {newton, newton + firstOrder / (kLightSpeed * kLightSpeed)};
    const GravityModel models[] = {GravityModel::Newtonian, kFirstOrder};
    for (int m = 0; m < 2; ++m) {  // of the bodies, and of their relative motion per unit reduced mass
      EXPECT_NEAR(gravity::conservedEnergy(models[m], pair), reduced * energy[m], 1e-13 * reduced * g);
      EXPECT_NEAR(gravity::binarySpecificEnergy(models[m], x, dv, kMass1, kMass2), energy[m], 1e-13 * g);
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
    return (5.0 / 256) * std::pow(kLightSpeed, 5) * std::pow(a, 4) / (kMass1 * kMass2 * kTotal);
  };
  EXPECT_NEAR(s.dt * static_cast<double>(s.stepCount - 1) / (peters(a0) - peters(a0 / 2)), 1, 0.01);
}

// The largest relative change of the model's energy over `revolutions` at 5 Hz and the spread of the
// separation.
std::pair<double, double> circularRun(GravityModel model, double stepsPerRevolution, int revolutions) {
  LoopState s = circularPair(model, 5, stepsPerRevolution);
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

// The set-up's circular orbits are those of the equations the step integrates: the separation stays
// under every conservative set, and the energy's change falls with the step (at 1PN as the step, to
// first order; with the 2PN and 3PN terms faster).
TEST(PostNewtonian, TheCircularOrbitsOfTheSetUpKeepTheirSeparationAndTheirEnergy) {
  // at 1PN the orbit has the textbook frequency to first order in x = G m / (r c^2) (the orbit of the
  // equations integrated differs by about 5 x^2)
  const LoopState s = circularPair(kFirstOrder, 5, 1);
  const double r = separation(s), x = kTotal / (r * kLightSpeed * kLightSpeed), omega = 2 * kPi * 5;
  const double nu = kMass1 * kMass2 / (kTotal * kTotal);
  EXPECT_NEAR(omega * omega * r * r * r / kTotal, 1 - (3 - nu) * x, 6 * x * x);
  for (const char* model : {"1pn", "1pn+2pn", "1pn+2pn+3pn"}) {
    EXPECT_LT(circularRun(named(model), 1e5, 20).second, 1e-4) << model;
    const double coarse = circularRun(named(model), 1e3, 10).first,
                 fine = circularRun(named(model), 1e4, 10).first;
    EXPECT_GT(coarse / fine, 9) << model;
  }
}

TEST(PostNewtonian, TheEccentricOrbitAdvancesItsPeriastronAsTheClosedFormSays) {
  // a = 100 G m / c^2, e = 0.3 built at periastron with Newton's speed; a and e measured on the 1PN orbit
  const double a = 100 * kTotal / (kLightSpeed * kLightSpeed), e = 0.3, steps = 1e5;
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
  EXPECT_NEAR(advance / (6 * kPi * kTotal / (kLightSpeed * kLightSpeed * p)), 1, 0.01);
}

// The set-up of a 1PN orbit of f Hz: its revolution time 1/f, and a time step of 1/f over "Max count";
// under 1pn the pair then revolves once in 1/f seconds, "Max count" steps.
TEST(PostNewtonian, TheSetUpOfAnOrbitOfFHertzTakesOneOverFSecondsARevolution) {
  for (GravityModel model : {kFirstOrder, kFirstOrderRadiating}) {
    Harness h(model);
    h.configure(
        2, kSteadyMasses + Fields{{FrequencyField, "5"}, {MaxCountField, "1000"}, {RevolutionsField, "1"}});
    std::string revolutionTime, timeStep;
    h.onPhase(RunPhase::Paused,
              [&] { revolutionTime = h.text(RevolutionTimeField), timeStep = h.text(TimeStepField); });
    h.run();
    ASSERT_EQ(h.recorder.starts.size(), 1u);
    EXPECT_NEAR(h.recorder.starts[0].dt, 0.2 / 1000, 1e-12);
    EXPECT_NEAR(std::stod(revolutionTime), 0.2, 2e-4);  // "Rev time" in s, cut to four decimals
    EXPECT_NEAR(std::stod(timeStep), 200, 2e-4);        // "delta t" in microseconds, cut likewise
    if (model != kFirstOrder) continue;
    ASSERT_EQ(h.recorder.revolutions.size(), 1u);
    EXPECT_NEAR(static_cast<double>(h.recorder.revolutions[0].revolutionSteps), 1000, 1);
  }
}

// Every row by its name and short name, any set of terms in any order; a set the table lacks is no model.
TEST(GravityModels, AreNamedByTheirTermsInAnyOrder) {
  for (const GravityModelRow& row : kGravityModels) {
    EXPECT_EQ(gravityModelNamed(row.name), row.model) << row.name;
    EXPECT_EQ(gravityModelName(row.model), row.name);
    if (!row.shortName.empty()) {
      EXPECT_EQ(gravityModelNamed(row.shortName), row.model) << row.shortName;
    }
  }
  EXPECT_EQ(gravityModelNamed("2.5pn+1pn"), gravityModelNamed("1pn+2.5pn"));
  EXPECT_EQ(gravityModelNamed("3.5pn+2.5pn+3pn+2pn+1pn"), gravityModelNamed("full"));
  EXPECT_EQ(gravityModelNamed("merger"), gravityModelNamed("1pn+2pn+2.5pn"));
  for (const char* none :
       {"2pn", "1pn+3pn", "2.5pn+3.5pn", "1pn+3.5pn", "1pn+1pn", "1pn+", "+1pn", "1PN", ""})
    EXPECT_EQ(gravityModelNamed(none), std::nullopt) << none;
}

// A grid sweeps the model beside another field: a row a point; at 33 Hz the default pair merges within its
// first revolution under the reaction alone, and the remnant's columns are filled after the merger (36 + 29
// solar masses recoil at 60.8 km/s) and empty otherwise; the orbit a model does not
// have is a refused point, its row aligned, and the grid goes on; the table merges.
TEST(GravityCli, AnUnknownModelIsRefusedAndAGridSweepsTheModel) {
  const Outcome bad = bhsim("--batch --gravity 2pn");
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("newtonian, 1pn, 1pn+2.5pn, 2.5pn, 1pn+2pn, "), std::string::npos) << bad.err;
  EXPECT_NE(bad.err.find(", merger, full"), std::string::npos) << bad.err;
  EXPECT_NE(bhsim("--batch --help").out.find("  1pn+2pn+3pn+2.5pn+3.5pn, full\n"), std::string::npos);
  const std::string table = path("gravity.csv");
  const Outcome grid = bhsim(
      "--batch --bh 2 --quiet --refresh-every 1000 --sweep Tfreq=33,10 --sweep "
      "gravity=newtonian,2.5pn,merger "
      "Tnrev=1 --json - --table " +
      table);
  EXPECT_EQ(grid.status, 1) << grid.err;
  EXPECT_NE(grid.out.find(R"("gravity":"1pn+2pn+2.5pn")"), std::string::npos);
  EXPECT_NE(grid.out.find(R"("refused":"33 Hz is above the highest circular orbit outside)"),
            std::string::npos);
  const auto rows = readCsv(table);
  ASSERT_EQ(rows.size(), 7u);  // the header and one row a point
  EXPECT_EQ(std::tuple(rows[0][1], rows[0][2], rows[0].back()), std::tuple("Tfreq", "gravity", "kick_kms"));
  const char* reasons[] = {"revolutions", "merger12", "refused", "revolutions", "revolutions", "revolutions"};
  for (std::size_t p = 1; p < rows.size(); ++p) {
    EXPECT_EQ(rows[p][7], reasons[p - 1]) << rows[p][1] << " " << rows[p][2];
    EXPECT_EQ(rows[p].back().empty(), p != 2) << rows[p][1] << " " << rows[p][2];
  }
  EXPECT_NEAR(std::stod(rows[2].back()), 60.8, 0.1);
  EXPECT_NE(slurp(table).find("\n2,33,merger,,,0,,refused" + std::string(16, ',') + "\n"), std::string::npos);
  ran("--merge " + path("gravity_merged.csv") + " " + table);
}

// An orbit a model does not have is refused before anything changes, with one line naming the limit for
// these masses. The limits are independent figures: the highest frequency of a circular 1PN orbit for
// 36 + 29 solar masses, 20.19 Hz at 5.81 G m / c², from ω² = (G m / r³)(1 - (4 + 2ν)x)/(1 - (1 + 3ν)x);
// 6 G m / c² = 575.9 km; there Newton's law gives 33.8 Hz and the 2PN orbit 31.7 Hz (u = x (1 + A)
// solved by hand for u = (v/c)²); the fastest 1PN orbit has black hole 2 at v/c 0.147.
TEST(GravityCli, AnOrbitTheModelDoesNotHaveIsRefusedWithItsLimit) {
  const std::pair<std::string, std::string> cases[] = {
      {"--gravity 1pn+2.5pn",
       "33 Hz is above the highest circular orbit of 1PN + 2.5PN gravity for 36 + 29 solar masses (20.2 Hz)"},
      {"--gravity merger",
       "33 Hz is above the highest circular orbit outside the merger separation of 1PN + 2PN + 2.5PN gravity "
       "for 36 + 29 solar masses (31.7 Hz at 575.9 km)"},
      {"--gravity 2.5pn Tfreq=40",
       "40 Hz is above the highest circular orbit outside the merger separation of 2.5PN gravity for 36 + 29 "
       "solar masses (33.8 Hz at 575.9 km)"},
      {"--gravity 1pn Tfreq= Tdist01=500",
       "500 km is inside the merger separation of 1PN gravity for 36 + 29 solar masses (575.9 km)"},
      {"--gravity 1pn Tfreq= Tvc=.2",
       "v/c 0.2 is above the fastest circular orbit of 1PN gravity for 36 + 29 solar masses (v/c 0.147)"}};
  for (const auto& [args, line] : cases) {
    const Outcome o = bhsim("--batch --bh 2 --quiet --json - " + args);
    EXPECT_EQ(o.status, 1) << args;
    EXPECT_EQ(o.err, "bhsim: run refused: " + line + "\n");
    EXPECT_NE(o.out.find(R"("refused": ")" + line + '"'), std::string::npos) << o.out;
  }
}

// Black hole 3 placed beside a heavy black hole 2 starts inside their merger separation and merges at the
// first step; the terms beyond first order, meaningless there, must not throw it out of all bounds first
// (it would then be captured faster than light and the run fill its table and strain with numbers that
// are none).
TEST(PostNewtonian, ABlackHole3StartingInsideItsMergerSeparationMergesWithFiniteNumbers) {
  const std::string table = path("inside.csv"), strain = path("inside.strain.csv");
  for (const char* model : {"merger", "full"}) {
    ran(std::string("--batch --quiet --bh 3 --gravity ") + model +
        " TBH1=1 TBH2=80 TBH3=40 Tfreq=5.5 Tmaxcount=2000 Tnrev=0 Ttotaltime=.02 Talphamax=0 --refresh-every "
        "500 "
        "--table " +
        table + " --strain " + strain);
    const auto rows = readCsv(table);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][4], "merger12") << model;
    EXPECT_GE(std::stod(rows[1][7]), 120) << model;  // black hole 3 went into black hole 2
    EXPECT_EQ(std::tuple(nonFiniteCell(table), nonFiniteCell(strain)), std::tuple("", "")) << model;
  }
}

std::uint64_t fnv1a(const std::string& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325;
  for (unsigned char byte : bytes) hash = (hash ^ byte) * 0x100000001b3;
  return hash;
}

// FNV-1a of what the program wrote before the 2PN, 3PN and 3.5PN terms came (JSON, table, trace, PNG,
// strain): the Newtonian default runs of one, two and three black holes (those of the program before the
// models but for the tables of one and two black holes, which leave black hole 3's four columns empty:
// checked by a diff against the old program's tables, nothing else in them differs), the models it had
// (with the remnant's columns, the ringdown and the merger's ring already), and the strain of Newtonian
// runs (whose accelerations now come from the same functions as the models').
TEST(PostNewtonian, TheNewtonianRunsAndTheFirstModelsAreThoseOfTheProgramBeforeTheNewTerms) {
  const std::string inspiral = "--bh 2 Tdm1=0 Tdm2=0 Tmaxcount=100000 Tnrev=0 --refresh-every 100000 ";
  const struct {
    std::string args;
    std::uint64_t hashes[5];  // 0: not compared
  } runs[] = {
      {"--bh 1 --refresh-every 5000",
       {0x398fa8a0ad6b448f, 0x6d465bafa481c311, 0x2379ab831e467e49, 0x3e860e23b5c05bd0}},
      {"--bh 2 --refresh-every 5000",
       {0xc2297a52f0b9fe46, 0x1d06d3739ed81363, 0x44c38f9a530b2a91, 0x80b00ac495f068d6, 0x4fdbbff11663a198}},
      {"--bh 3 --refresh-every 5000",
       {0x88790accf2c47cc9, 0x7b88c7df6fd852fc, 0xeac88aecd459dd5b, 0xa4f263ce3ac58d54}},
      {inspiral + "--gravity 1pn+2.5pn Tfreq=17.5 Ttotaltime=1",
       {0x65b271d29edfb7b4, 0x53ee61b2c205a18d, 0x7175e0a662261410, 0xd71d99285c67e14d, 0x75053765588365bd}},
      {inspiral + "--gravity 1pn Tfreq=5 Ttotaltime=0.05",
       {0x14bd8e6e5741c948, 0x3842c23d98a019fb, 0x014403a2601f4117, 0x898f621eea25447a, 0x6c882ff64ea5f05d}},
      {"--bh 3 --gravity 2.5pn --refresh-every 5000 --max-steps 300000",
       {0x92367fb64e981206, 0xc9e340724b3139f0, 0x245b47a075739bb4, 0xe7feaf4481438924, 0x725f281b5589763b}},
      {inspiral + "--gravity 2.5pn Tfreq=10 Ttotaltime=0.02", {0, 0, 0, 0, 0x87dc0b5b80b47a14}},
      {"--bh 3 --refresh-every 5000 --max-steps 300000", {0, 0, 0, 0, 0x6f162f19aac09774}}};
  const std::string files[5] = {path("m.json"), path("m.csv"), path("m.trace"), path("m.png"),
                                path("m.strain")};
  for (const auto& run : runs) {
    for (const std::string& file : files) std::filesystem::remove(file);
    if (run.hashes[0] != 0) {
      ran("--batch --quiet " + run.args + " --json " + files[0] + " --table " + files[1] + " --trace " +
          files[2] + " --png " + files[3]);
    }
    if (run.hashes[4] != 0) {
      ran("--batch --quiet " + run.args + " --strain " + files[4]);
    }
    for (int f = 0; f < 5; ++f)
      EXPECT_TRUE(run.hashes[f] == 0 || fnv1a(slurp(files[f])) == run.hashes[f])
          << run.args << " " << files[f];
  }
}

}  // namespace
}  // namespace bhsim::testing
