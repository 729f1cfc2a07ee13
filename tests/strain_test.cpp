// The gravitational-wave strain: the quadrupole formula against the closed forms of a circular binary,
// and the batch's strain file of a circular run.
#include <gtest/gtest.h>

#include <cmath>
#include <nlohmann/json.hpp>

#include "program/strain_sampling.hpp"
#include "sim/constants.hpp"
#include "support.hpp"

namespace bhsim::testing {
namespace {

const double kPi = 4 * std::atan(1.0);
const double kM1 = 36 * GM, kM2 = 29 * GM, kDistance = 410 * 3.0856775814913673e19;

// h0 = 4 (G m1)(G m2) / (c^4 a D)
double circularAmplitude(double a) {
  return 4 * kM1 * kM2 / (std::pow(c, 4) * a * kDistance);
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

TEST(Strain, TheBatchRecordsACircularRunEveryQuarterMillisecondAtTheAmplitudeAndTwiceTheOrbitFrequency) {
  const std::string file = scratch("strain.csv").string(), table = scratch("strain_table.csv").string();
  const double omega = 2 * kPi * 33, h0 = circularAmplitude(std::cbrt((kM1 + kM2) / (omega * omega)));
  for (const double inclination : {0.0, 60.0}) {
    const Outcome o = bhsim("--batch --bh 2 Tdm1=0 Tdm2=0 --refresh-every 5000 --json - --table " + table +
                            " --strain " + file + " --inclination-deg " + std::to_string(inclination));
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(nlohmann::json::parse(o.out)["strain"],
              nlohmann::json::parse(R"({"rate_hz": 4096, "distance_mpc": 410, "inclination_deg": )" +
                                    std::to_string(inclination) +
                                    R"(, "gravity": "newtonian", "sampled_at": )"
                                    R"("first step at or past each sample time"})"));
    const auto rows = readCsv(file);
    ASSERT_EQ(rows[0], (std::vector<std::string>{"configuration", "t_s", "h_plus", "h_cross"}));
    const double simulated = std::stod(readCsv(table).at(1).at(3));
    ASSERT_EQ(rows.size(), 2 + static_cast<std::size_t>(std::floor(simulated * 4096)));
    const double cosine = std::cos(inclination * kPi / 180);
    std::vector<double> crossings;  // of h+ through 0, interpolated
    for (std::size_t k = 0; k + 1 < rows.size(); ++k) {
      const auto& row = rows[k + 1];
      ASSERT_EQ(std::tuple(row[0], std::stod(row[1])), std::tuple("1", static_cast<double>(k) / 4096));
      const double plus = std::stod(row[2]) / ((1 + cosine * cosine) / 2), cross = std::stod(row[3]) / cosine;
      ASSERT_NEAR(std::hypot(plus, cross), h0, 1e-4 * h0) << k;
      if (k == 0) continue;
      const double before = std::stod(rows[k][2]), t = std::stod(row[1]);
      if ((before < 0) != (std::stod(row[2]) < 0))
        crossings.push_back(t - std::stod(row[2]) / (std::stod(row[2]) - before) / 4096);
    }
    ASSERT_GE(crossings.size(), 20u);
    const double frequency = (crossings.size() - 1) / (2 * (crossings.back() - crossings.front()));
    EXPECT_NEAR(frequency, 2 * 33, 1e-3 * 2 * 33);
  }
}

}  // namespace
}  // namespace bhsim::testing
