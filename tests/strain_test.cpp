// The gravitational waves: the quadrupole strain against the closed forms of a circular binary and the
// batch's strain file of a circular run; the remnant of a merger of black holes 1 and 2 and its ringdown,
// the fits against the simulations and perturbation theory behind them and against their limits, and what
// the batch writes after a merger.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <nlohmann/json.hpp>

#include "program/strain_sampling.hpp"
#include "sim/constants.hpp"
#include "sim/remnant.hpp"
#include "support.hpp"

namespace bhsim::testing {
namespace {

using Json = nlohmann::json;

const double kM1 = 36 * kSolarGM, kM2 = 29 * kSolarGM, kDistance = 410 * 3.0856775814913673e19;

// h0 = 4 (G m1)(G m2) / (c^4 a D)
double circularAmplitude(double a) {
  return 4 * kM1 * kM2 / (std::pow(kLightSpeed, 4) * a * kDistance);
}

TEST(Strain, ACircularBinaryGivesTheClosedFormsAtEveryPhaseAndInclination) {
  const double a = 1000, omega = std::sqrt((kM1 + kM2) / (a * a * a)), h0 = circularAmplitude(a);
  for (double inclination : {0.0, 60.0}) {
    for (double phase : {0.0, 0.3, 1.9, 4.0}) {
      // black hole 1 at m2/m a along the phase, black hole 2 opposite; the pair drifts and sits off the
      // origin
      LoopState s;
      const double ux = std::cos(phase), uy = std::sin(phase), drift = 5000, offset = 1e4;
      const double r[2] = {kM2 / (kM1 + kM2) * a, -kM1 / (kM1 + kM2) * a};
      s.x1 = offset + r[0] * ux, s.y1 = r[0] * uy, s.x2 = offset + r[1] * ux, s.y2 = r[1] * uy;
      s.vx1 = drift - omega * r[0] * uy, s.vy1 = omega * r[0] * ux;
      s.vx2 = drift - omega * r[1] * uy, s.vy2 = omega * r[1] * ux;
      s.m1 = kM1, s.m2 = kM2, s.bodiesInPlay = 2;
      const BodyMotions motions = motionsAtSample(s);
      ASSERT_EQ(motions.count, 2);
      for (int i = 0; i < 2; ++i) {  // centripetal: -omega^2 r
        EXPECT_NEAR(motions.bodies[i].ax, -omega * omega * r[i] * ux, 1e-12 * omega * omega * a);
        EXPECT_NEAR(motions.bodies[i].ay, -omega * omega * r[i] * uy, 1e-12 * omega * omega * a);
      }
      const double cosine = std::cos(inclination * kPi / 180);
      const Strain h = quadrupoleStrain(motions.inPlay(), {kDistance, inclination * kPi / 180});
      EXPECT_NEAR(h.plus, -h0 * (1 + cosine * cosine) / 2 * std::cos(2 * phase), 1e-12 * h0) << phase;
      EXPECT_NEAR(h.cross, -h0 * cosine * std::sin(2 * phase), 1e-12 * h0) << phase;
    }
  }
}

// A strain file's samples seen face on: h+ - i hx, each over its inclination's factor; every sample is
// checked to be of configuration 1 and taken 1/4096 s after the one before, from 0.
std::vector<std::complex<double>> faceOnStrain(const std::string& path, double inclinationDeg) {
  const double cosine = std::cos(inclinationDeg * kPi / 180);
  const auto rows = readCsv(path);
  std::vector<std::complex<double>> h;
  for (std::size_t k = 1; k < rows.size(); ++k) {
    if (rows[k][0] != "1" || std::stod(rows[k][1]) != static_cast<double>(k - 1) / 4096) {
      ADD_FAILURE() << path << ": row " << k << " is at " << rows[k][0] << ", " << rows[k][1];
      return {};
    }
    h.emplace_back(std::stod(rows[k][2]) / ((1 + cosine * cosine) / 2), -std::stod(rows[k][3]) / cosine);
  }
  return h;
}

// The frequency of h+ from its zero crossings (each interpolated between samples 1/4096 s apart) from
// sample `first` on.
double crossingFrequency(const std::vector<std::complex<double>>& h, std::size_t first = 0) {
  std::vector<double> crossings;
  for (std::size_t k = first + 1; k < h.size(); ++k) {
    const double before = h[k - 1].real(), now = h[k].real();
    if ((before < 0) != (now < 0))
      crossings.push_back((static_cast<double>(k) - now / (now - before)) / 4096);
  }
  return static_cast<double>(crossings.size() - 1) / (2 * (crossings.back() - crossings.front()));
}

TEST(Strain, TheBatchRecordsACircularRunEveryQuarterMillisecondAtTheAmplitudeAndTwiceTheOrbitFrequency) {
  const std::string file = path("strain.csv"), table = path("strain_table.csv");
  const double omega = 2 * kPi * 33, h0 = circularAmplitude(std::cbrt((kM1 + kM2) / (omega * omega)));
  for (const double inclination : {0.0, 60.0}) {
    const Outcome o = ran("--batch --bh 2 Tdm1=0 Tdm2=0 --refresh-every 5000 --json - --table " + table +
                          " --strain " + file + " --inclination-deg " + std::to_string(inclination));
    EXPECT_EQ(Json::parse(o.out)["strain"],
              Json::parse(R"({"rate_hz": 4096, "distance_mpc": 410, "inclination_deg": )" +
                          std::to_string(inclination) +
                          R"(, "gravity": "newtonian", "sampled_at": )"
                          R"("first step at or past each sample time"})"));
    ASSERT_EQ(readCsv(file).at(0), (std::vector<std::string>{"configuration", "t_s", "h_plus", "h_cross"}));
    const auto h = faceOnStrain(file, inclination);
    const double simulated = std::stod(readCsv(table).at(1).at(3));
    ASSERT_EQ(h.size(), 1 + static_cast<std::size_t>(std::floor(simulated * 4096)));
    for (std::size_t k = 0; k < h.size(); ++k) ASSERT_NEAR(std::abs(h[k]), h0, 1e-4 * h0) << k;
    EXPECT_NEAR(crossingFrequency(h), 2 * 33, 1e-3 * 2 * 33);
  }
}

double radiatedFraction(double m1, double m2) {
  return 1 - remnantOf(m1 * kSolarGM, m2 * kSolarGM)->mass / ((m1 + m2) * kSolarGM);
}

TEST(Remnant, GW150914sPairLeavesTheBlackHoleTheDetectorsMeasured) {
  const Remnant r = *remnantOf(36 * kSolarGM, 29 * kSolarGM);
  // Abbott et al., Phys. Rev. Lett. 116 (2016) 061102 and 241102: 62 +-4, spin 0.67 +0.05 -0.07, 3.0 +-0.5
  EXPECT_NEAR(r.mass / kSolarGM, 62, 4);
  EXPECT_NEAR(r.spin, 0.66, 0.06);
  EXPECT_NEAR(65 - r.mass / kSolarGM, 3.0, 0.5);
  // the formulas worked by hand for nu = 1044/4225: 61.92, 0.6801, 60.8 km/s
  EXPECT_NEAR(r.mass / kSolarGM, 61.924, 0.001);
  EXPECT_NEAR(r.spin, 0.6801, 0.0001);
  EXPECT_NEAR(r.kick, 60.77, 0.01);
  // only the mass ratio matters: twice the masses, twice the remnant, the same spin and recoil
  const Remnant twice = *remnantOf(72 * kSolarGM, 58 * kSolarGM);
  EXPECT_EQ(std::tuple(twice.mass / r.mass, twice.spin, twice.kick), std::tuple(2.0, r.spin, r.kick));
}

TEST(Remnant, EqualMassesMatchTheSimulationAndASmallMassPlungesFromTheInnermostOrbit) {
  // Scheel et al., Phys. Rev. D 79 (2009) 024003: spin 0.68646, final mass 0.95162 m; no recoil by symmetry
  const Remnant equal = *remnantOf(30 * kSolarGM, 30 * kSolarGM);
  EXPECT_NEAR(equal.spin, 0.68646, 0.001);
  EXPECT_NEAR(radiatedFraction(30, 30), 1 - 0.95162, 0.001);
  EXPECT_EQ(equal.kick, 0);
  // A test mass: spin 2 sqrt(3) nu, the orbital angular momentum at 6 G m / c^2, and energy (1 - sqrt(8/9))
  // nu radiated, its binding energy there; both fits leave an error linear in nu.
  const auto errors = [](double q) {  // of spin / nu and of radiated / nu
    const double nu = q / ((1 + q) * (1 + q));
    return std::pair{remnantOf(kSolarGM, q * kSolarGM)->spin / nu - 2 * std::sqrt(3.0),
                     radiatedFraction(1, q) / nu - (1 - std::sqrt(8.0 / 9))};
  };
  EXPECT_NEAR(errors(0.01).first / errors(0.005).first, 2, 0.05);
  EXPECT_NEAR(errors(0.01).second / errors(0.005).second, 2, 0.05);
  EXPECT_LT(std::fabs(errors(0.005).first), 0.02);
}

TEST(Remnant, TheRecoilPeaksWhereTheSimulationsFoundIts175KilometresASecond) {
  // Gonzalez et al., Phys. Rev. Lett. 98 (2007) 091101: 175.2 +- 11 km/s at nu = 0.195 +- 0.005
  double largest = 0, where = 0;
  for (double q = 0.2; q <= 1; q += 0.0005) {
    const double kick = remnantOf(kSolarGM, q * kSolarGM)->kick;
    EXPECT_EQ(kick, remnantOf(q * kSolarGM, kSolarGM)->kick);
    if (kick > largest) largest = kick, where = q / ((1 + q) * (1 + q));
  }
  EXPECT_NEAR(largest, 175.2, 11);
  EXPECT_NEAR(where, 0.195, 0.005);
  const double inf = INFINITY;
  for (auto [m1, m2] :
       {std::pair{0.0, kSolarGM}, {-kSolarGM, 2 * kSolarGM}, {kSolarGM, inf}, {NAN, kSolarGM}})
    EXPECT_FALSE(remnantOf(m1, m2).has_value()) << m1 << " " << m2;
}

TEST(Ringdown, TheFitsHoldToThePerturbationTheoryOfSchwarzschildAndKerr) {
  // the fit's own Schwarzschild limit, and the exact modes: Leaver (1985) 0.37367 - 0.08896 i at spin 0,
  // 0.52398 - 0.08151 i at spin 0.68 (Q = Re / (2 |Im|))
  EXPECT_NEAR(ringdownFrequencyFit(0), 0.3683, 1e-6);
  EXPECT_NEAR(ringdownQualityFit(0), 2.12, 0.005);  // to the figure given
  EXPECT_NEAR(ringdownFrequencyFit(0) / 0.37367, 1, 0.02);
  EXPECT_NEAR(ringdownQualityFit(0) / (0.37367 / (2 * 0.08896)), 1, 0.02);
  EXPECT_NEAR(ringdownFrequencyFit(0.68) / 0.52398, 1, 0.01);
  EXPECT_NEAR(ringdownQualityFit(0.68) / (0.52398 / (2 * 0.08151)), 1, 0.01);
  // 36 + 29 solar masses: 274.8 Hz and 3.71 ms worked by hand; twice the masses ring an octave lower, twice
  // as long
  const RingdownMode mode = ringdownMode(*remnantOf(36 * kSolarGM, 29 * kSolarGM));
  EXPECT_NEAR(mode.angularFrequency / (2 * kPi), 274.83, 0.03);
  EXPECT_NEAR(mode.dampingTime, 3.7126e-3, 1e-7);
  const RingdownMode twice = ringdownMode(*remnantOf(72 * kSolarGM, 58 * kSolarGM));
  EXPECT_NEAR(mode.angularFrequency / twice.angularFrequency, 2, 1e-12);
  EXPECT_NEAR(twice.dampingTime / mode.dampingTime, 2, 1e-12);
}

TEST(Ringdown, AfterAMergerTheStrainRingsOnAtTheRemnantsFrequencyForTenDampingTimes) {
  const double frequency = 274.83, dampingTime = 3.7126e-3, dt = 1.0 / 4096;
  const std::string strain = path("ringdown.csv"), table = path("ringdown_table.csv");
  for (const auto& [gravity, inclination] : {std::pair{"1pn+2.5pn", 0.0}, {"2.5pn", 60.0}}) {
    // 36 + 29 solar masses from a 35 Hz wave
    const Outcome o =
        ran(std::string("--batch --bh 2 Tfreq=17.5 Tdm1=0 Tdm2=0 Tnrev=0 Ttotaltime=1 --quiet ") +
            "--refresh-every 10000 --gravity " + gravity + " --json - --table " + table + " --strain " +
            strain + " --inclination-deg " + std::to_string(inclination));
    const auto rows = readCsv(table);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1][4], "merger12");
    const double merged = std::stod(rows[1][3]);
    const auto h = faceOnStrain(strain, inclination);                            // one rate throughout
    const std::size_t last = static_cast<std::size_t>(std::floor(merged / dt));  // the inspiral's last sample
    ASSERT_EQ(h.size() - 1 - last, static_cast<std::size_t>(std::floor(10 * dampingTime / dt))) << gravity;
    // Continuous: the first ringdown sample is the last inspiral sample turned on by omega dt in the sense
    // the orbit turned it, and shrunk by exp(-dt / tau).
    const std::complex<double> step = h[last + 1] / h[last];
    EXPECT_NEAR(std::abs(step), std::exp(-dt / dampingTime), 1e-3);
    EXPECT_NEAR(std::arg(step), -2 * kPi * frequency * dt, 1e-3);
    EXPECT_LT(std::arg(h[last] / h[last - 1]), 0);  // the inspiral turned the same way
    // the frequency from the zero crossings of h+, and the decay time of the envelope |h|
    EXPECT_NEAR(crossingFrequency(h, last) / frequency, 1, 0.01) << gravity;
    double sumT = 0, sumLog = 0, sumTT = 0, sumTLog = 0;
    const std::size_t count = h.size() - last;
    for (std::size_t k = last; k < h.size(); ++k) {
      const double t = static_cast<double>(k) * dt, log = std::log(std::abs(h[k]));
      sumT += t, sumLog += log, sumTT += t * t, sumTLog += t * log;
    }
    const double slope = (count * sumTLog - sumT * sumLog) / (count * sumTT - sumT * sumT);
    EXPECT_NEAR(-1 / slope / dampingTime, 1, 0.02) << gravity;
    // the table and the JSON carry the same remnant under the same names
    ASSERT_EQ(rows[0].size(), 21u);
    EXPECT_EQ(rows[0][18] + rows[0][19] + rows[0][20], "remnant_msunremnant_spinkick_kms");
    const Json remnant = Json::parse(o.out)["remnant"];
    EXPECT_EQ(remnant.at(0)["configuration"], 1);
    for (std::size_t c = 18; c < 21; ++c)
      EXPECT_EQ(std::stod(rows[1][c]), remnant[0][rows[0][c]].get<double>());
  }
}

// A thousand times the masses ring a thousand times as long, 152,000 samples: the ringdown passes over
// the events as the loop does, and Stop cuts it short (the merger stays the configuration's end) or End
// ends the program there.
TEST(Ringdown, ALongRingdownHearsStopAndEnd) {
  for (bool stop : {true, false}) {
    Harness h(named("1pn+2.5pn"));
    h.program.options.strain = {4096, {410 * kKmPerMpc, 0}};
    h.configure(2, {{Mass1Field, "36000"}, {Mass2Field, "29000"}, {FrequencyField, ".0175"}}, 10000);
    h.type(TotalTimeField, "1000");
    h.platform.when([&] { return h.recorder.strainSamples > 400000; },
                    [&] { stop ? h.click(EndButton) : h.platform.endProgram(); });
    h.run();
    EXPECT_LT(h.recorder.strainSamples, 400000 + 1000);  // inspiral 343,700, ringdown 152,000
    EXPECT_EQ(h.program.ended(), !stop);
    ASSERT_EQ(h.recorder.ends.size(), stop ? 1u : 0u);  // End ends it before the configuration's end
    for (const LoopState& end : h.recorder.ends) EXPECT_EQ(end.reason, EndReason::Merger12);
  }
}

}  // namespace
}  // namespace bhsim::testing
