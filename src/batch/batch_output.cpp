#include "batch/batch_output.hpp"

#include <QImage>
#include <QString>
#include <charconv>

#include "control/form1.hpp"
#include "display/form2.hpp"

namespace bhsim {

nlohmann::ordered_json snapshotJson(const Form1& form1) {
  nlohmann::ordered_json fields = nlohmann::ordered_json::object();
  nlohmann::ordered_json captions = nlohmann::ordered_json::object();
  for (const ControlSpec& spec : controlTable()) {
    auto& target = spec.kind == ControlKind::TextField ? fields : captions;
    target[std::string(spec.name)] = form1.text(spec.id);
  }
  return {{"fields", fields}, {"captions", captions}};
}

bool writePng(const Form2& form2, const std::string& path) {
  const int width = form2.pixelWidth();
  const int height = form2.pixelHeight();
  if (width <= 0 || height <= 0) return false;
  QImage image(width, height, QImage::Format_RGB32);
  for (int row = 0; row < height; ++row) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(row));
    for (int column = 0; column < width; ++column) line[column] = 0xFF000000u | form2.pixel(column, row);
  }
  return image.save(QString::fromStdString(path), "PNG");
}

std::string roundTripText(double value) {
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return ec == std::errc() ? std::string(buffer, end) : std::string("nan");
}

TraceWriter::TraceWriter(const std::string& path) : out_(path) {
  out_ << "configuration,step,body,x_km,y_km\n";
}

void TraceWriter::onDot(int configuration, std::int64_t step, int body, double x, double y) {
  out_ << configuration << ',' << step << ',' << body << ',' << roundTripText(x) << ',' << roundTripText(y)
       << '\n';
}

}  // namespace bhsim
