#pragma once

// Checks of what a batch run did, shared by the property test of hostile field input and the batch fuzzer:
// it is refused with a reason or goes through within its step budget, and every field the program wrote a
// number into holds a number text.

#include <cctype>
#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "batch/batch_options.hpp"
#include "batch/batch_run.hpp"
#include "control/control_table.hpp"

namespace bhsim::testing {

// A Stop pressed at the first pump after the budget is acted on at the next plot step. Pumps and plot
// steps come at every 1000th step of a configuration, so where configurations end in between, the next
// one may come up to 1999 steps later: the run ends less than two such gaps past the budget.
inline constexpr std::int64_t kStopSlackSteps = 4000;

// A number as the program writes one: the number text (" 33", "-.5", " 1.5E+15"), the general form
// ("0.5") or a masked text ("  3.000"). Never empty, never "inf" or "nan".
inline bool isNumberText(const std::string& text) {
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
inline std::string snapshotProblem(const nlohmann::ordered_json& snapshot, const BatchOptions& options) {
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

// The first problem of a run's result, or "": refused (status 1) with a reason, or through (status 0, no
// reason) to its end wait and idle state, whose snapshots have no problem, within its step budget.
inline std::string runProblem(const BatchOptions& options, const BatchResult& result) {
  if (result.status == 1) return result.refusal.empty() ? "refused without a reason" : "";
  if (result.status != 0 || !result.refusal.empty()) return "status " + std::to_string(result.status);
  if (result.idle.is_null() || result.configurations < 1) return "no whole run";
  if (options.maxSteps && result.steps > *options.maxSteps + kStopSlackSteps)
    return "ran " + std::to_string(result.steps);
  for (const auto* snapshot : {&result.endWait, &result.idle}) {
    if (std::string problem = snapshotProblem(*snapshot, options); !problem.empty()) return problem;
  }
  return "";
}

}  // namespace bhsim::testing
