// Hostile field input: thousands of random parameter sets, with texts of every kind in every input
// field, for each body count. Every run is refused with a reason or goes through, ends within its step
// budget, and every field it wrote holds a number; a sweep in threads shows what it shows on one.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <set>

#include "batch/batch_run.hpp"
#include "control/control_table.hpp"

namespace bhsim::testing {
namespace {

using enum ControlId;

// A number as the program writes one: the number text (" 33", "-.5", " 1.5E+15"), the general form
// ("0.5") or a masked text ("  3.000"). Never empty, never "inf" or "nan".
bool isNumberText(const std::string& text) {
  std::size_t i = text.find_first_not_of(' '), digits = 0;
  if (i < text.size() && text[i] == '-') ++i;
  for (bool point = false; i < text.size() && (std::isdigit(text[i]) || (text[i] == '.' && !point)); ++i) {
    point |= text[i] == '.';
    digits += text[i] != '.';
  }
  if (i + 2 < text.size() && text[i] == 'E' && (text[i + 1] == '+' || text[i + 1] == '-')) i += 2;
  while (i < text.size() && std::isdigit(text[i]) && text.find('E') < i) ++i;  // the exponent's digits
  return digits > 0 && i == text.size() && text.back() != '+' && text.back() != '-';
}

// The first problem of a snapshot {"fields": {...}, "captions": {...}}, or "" when there is none (a null
// snapshot, of a state the run never reached, has none). A field holds the last text typed into it, a
// number, or is one the program empties on purpose; a caption is its design text, a button's, or "n rev"
// with the wanted count.
std::string snapshotProblem(const nlohmann::ordered_json& snapshot, const BatchOptions& options) {
  static const std::set<std::string> emptied = {"Tvc",     "Tfreq",      "Tdist01",    "Tdist02",
                                                "Tdist12", "Tdist01min", "Tdist02min", "Tdist12min",
                                                "Td1",     "Td2",        "Td3",        "Tphi"};
  static const std::set<std::string> buttons = {"Start", "Cont", "Next", "Stop", "End", "Grid"};
  if (snapshot.is_null()) return "";
  if (snapshot.value("fields", nlohmann::ordered_json()).size() != kTextFieldCount) return "fields missing";
  std::map<std::string, std::string> typed;
  for (const auto& [id, text] : options.fields) typed[std::string(controlDesign(id).name)] = text;
  for (const auto& [name, value] : snapshot["fields"].items()) {
    const std::string text = value.get<std::string>();
    const auto it = typed.find(name);
    if ((it == typed.end() || it->second != text) &&
        !(text.empty() ? emptied.count(name) : isNumberText(text)))
      return "field " + name + " holds '" + text + "'";
  }
  for (const auto& [name, value] : snapshot["captions"].items()) {
    const std::string caption = value.get<std::string>();
    const bool good = name == "Lnrev"
                          ? caption == "n rev" || caption == "n rev  " ||
                                (caption.rfind("n rev  ", 0) == 0 && isNumberText(caption.substr(7)))
                      : name.rfind("Command", 0) == 0 ? buttons.count(caption) != 0
                                                      : caption == controlDesign(*controlByName(name)).text;
    if (!good) return "caption " + name + " reads '" + caption + "'";
  }
  return "";
}

class TextMaker {
 public:
  explicit TextMaker(std::uint64_t seed) : random_(seed) {}
  int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  bool chance(double p) { return std::bernoulli_distribution(p)(random_); }

  std::string text() {
    static const std::vector<std::vector<std::string>> kinds = {
        {"", " ", "\t", "1e300", "-1e300", "1.7976931348623157e308", "1e309", std::string(400, '9')},
        {"1e-300", "4.9e-324", "-1e-310", "1e-400", "-0", "0", "-1", "-7", "-100", "-0.5", "-360", "-1e5"},
        {"inf", "-inf", "nan", "0x10", "1e", "e5", "--3", ".", "1.2.3", "1,5", "\xef\xbc\x91", "\x01\x7f",
         "3 4", "7abc", "TBH1=3", "1e+", std::string(10000, '7'), "0." + std::string(5000, '0') + "1",
         std::string(5000, 'x')},
        {"1",   "2",  "3",  "5",  "7",   "10",  "29", "36",  "100", "300",  "1000",   "2000", "10000",
         "0.5", ".1", "33", "90", "180", "360", "45", "1e3", "2e4", "0.01", "150000", "20"}};
    const int kind = std::min(pick(6), 3);  // plausible values half the time, so that runs go deep
    if (kind == 1 && chance(0.3))
      return std::to_string(pick(1000)) + (chance(0.5) ? "e" : "E-") + std::to_string(pick(340));
    const auto& texts = kinds[static_cast<std::size_t>(kind)];
    return texts[static_cast<std::size_t>(pick(static_cast<int>(texts.size())))];
  }

 private:
  std::mt19937_64 random_;
};

// A Stop pressed at the first pump after the budget is acted on at the next plot step. Pumps and plot
// steps come at every 1000th step of a configuration, so where configurations end in between, the next
// one may come up to 1999 steps later: the run ends less than two such gaps past the budget.
std::string runProblem(const BatchOptions& options, const BatchResult& result) {
  if (result.status == 1) return result.refusal.empty() ? "refused without a reason" : "";
  if (result.status != 0 || result.idle.is_null() || result.configurations < 1) return "no whole run";
  if (options.maxSteps && result.steps > *options.maxSteps + 4000)
    return "ran " + std::to_string(result.steps);
  for (const auto* snapshot : {&result.endWait, &result.idle}) {
    if (std::string problem = snapshotProblem(*snapshot, options); !problem.empty()) return problem;
  }
  return "";
}

TEST(RandomFieldTexts, EveryRunIsRefusedOrEndsWithNumbersInItsFields) {
  for (int count : {1, 2, 3}) {
    TextMaker maker(20240611 + static_cast<std::uint64_t>(count));
    int refused = 0;
    std::int64_t steps = 0;
    for (int set = 0; set < 3000; ++set) {
      BatchOptions o;
      o.bodyCount = count;
      o.maxSteps = std::array<std::int64_t, 6>{0, 1, 999, 1000, 1001, 2500}[maker.pick(6)];
      o.refreshEvery = std::array<std::int64_t, 4>{1, 3, 100, 1000}[maker.pick(4)];
      const double touched = std::array{0.1, 0.3, 0.6}[maker.pick(3)];
      for (ControlId id : {Tmaxcount, Tvc, Tdm1, Tdm2, Tfreq, Tdist01, Txmaxf, TBH1, TBH2, TBH3, Talphamin,
                           Tdalpha, Talphamax, Ttotaltime, Tnrev})
        if (maker.chance(touched)) o.fields.emplace_back(id, maker.text());
      const BatchResult result = runBatch(o);
      ASSERT_EQ(runProblem(o, result), "") << count << " black holes, set " << set;  // sets repeat by seed
      refused += result.status;
      steps += result.steps;
    }
    EXPECT_LT(refused, 3000 * 3 / 4) << count;  // most sets reach the integration
    EXPECT_GT(steps, 3000 * 100) << count;
  }
}

TEST(RandomFieldTexts, ASweepInThreadsShowsWhatItShowsOnOneThread) {
  TextMaker maker(20240611);
  int swept = 0;
  for (int set = 0; set < 400; ++set) {
    BatchOptions o;
    o.bodyCount = 3;
    o.refreshEvery = 50;
    o.quiet = true;
    o.fields = {{Tmaxcount, "200"},
                {Tnrev, "1"},
                {Ttotaltime, ".05"},
                {Talphamax, std::to_string(10 * (maker.pick(5) + 1))}};
    for (ControlId id : {TBH1, TBH2, TBH3, Tvc, Tfreq, Tdist01, Txmaxf})
      if (maker.chance(0.4)) o.fields.emplace_back(id, maker.text());
    o.jobs = 1;
    const BatchResult a = runBatch(o);
    o.jobs = 2;
    const BatchResult b = runBatch(o);
    ASSERT_EQ(runProblem(o, a), "") << "set " << set;
    EXPECT_EQ(std::tie(a.status, a.configurations, a.steps, a.endWait, a.idle),
              std::tie(b.status, b.configurations, b.steps, b.endWait, b.idle))
        << "set " << set;
    swept += a.configurations > 1;
  }
  EXPECT_GT(swept, 400 / 3);
}

}  // namespace
}  // namespace bhsim::testing
