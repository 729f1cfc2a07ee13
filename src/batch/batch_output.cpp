#include "batch/batch_output.hpp"

#include "control/control_panel.hpp"
#include "display/display.hpp"
#include "format/number_text.hpp"
#include "picture/canvas_image.hpp"
#include "sim/constants.hpp"
#include "sim/remnant.hpp"

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

std::string writePng(const Display& display, const std::string& path) {
  const QImage image = canvasImage(display);
  if (image.isNull()) return "the display has no drawing area";
  return savePng(image, QString::fromStdString(path)).toStdString();
}

std::string pngData(const Display& display) {
  const QImage image = canvasImage(display);
  return image.isNull() ? std::string() : pngBytes(image);
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

void RemnantList::onConfigurationEnd(int configuration, const LoopState& s, bool stopped) {
  nlohmann::ordered_json entry = {{"configuration", configuration}};
  const auto remnant = remnantAtEnd(s, stopped);
  entry["remnant_msun"] = remnant ? nlohmann::ordered_json(remnant->mass / kSolarGM) : nullptr;
  entry["remnant_spin"] = remnant ? nlohmann::ordered_json(remnant->spin) : nullptr;
  entry["kick_kms"] = remnant ? nlohmann::ordered_json(remnant->kick) : nullptr;
  list_.push_back(std::move(entry));
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
