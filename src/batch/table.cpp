#include "batch/table.hpp"

#include "format/number_text.hpp"
#include "format/numeric_value.hpp"
#include "sim/constants.hpp"
#include "sim/energy.hpp"
#include "sim/remnant.hpp"
#include "sim/step.hpp"

namespace bhsim {
namespace {

template <double LoopState::*kValue>
std::string atEnd(const ConfigurationOutcome& o) {
  return roundTripText(o.end.*kValue);
}

template <double LoopState::*kMass>
std::string solarMassesAtEnd(const ConfigurationOutcome& o) {
  return roundTripText(o.end.*kMass / kSolarGM);
}

// A value of black hole 3, empty in a run without it.
template <std::string (*kCell)(const ConfigurationOutcome&)>
std::string ofThird(const ConfigurationOutcome& o) {
  return o.end.bodyCount == 3 ? kCell(o) : "";
}

// The remnant's mass in solar masses, spin or recoil: empty where black holes 1 and 2 did not merge.
template <double Remnant::*kValue, bool kSolarMasses = false>
std::string ofRemnant(const ConfigurationOutcome& o) {
  const std::optional<Remnant> remnant = remnantAtEnd(o.end, o.stopped);
  if (!remnant) return "";
  return roundTripText(kSolarMasses ? (*remnant).*kValue / kSolarGM : (*remnant).*kValue);
}

bool relativistic(const TableScope& scope) {
  return scope.relativistic;
}

const TableColumn kColumns[] = {
    {"configuration",
     [](const ConfigurationOutcome& o) { return std::to_string(o.configuration); },
     {},
     nullptr,
     CellKind::Whole},
    {"alpha_deg", [](const ConfigurationOutcome& o) { return roundTripText(o.angle); }},
    {"steps", [](const ConfigurationOutcome& o) { return std::to_string(o.end.stepCount); }, "0", nullptr,
     CellKind::Whole},
    {"sim_time_s", [](const ConfigurationOutcome& o) { return roundTripText(step::simulatedTime(o.end)); }},
    {"end_reason",
     [](const ConfigurationOutcome& o) { return std::string(endReasonName(o.end.reason, o.stopped)); },
     "refused", nullptr, CellKind::EndReason},
    {"bodies_left", atEnd<&LoopState::bodiesInPlay>},
    {"m1_msun", solarMassesAtEnd<&LoopState::m1>},
    {"m2_msun", solarMassesAtEnd<&LoopState::m2>},
    {"m3_msun", ofThird<solarMassesAtEnd<&LoopState::m3>>},
    {"dmin12_km", atEnd<&LoopState::minDist12>},
    {"dmin13_km", ofThird<atEnd<&LoopState::minDist13>>},
    {"dmin23_km", ofThird<atEnd<&LoopState::minDist23>>},
    {"vmax1_kms", atEnd<&LoopState::v1max>},
    {"vmax2_kms", atEnd<&LoopState::v2max>},
    {"vmax3_kms", ofThird<atEnd<&LoopState::v3max>>},
    {"revolutions",
     [](const ConfigurationOutcome& o) { return std::to_string(o.end.revolutionCount); },
     {},
     nullptr,
     CellKind::Whole},
    {"last_rev_time_s", atEnd<&LoopState::revolutionTime>},
    {"energy_rel_change",
     [](const ConfigurationOutcome& o) { return roundTripText(energyRelativeChange(o.start, o.end)); }},
    {"remnant_msun", ofRemnant<&Remnant::mass, true>, {}, relativistic},
    {"remnant_spin", ofRemnant<&Remnant::spin>, {}, relativistic},
    {"kick_kms", ofRemnant<&Remnant::kick>, {}, relativistic},
};

// The cells of `layout`, each from `text`, comma-separated.
template <typename Text>
std::string joined(const TableLayout& layout, Text text) {
  std::string line;
  for (std::size_t i = 0; i < layout.size(); ++i) {
    if (i > 0) line += ',';
    line += text(*layout[i]);
  }
  return line;
}

}  // namespace

const char* endReasonName(EndReason reason, bool stopped) {
  if (stopped) return "stopped";
  switch (reason) {
    case EndReason::Revolutions:
      return "revolutions";
    case EndReason::TotalTime:
      return "total_time";
    case EndReason::LightSpeed:
      return "light_speed";
    case EndReason::Merger13:
      return "merger13";
    case EndReason::Merger23:
      return "merger23";
    case EndReason::Coincidence:
      return "coincidence";
    case EndReason::Merger12:
      return "merger12";
    case EndReason::None:
      break;
  }
  return "none";
}

TableScope tableScopeOf(const std::optional<GravityModel>& model) {
  return {model.has_value() && *model != GravityModel::Newtonian};
}

bool isCellOf(const TableColumn& column, std::string_view text) {
  if (text.empty()) return true;
  if (column.kind == CellKind::EndReason) {
    if (text == "stopped" || text == "refused") return true;
    for (int reason = 0; reason <= static_cast<int>(EndReason::Merger12); ++reason)
      if (text == endReasonName(static_cast<EndReason>(reason), false)) return true;
    return false;
  }
  if (column.kind == CellKind::Whole) return argumentInteger(text).has_value();
  // as roundTripText writes a number, not finite ones included
  return argumentNumber(text).has_value() || text == "nan" || text == "-nan" || text == "inf" ||
         text == "-inf";
}

std::span<const TableColumn> tableColumns() {
  return kColumns;
}

TableLayout tableLayout(const TableScope& scope, std::span<const TableColumn> columns) {
  TableLayout layout;
  for (const TableColumn& column : columns) {
    if (column.present == nullptr || column.present(scope)) layout.push_back(&column);
  }
  return layout;
}

std::string tableHeader(const TableLayout& layout) {
  return joined(layout, [](const TableColumn& column) { return std::string(column.name); });
}

std::string tableRow(const TableLayout& layout, const ConfigurationOutcome& outcome) {
  return joined(layout, [&outcome](const TableColumn& column) { return column.cell(outcome); });
}

std::string refusedCells(const TableLayout& layout) {
  return joined(layout, [](const TableColumn& column) { return std::string(column.refused); });
}

TableWriter::TableWriter(std::ostream& out, TableLayout layout, std::string prefix)
    : out_(out), layout_(std::move(layout)), prefix_(std::move(prefix)) {}

void TableWriter::onConfigurationStart(int, double angle, const LoopState& state) {
  angle_ = angle;
  start_ = state;
}

void TableWriter::onConfigurationEnd(int configuration, const LoopState& state, bool stopped) {
  out_ << prefix_ << tableRow(layout_, {configuration, angle_, start_, state, stopped}) << '\n';
}

}  // namespace bhsim
