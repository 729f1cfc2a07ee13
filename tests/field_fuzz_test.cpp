// Hostile field input: thousands of random parameter sets, with texts of every kind in every input field,
// run in process for each body count. Every run is refused with a reason or goes through, ends within its
// step budget, and every field it wrote holds a number.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "batch/batch_run.hpp"
#include "field_checks.hpp"

namespace bhsim::testing {
namespace {

using enum ControlId;

// The fifteen fields a run reads.
constexpr std::array kInputFields = {Tmaxcount, Tvc,  Tdm1,      Tdm2,    Tfreq,     Tdist01,    Txmaxf, TBH1,
                                     TBH2,      TBH3, Talphamin, Tdalpha, Talphamax, Ttotaltime, Tnrev};

constexpr int kSetsPerBodyCount = 3000;
constexpr int kSweepSets = 400;
constexpr std::uint64_t kSeed = 20240611;

class TextMaker {
 public:
  explicit TextMaker(std::uint64_t seed) : random_(seed) {}

  std::string text() {
    switch (pick(9)) {
      case 0:
        return oneOf({"", " ", "   ", "\t", " \t "});
      case 1:
        return oneOf({"1e300", "-1e300", "1.7976931348623157e308", "1e308", "1e309", "-1e400",
                      std::string(400, '9'), "123456789012345678901234567890"});
      case 2:
        return oneOf({"1e-300", "4.9e-324", "1e-320", "-1e-310", "0.000000001", "1e-400", "-0", "0"});
      case 3:
        return oneOf({"-1", "-7", "-100", "-1000000", "-0.5", "-360", "-1e5"});
      case 4:
        return exponentNumber();
      case 5:
        return garbage();
      case 6:
        return longText();
      default:
        return plausible();
    }
  }

  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  bool chance(double p) { return std::bernoulli_distribution(p)(random_); }

 private:
  std::string oneOf(std::initializer_list<std::string> texts) {
    return *(texts.begin() + pick(static_cast<int>(texts.size())));
  }

  std::string exponentNumber() {
    std::ostringstream out;
    out << (chance(0.3) ? "-" : "") << pick(1000) << (chance(0.5) ? "." : "") << pick(100)
        << (chance(0.5) ? "e" : "E") << oneOf({"", "+", "-"}) << pick(340);
    return out.str();
  }

  std::string garbage() {
    if (chance(0.5)) {
      return oneOf({"inf",      "-inf", "nan",   "NaN",    "Infinity",
                    "0x10",     "1e",   "e5",    "--3",    "+-2",
                    ".",        "-.",   "1.2.3", "1,5",    "\xef\xbc\x91\xef\xbc\x92",
                    "\x01\x7f", "3 4",  "7abc",  "TBH1=3", "1e+",
                    "+.e5",     "1d5"});
    }
    std::string text;
    for (int i = pick(12) + 1; i > 0; --i) text += static_cast<char>(pick(255) + 1);
    return text;
  }

  std::string longText() {
    switch (pick(4)) {
      case 0:
        return std::string(10000, '7');
      case 1:
        return "1" + std::string(5000, '0');
      case 2:
        return "0." + std::string(5000, '0') + "1";
      default:
        return std::string(5000, 'x');
    }
  }

  // Values a user might mean, so that runs go deep rather than stop at the refusal.
  std::string plausible() {
    return oneOf({"1",   "2",  "3",   "5",  "7",  "10",  "29",  "36", "100", "300", "1000", "2000",   "10000",
                  "0.5", ".1", "0.3", "33", "90", "180", "360", "45", "1e3", "2e4", "0.01", "150000", "20"});
  }

  std::mt19937_64 random_;
};

BatchOptions randomOptions(TextMaker& maker, int bodyCount) {
  BatchOptions options;
  options.bodyCount = bodyCount;
  options.maxSteps = std::array<std::int64_t, 6>{0, 1, 999, 1000, 1001, 2500}[maker.pick(6)];
  options.refreshEvery = std::array<std::int64_t, 4>{1, 3, 100, 1000}[maker.pick(4)];
  // Some sets touch a field or two, others most of them.
  const double touched = std::array<double, 3>{0.1, 0.3, 0.6}[maker.pick(3)];
  for (ControlId id : kInputFields) {
    if (maker.chance(touched)) options.fields.emplace_back(id, maker.text());
  }
  return options;
}

// The set in a form that reproduces it from the command line (long texts abridged).
std::string describe(const BatchOptions& options) {
  std::ostringstream out;
  out << "--bh " << options.bodyCount << " --refresh-every " << options.refreshEvery;
  if (options.maxSteps) out << " --max-steps " << *options.maxSteps;
  for (const auto& [id, text] : options.fields) {
    out << " '" << controlDesign(id).name << "=" << (text.size() > 40 ? text.substr(0, 40) + "..." : text)
        << "'";
  }
  return out.str();
}

std::string runProblem(const BatchOptions& options, const BatchResult& result) {
  if (result.status == 1) return result.refusal.empty() ? "refused without a reason" : "";
  if (result.status != 0) return "status " + std::to_string(result.status);
  if (result.idle.is_null()) return "no snapshot after the run";
  if (result.configurations < 1) return "no configuration built";
  if (result.steps > *options.maxSteps + kStopSlackSteps)
    return "ran " + std::to_string(result.steps) + " steps";
  const TypedTexts typed = typedTexts(options.fields);
  for (const auto* snapshot : {&result.endWait, &result.idle}) {
    std::string problem = snapshotProblem(*snapshot, typed);
    if (!problem.empty()) return (snapshot == &result.idle ? "idle: " : "end wait: ") + problem;
  }
  return "";
}

class RandomFieldTexts : public ::testing::TestWithParam<int> {};

TEST_P(RandomFieldTexts, EveryRunIsRefusedOrEndsWithNumbersInItsFields) {
  const int bodyCount = GetParam();
  TextMaker maker(kSeed + static_cast<std::uint64_t>(bodyCount));
  int refused = 0;
  std::int64_t steps = 0;
  for (int set = 0; set < kSetsPerBodyCount; ++set) {
    const BatchOptions options = randomOptions(maker, bodyCount);
    const BatchResult result = runBatch(options);
    const std::string problem = runProblem(options, result);
    ASSERT_EQ(problem, "") << "set " << set << ": " << describe(options);
    refused += result.status;
    steps += result.steps;
  }
  // The sets must reach the integration often, not only the refusal.
  EXPECT_LT(refused, kSetsPerBodyCount * 3 / 4);
  EXPECT_GT(steps, std::int64_t{kSetsPerBodyCount} * 100);
  std::printf("%d sets, %d refused, %lld steps\n", kSetsPerBodyCount, refused, static_cast<long long>(steps));
}

INSTANTIATE_TEST_SUITE_P(BodyCounts, RandomFieldTexts, ::testing::Values(1, 2, 3));

// A three-black-hole sweep without a step budget runs its configurations in worker threads. With hostile
// masses and orbits, but a sweep kept short (200 steps a revolution, one revolution or 0.05 s each), it
// shows exactly what the same sweep shows on one thread.
BatchOptions hostileSweep(TextMaker& maker, int jobs) {
  BatchOptions options;
  options.bodyCount = 3;
  options.refreshEvery = 50;
  options.jobs = jobs;
  options.quiet = true;
  options.fields = {{Tmaxcount, "200"},
                    {Tnrev, "1"},
                    {Ttotaltime, ".05"},
                    {Talphamax, std::to_string(10 * (maker.pick(5) + 1))},
                    {Tdalpha, "10"}};
  for (ControlId id : {TBH1, TBH2, TBH3, Tvc, Tfreq, Tdist01, Txmaxf}) {
    if (maker.chance(0.4)) options.fields.emplace_back(id, maker.text());
  }
  return options;
}

TEST(RandomFieldTexts, ASweepInThreadsShowsWhatItShowsOnOneThread) {
  TextMaker maker(kSeed);
  int swept = 0;
  for (int set = 0; set < kSweepSets; ++set) {
    const std::uint64_t state = maker.pick(1 << 30);
    TextMaker one(state), two(state);
    const BatchOptions serial = hostileSweep(one, 1);
    const BatchOptions parallel = hostileSweep(two, 2);
    const BatchResult a = runBatch(serial);
    const BatchResult b = runBatch(parallel);
    ASSERT_EQ(runProblem(serial, a), "") << "set " << set << ": " << describe(serial);
    ASSERT_EQ(a.status, b.status) << describe(serial);
    EXPECT_EQ(a.configurations, b.configurations) << describe(serial);
    EXPECT_EQ(a.steps, b.steps) << describe(serial);
    EXPECT_EQ(a.endWait, b.endWait) << describe(serial);
    EXPECT_EQ(a.idle, b.idle) << describe(serial);
    swept += a.configurations > 1 ? 1 : 0;
  }
  // Many sets must reach the threads, not only the refusal.
  EXPECT_GT(swept, kSweepSets / 3);
}

// The checks themselves catch what they are there for.
TEST(FieldChecks, TellNumbersFromEverythingElse) {
  for (const char* good : {" 0", "-2420.62650373182", " .5", " 1.5E+15", " 2E-06", "0.5", "  3.000", "-7"}) {
    EXPECT_TRUE(isNumberText(good)) << good;
  }
  for (const char* bad :
       {"", " ", "inf", " inf", "-nan", "nan", " 1.#INF", "1e5", " 1E+", ".", "-", "1.2.3", " 3 "}) {
    EXPECT_FALSE(isNumberText(bad)) << bad;
  }
}

TEST(FieldChecks, FindABadFieldOrCaptionInASnapshot) {
  BatchOptions options;
  options.bodyCount = 2;
  options.maxSteps = 0;
  options.refreshEvery = 100;
  options.fields = {{Tdm1, "garbage"}};
  const BatchResult result = runBatch(options);
  ASSERT_EQ(result.status, 0);
  const TypedTexts typed = typedTexts(options.fields);
  EXPECT_EQ(snapshotProblem(result.idle, typed), "");
  for (const auto& [name, text, wrong] :
       std::vector<std::array<std::string, 3>>{{"fields", "Tx1", "nan"},
                                               {"fields", "Tv0", " inf"},
                                               {"fields", "TBH1", ""},
                                               {"fields", "Tdm2", "x"},
                                               {"captions", "Lnrev", "n rev  nan"},
                                               {"captions", "CommandEnd", "inf"},
                                               {"captions", "Lr1", ""}}) {
    nlohmann::ordered_json doctored = result.idle;
    doctored[name][text] = wrong;
    EXPECT_NE(snapshotProblem(doctored, typed), "") << text << " = '" << wrong << "'";
  }
  nlohmann::ordered_json emptied = result.idle;
  emptied["fields"]["Tphi"] = "";
  EXPECT_EQ(snapshotProblem(emptied, typed), "");
}

}  // namespace
}  // namespace bhsim::testing
