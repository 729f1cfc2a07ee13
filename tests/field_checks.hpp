#pragma once

// Checks of what the control window shows after a run, shared by the property test of hostile field
// input and the batch fuzzer: every field the program wrote a number into holds a number text.

#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "control/control_table.hpp"

namespace bhsim::testing {

// A Stop pressed at the first pump after the budget is acted on at the next plot step. Pumps and plot
// steps come at every 1000th step of a configuration, so where configurations end in between, the next
// one may come up to 1999 steps later: the run ends less than two such gaps past the budget.
inline constexpr std::int64_t kStopSlackSteps = 4000;

// The last text typed into each field, by field name.
using TypedTexts = std::map<std::string, std::string>;

inline TypedTexts typedTexts(const std::vector<std::pair<ControlId, std::string>>& fields) {
  TypedTexts typed;
  for (const auto& [id, text] : fields) typed[std::string(controlDesign(id).name)] = text;
  return typed;
}

inline bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// A number as the program writes one: the number text (" 33", "-.5", " 1.5E+15"), the general form
// ("0.5") or a masked text ("  3.000"). Never empty, never "inf" or "nan".
inline bool isNumberText(std::string_view t) {
  std::size_t i = t.find_first_not_of(' ');
  if (i == std::string_view::npos) return false;
  if (t[i] == '-') ++i;
  std::size_t digits = 0;
  bool point = false;
  for (; i < t.size() && (isDigit(t[i]) || (t[i] == '.' && !point)); ++i) {
    if (t[i] == '.') point = true;
    digits += isDigit(t[i]) ? 1 : 0;
  }
  if (digits == 0) return false;
  if (i < t.size() && t[i] == 'E') {
    if (++i == t.size() || (t[i] != '+' && t[i] != '-')) return false;
    const std::size_t first = ++i;
    while (i < t.size() && isDigit(t[i])) ++i;
    if (i == first) return false;
  }
  return i == t.size();
}

// Fields the program empties on purpose: the orbit fields it keeps exclusive, the separations of a count
// without them, the minima and distances before the first refresh, and "Phi".
inline bool emptiedOnPurpose(const std::string& name) {
  static const std::set<std::string> names = {"Tvc",     "Tfreq",      "Tdist01",    "Tdist02",
                                              "Tdist12", "Tdist01min", "Tdist02min", "Tdist12min",
                                              "Td1",     "Td2",        "Td3",        "Tphi"};
  return names.count(name) != 0;
}

inline std::string fieldProblem(const std::string& name, const std::string& text, const TypedTexts& typed) {
  const auto it = typed.find(name);
  if (it != typed.end() && it->second == text) return "";  // still what the user typed
  if (text.empty() ? emptiedOnPurpose(name) : isNumberText(text)) return "";
  return "field " + name + " holds '" + text + "'";
}

inline std::string captionProblem(const std::string& name, const std::string& caption) {
  const auto id = controlByName(name);
  if (!id) return "unknown control " + name;
  if (*id == ControlId::Lnrev) {
    // "n rev", then possibly two blanks and the wanted count
    const std::string_view rest = std::string_view(caption).substr(caption.size() < 5 ? 0 : 5);
    const bool good =
        caption.rfind("n rev", 0) == 0 &&
        (rest.empty() || rest == "  " || (rest.rfind("  ", 0) == 0 && isNumberText(rest.substr(2))));
    return good ? "" : "caption Lnrev is '" + caption + "'";
  }
  if (controlDesign(*id).kind == ControlKind::Button) {
    static const std::set<std::string> captions = {"Start", "Cont", "Next", "Stop", "End", "Grid"};
    return captions.count(caption) != 0 ? "" : "button " + name + " reads '" + caption + "'";
  }
  return caption == controlDesign(*id).text ? "" : "label " + name + " reads '" + caption + "'";
}

// The first problem of a snapshot {"fields": {...}, "captions": {...}}, or "" when there is none. A null
// snapshot (a state the run never reached) has none.
inline std::string snapshotProblem(const nlohmann::ordered_json& snapshot, const TypedTexts& typed) {
  if (snapshot.is_null()) return "";
  if (!snapshot.contains("fields") || !snapshot.contains("captions")) return "the snapshot is incomplete";
  if (snapshot.at("fields").size() != kTextFieldCount) return "the snapshot lacks fields";
  for (const auto& [name, text] : snapshot.at("fields").items()) {
    std::string problem = fieldProblem(name, text.get<std::string>(), typed);
    if (!problem.empty()) return problem;
  }
  for (const auto& [name, caption] : snapshot.at("captions").items()) {
    std::string problem = captionProblem(name, caption.get<std::string>());
    if (!problem.empty()) return problem;
  }
  return "";
}

}  // namespace bhsim::testing
