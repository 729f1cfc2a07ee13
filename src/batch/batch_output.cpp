#include "batch/batch_output.hpp"

#include "control/control_panel.hpp"
#include "display/display.hpp"
#include "format/number_text.hpp"
#include "picture/canvas_image.hpp"
#include "sim/constants.hpp"
#include "sim/energy.hpp"

namespace bhsim {

std::string jsonText(const nlohmann::ordered_json& json, int indent) {
  return json.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

nlohmann::ordered_json snapshotJson(const ControlPanel& panel) {
  nlohmann::ordered_json fields = nlohmann::ordered_json::object();
  nlohmann::ordered_json captions = nlohmann::ordered_json::object();
  for (const ControlDesign& design : controlTable()) {
    auto& target = design.kind == ControlKind::TextField ? fields : captions;
    target[std::string(design.name)] = panel.text(design.id);
  }
  return {{"fields", fields}, {"captions", captions}};
}

bool writePng(const Display& display, const std::string& path) {
  const QImage image = canvasImage(display);
  return !image.isNull() && savePng(image, QString::fromStdString(path)).isEmpty();
}

TraceWriter::TraceWriter(std::ostream& out) : out_(out) {
  out_ << "configuration,step,body,x_km,y_km\n";
}

void TraceWriter::onDot(int configuration, std::int64_t step, int body, double x, double y) {
  out_ << configuration << ',' << step << ',' << body << ',' << roundTripText(x) << ',' << roundTripText(y)
       << '\n';
}

StrainWriter::StrainWriter(std::ostream& out) : out_(out) {
  out_ << "configuration,t_s,h_plus,h_cross\n";
}

void StrainWriter::onStrainSample(int configuration, const StrainSample& sample) {
  out_ << configuration << ',' << roundTripText(sample.time) << ',' << roundTripText(sample.strain.plus)
       << ',' << roundTripText(sample.strain.cross) << '\n';
}

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

const char* const kTableHeader =
    "configuration,alpha_deg,steps,sim_time_s,end_reason,bodies_left,m1_msun,m2_msun,m3_msun,dmin12_km,"
    "dmin13_km,dmin23_km,vmax1_kms,vmax2_kms,vmax3_kms,revolutions,last_rev_time_s,energy_rel_change";

TableWriter::TableWriter(std::ostream& out, std::string prefix) : out_(out), prefix_(std::move(prefix)) {}

void TableWriter::onConfigurationStart(int, double angle, const LoopState& state) {
  angle_ = angle;
  start_ = state;
}

void TableWriter::onConfigurationEnd(int configuration, const LoopState& s, bool stopped) {
  const auto column = [this](double value) { out_ << ',' << roundTripText(value); };
  out_ << prefix_ << configuration;
  column(angle_);
  out_ << ',' << s.stepCount;
  column(s.dt * static_cast<double>(s.stepCount));
  out_ << ',' << endReasonName(s.reason, stopped);
  // black hole 3's columns stay empty in a run without it
  const bool third = s.bodyCount == 3;
  const auto ofThird = [&](double value) { third ? column(value) : void(out_ << ','); };
  column(s.bodiesInPlay);
  column(s.m1 / GM);
  column(s.m2 / GM);
  ofThird(s.m3 / GM);
  column(s.minDist12);
  ofThird(s.minDist13);
  ofThird(s.minDist23);
  column(s.v1max);
  column(s.v2max);
  ofThird(s.v3max);
  out_ << ',' << s.revolutionCount;
  column(s.revolutionTime);
  column(energyRelativeChange(start_, s));
  out_ << '\n';
}

void ObserverFan::onConfigurationStart(int configuration, double angle, const LoopState& state) {
  for (RunObserver* o : observers_) o->onConfigurationStart(configuration, angle, state);
}

void ObserverFan::onRevolution(int configuration, const LoopState& state) {
  for (RunObserver* o : observers_) o->onRevolution(configuration, state);
}

void ObserverFan::onDot(int configuration, std::int64_t step, int body, double x, double y) {
  for (RunObserver* o : observers_) o->onDot(configuration, step, body, x, y);
}

void ObserverFan::onStrainSample(int configuration, const StrainSample& sample) {
  for (RunObserver* o : observers_) o->onStrainSample(configuration, sample);
}

void ObserverFan::onConfigurationEnd(int configuration, const LoopState& state, bool stopped) {
  for (RunObserver* o : observers_) o->onConfigurationEnd(configuration, state, stopped);
}

}  // namespace bhsim
