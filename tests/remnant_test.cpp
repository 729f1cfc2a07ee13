// The remnant of a merger of black holes 1 and 2 and its ringdown: the fits against the simulations and
// perturbation theory behind them and against their limits, and what the batch writes after a merger.
#include "sim/remnant.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <nlohmann/json.hpp>

#include "sim/constants.hpp"
#include "support.hpp"

namespace bhsim::testing {
namespace {

using Json = nlohmann::json;

double radiatedFraction(double m1, double m2) {
  return 1 - remnantOf(m1 * GM, m2 * GM)->mass / ((m1 + m2) * GM);
}

TEST(Remnant, GW150914sPairLeavesTheBlackHoleTheDetectorsMeasured) {
  const Remnant r = *remnantOf(36 * GM, 29 * GM);
  // Abbott et al., Phys. Rev. Lett. 116 (2016) 061102 and 241102: 62 +-4, spin 0.67 +0.05 -0.07, 3.0 +-0.5
  EXPECT_NEAR(r.mass / GM, 62, 4);
  EXPECT_NEAR(r.spin, 0.66, 0.06);
  EXPECT_NEAR(65 - r.mass / GM, 3.0, 0.5);
  // the formulas worked by hand for nu = 1044/4225: 61.92, 0.6801, 60.8 km/s
  EXPECT_NEAR(r.mass / GM, 61.924, 0.001);
  EXPECT_NEAR(r.spin, 0.6801, 0.0001);
  EXPECT_NEAR(r.kick, 60.77, 0.01);
  // only the mass ratio matters: twice the masses, twice the remnant, the same spin and recoil
  const Remnant twice = *remnantOf(72 * GM, 58 * GM);
  EXPECT_EQ(std::tuple(twice.mass / r.mass, twice.spin, twice.kick), std::tuple(2.0, r.spin, r.kick));
}

TEST(Remnant, EqualMassesMatchTheSimulationAndASmallMassPlungesFromTheInnermostOrbit) {
  // Scheel et al., Phys. Rev. D 79 (2009) 024003: spin 0.68646, final mass 0.95162 m; no recoil by symmetry
  const Remnant equal = *remnantOf(30 * GM, 30 * GM);
  EXPECT_NEAR(equal.spin, 0.68646, 0.001);
  EXPECT_NEAR(radiatedFraction(30, 30), 1 - 0.95162, 0.001);
  EXPECT_EQ(equal.kick, 0);
  // A test mass: spin 2 sqrt(3) nu, the orbital angular momentum at 6 G m / c^2, and energy (1 - sqrt(8/9))
  // nu radiated, its binding energy there; both fits leave an error linear in nu.
  const auto errors = [](double q) {  // of spin / nu and of radiated / nu
    const double nu = q / ((1 + q) * (1 + q));
    return std::pair{remnantOf(GM, q * GM)->spin / nu - 2 * std::sqrt(3.0),
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
    const double kick = remnantOf(GM, q * GM)->kick;
    EXPECT_EQ(kick, remnantOf(q * GM, GM)->kick);
    if (kick > largest) largest = kick, where = q / ((1 + q) * (1 + q));
  }
  EXPECT_NEAR(largest, 175.2, 11);
  EXPECT_NEAR(where, 0.195, 0.005);
  const double inf = INFINITY;
  for (auto [m1, m2] : {std::pair{0.0, GM}, {-GM, 2 * GM}, {GM, inf}, {NAN, GM}})
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
  const RingdownMode mode = ringdownMode(*remnantOf(36 * GM, 29 * GM));
  EXPECT_NEAR(mode.angularFrequency / (2 * 4 * std::atan(1.0)), 274.83, 0.03);
  EXPECT_NEAR(mode.dampingTime, 3.7126e-3, 1e-7);
  const RingdownMode twice = ringdownMode(*remnantOf(72 * GM, 58 * GM));
  EXPECT_NEAR(mode.angularFrequency / twice.angularFrequency, 2, 1e-12);
  EXPECT_NEAR(twice.dampingTime / mode.dampingTime, 2, 1e-12);
}

TEST(Ringdown, AfterAMergerTheStrainRingsOnAtTheRemnantsFrequencyForTenDampingTimes) {
  const double pi = 4 * std::atan(1.0), frequency = 274.83, dampingTime = 3.7126e-3, dt = 1.0 / 4096;
  const std::string strain = scratch("ringdown.csv").string(), table = scratch("ringdown_table.csv").string();
  for (const auto& [gravity, inclination] : {std::pair{"1pn+2.5pn", 0.0}, {"2.5pn", 60.0}}) {
    // 36 + 29 solar masses from a 35 Hz wave
    const Outcome o =
        bhsim(std::string("--batch --bh 2 Tfreq=17.5 Tdm1=0 Tdm2=0 Tnrev=0 Ttotaltime=1 --quiet ") +
              "--refresh-every 10000 --gravity " + gravity + " --json - --table " + table + " --strain " +
              strain + " --inclination-deg " + std::to_string(inclination));
    ASSERT_EQ(o.status, 0) << o.err;
    const struct {
      std::vector<std::vector<std::string>> strain, table;
      Json json;
    } m{readCsv(strain), readCsv(table), Json::parse(o.out)};
    ASSERT_EQ(m.table.size(), 2u);
    EXPECT_EQ(m.table[1][4], "merger12");
    const double merged = std::stod(m.table[1][3]);
    // the face-on complex strain h+ - i hx of each sample, by the inclination's factors
    const double cosine = std::cos(inclination * pi / 180);
    std::vector<std::complex<double>> h;
    for (std::size_t k = 1; k < m.strain.size(); ++k) {
      ASSERT_EQ(std::stod(m.strain[k][1]), static_cast<double>(k - 1) * dt);  // one rate throughout
      h.emplace_back(std::stod(m.strain[k][2]) / ((1 + cosine * cosine) / 2),
                     -std::stod(m.strain[k][3]) / cosine);
    }
    const std::size_t last = static_cast<std::size_t>(std::floor(merged / dt));  // the inspiral's last sample
    ASSERT_EQ(h.size() - 1 - last, static_cast<std::size_t>(std::floor(10 * dampingTime / dt))) << gravity;
    // Continuous: the first ringdown sample is the last inspiral sample turned on by omega dt in the sense
    // the orbit turned it, and shrunk by exp(-dt / tau).
    const std::complex<double> step = h[last + 1] / h[last];
    EXPECT_NEAR(std::abs(step), std::exp(-dt / dampingTime), 1e-3);
    EXPECT_NEAR(std::arg(step), -2 * pi * frequency * dt, 1e-3);
    EXPECT_LT(std::arg(h[last] / h[last - 1]), 0);  // the inspiral turned the same way
    // the frequency from the zero crossings of h+, and the decay time of the envelope |h|
    std::vector<double> crossings;
    double sumT = 0, sumLog = 0, sumTT = 0, sumTLog = 0;
    const std::size_t count = h.size() - last;
    for (std::size_t k = last; k < h.size(); ++k) {
      const double t = static_cast<double>(k) * dt, log = std::log(std::abs(h[k]));
      sumT += t, sumLog += log, sumTT += t * t, sumTLog += t * log;
      if (k > last && (h[k - 1].real() < 0) != (h[k].real() < 0))
        crossings.push_back(t - dt * h[k].real() / (h[k].real() - h[k - 1].real()));
    }
    const double measured = (crossings.size() - 1) / (2 * (crossings.back() - crossings.front()));
    EXPECT_NEAR(measured / frequency, 1, 0.01) << gravity;
    const double slope = (count * sumTLog - sumT * sumLog) / (count * sumTT - sumT * sumT);
    EXPECT_NEAR(-1 / slope / dampingTime, 1, 0.02) << gravity;
    // the table and the JSON carry the same remnant under the same names
    ASSERT_EQ(m.table[0].size(), 21u);
    EXPECT_EQ(m.table[0][18] + m.table[0][19] + m.table[0][20], "remnant_msunremnant_spinkick_kms");
    EXPECT_EQ(m.json["remnant"].at(0)["configuration"], 1);
    for (std::size_t c = 18; c < 21; ++c)
      EXPECT_EQ(std::stod(m.table[1][c]), m.json["remnant"][0][m.table[0][c]].get<double>());
  }
}

TEST(Ringdown, ASweepInThreadsWritesWhatItWritesInOne) {
  // black hole 3 too light and far to matter: black holes 1 and 2 merge in each of three configurations
  std::string files[2][4];
  for (int jobs : {1, 2}) {
    std::string* f = files[jobs - 1];
    for (int i = 0; i < 4; ++i) f[i] = scratch("jobs" + std::to_string(jobs) + "." + "tscjp"[i]).string();
    const Outcome o = bhsim(
        "--batch --bh 3 --gravity 2.5pn Tfreq=30 TBH3=0.01 Tdm1=0 Tdm2=0 Talphamax=20 "
        "Tdalpha=10 --refresh-every 10000 --quiet --jobs " +
        std::to_string(jobs) + " --table " + f[0] + " --strain " + f[1] + " --json " + f[2] + " --png " +
        f[3]);
    ASSERT_EQ(o.status, 0) << o.err;
  }
  const auto rows = readCsv(files[0][0]);
  ASSERT_EQ(rows.size(), 4u);
  for (std::size_t k = 1; k < rows.size(); ++k) EXPECT_EQ(rows[k][4], "merger12");
  for (int i = 0; i < 4; ++i) EXPECT_EQ(slurp(files[0][i]), slurp(files[1][i])) << files[0][i];
}

TEST(Ringdown, AGridThatRunsAPostNewtonianModelHasTheRemnantsColumnsEmptyWithoutAMerger) {
  const std::string table = scratch("remnant_grid.csv").string();
  const Outcome o = bhsim(
      "--batch --bh 2 --quiet --refresh-every 1000 --sweep gravity=newtonian,2.5pn "
      "Tnrev=1 --table " +
      table);
  ASSERT_EQ(o.status, 0) << o.err;
  const auto rows = readCsv(table);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].back(), "kick_kms");
  EXPECT_EQ(std::vector<std::string>(rows[1].end() - 3, rows[1].end()),
            (std::vector<std::string>{"", "", ""}));
  EXPECT_EQ(rows[2][6], "merger12");
  EXPECT_NEAR(std::stod(rows[2].back()), 60.8, 0.1);  // the fields' own 36 and 29 solar masses
  EXPECT_EQ(bhsim("--merge " + scratch("remnant_merged.csv").string() + " " + table).status, 0);
}

// A thousand times the masses ring a thousand times as long, 152,000 samples: the ringdown passes over
// the events as the loop does, and Stop cuts it short (the merger stays the configuration's end) or End
// ends the program there.
TEST(Ringdown, ALongRingdownHearsStopAndEnd) {
  struct Samples : Recorder {
    void onStrainSample(int, const StrainSample&) override { ++count; }
    std::int64_t count = 0;
  };
  for (bool stop : {true, false}) {
    Harness h;
    Samples samples;
    h.program.observer = &samples;
    h.program.options.gravity = *gravityModelNamed("1pn+2.5pn");
    h.program.options.strain = {4096, {410 * kKmPerMpc, 0}};
    h.configure(2, {{Mass1Field, "36000"}, {Mass2Field, "29000"}, {FrequencyField, ".0175"}}, 10000);
    h.type(TotalTimeField, "1000");
    h.platform.when([&] { return samples.count > 400000; },
                    [&] { stop ? h.click(EndButton) : h.platform.endProgram(); });
    h.run();
    EXPECT_LT(samples.count, 400000 + 1000);  // inspiral 343,700, ringdown 152,000
    EXPECT_EQ(h.program.ended(), !stop);
    ASSERT_EQ(samples.ends.size(), stop ? 1u : 0u);  // End ends it before the configuration's end
    for (const LoopState& end : samples.ends) EXPECT_EQ(end.reason, EndReason::Merger12);
  }
}

}  // namespace
}  // namespace bhsim::testing
