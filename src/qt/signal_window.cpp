#include "qt/signal_window.hpp"

#include <QChart>
#include <QPen>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "picture/canvas_image.hpp"
#include "qt/actions_menu.hpp"
#include "sim/loop_state.hpp"
#include "sim/step.hpp"

namespace bhsim {
namespace {

QValueAxis* axis(const QString& title, const QString& format) {
  auto* axis = new QValueAxis;
  axis->setTitleText(title);
  axis->setLabelFormat(format);
  return axis;
}

// A chart of the series against a shared time axis and a value axis.
QChartView* chartOf(const QString& title, std::initializer_list<QLineSeries*> series, QValueAxis* time,
                    QValueAxis* value) {
  auto* chart = new QChart;
  chart->setTitle(title);
  chart->addAxis(time, Qt::AlignBottom);
  chart->addAxis(value, Qt::AlignLeft);
  for (QLineSeries* s : series) {
    chart->addSeries(s);
    s->attachAxis(time);
    s->attachAxis(value);
  }
  chart->legend()->setVisible(series.size() > 1);
  auto* view = new QChartView(chart);
  view->setRenderHint(QPainter::Antialiasing, false);
  return view;
}

QLineSeries* series(const QString& name) {
  auto* s = new QLineSeries;
  s->setName(name);
  return s;
}

// A range that shows [low, high] and is never empty.
void fit(QValueAxis* axis, double low, double high) {
  if (!(high > low)) {
    const double pad = low == 0 ? 1 : std::fabs(low) * 0.01;
    low -= pad;
    high += pad;
  }
  axis->setRange(low, high);
}

// The strain in the unit of the axis, 10^-21.
constexpr double kStrainUnit = 1e-21;

}  // namespace

SignalWindow::SignalWindow()
    : plus_(series(QStringLiteral("h\u208A"))),
      cross_(series(QStringLiteral("h\u00D7"))),
      separation_(series(QStringLiteral("separation"))),
      strainMerger_(series(QStringLiteral("merger"))),
      separationMerger_(series(QStringLiteral("merger"))),
      strainTime_(axis(QStringLiteral("time (s)"), QStringLiteral("%.3f"))),
      strainValue_(axis(QStringLiteral("10\u207B\u00B2\u00B9"), QStringLiteral("%.1f"))),
      separationTime_(axis(QStringLiteral("time (s)"), QStringLiteral("%.3f"))),
      separationValue_(axis(QStringLiteral("km"), QStringLiteral("%.0f"))) {
  setWindowTitle(QStringLiteral("Signal"));
  setObjectName(QStringLiteral("Signal"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(chartOf(QStringLiteral("Strain seen face-on from 410 Mpc"),
                            {plus_, cross_, strainMerger_}, strainTime_, strainValue_),
                    3);
  layout->addWidget(chartOf(QStringLiteral("Separation of black holes 1 and 2"),
                            {separation_, separationMerger_}, separationTime_, separationValue_),
                    2);
  for (QLineSeries* line : {strainMerger_, separationMerger_})
    line->setPen(QPen(Qt::darkMagenta, 1, Qt::DashLine));
  resize(500, 560);
  redrawTimer_.setInterval(kRedrawIntervalMs);
  connect(&redrawTimer_, &QTimer::timeout, this, [this] {
    if (changed_) redraw();
  });
  addPictureActions(
      this, QStringLiteral("signal.png"), [this] { return picture(); },
      [this](const QString& path) { return savePicture(path); });
}

void SignalWindow::onConfigurationStart(int, double, const LoopState&) {
  samples_.clear();
  mergerTime_.reset();
  changed_ = true;
}

// The ringdown's samples came before: the merger's time is the configuration's last step.
void SignalWindow::onConfigurationEnd(int, const LoopState& state, bool stopped) {
  if (stopped || state.reason != EndReason::Merger12) return;
  mergerTime_ = step::simulatedTime(state);
  changed_ = true;
}

void SignalWindow::onStrainSample(int, const StrainSample& sample) {
  if (samples_.size() == kKeptSamples) samples_.pop_front();
  samples_.push_back(sample);
  changed_ = true;
}

void SignalWindow::redraw() {
  changed_ = false;
  QList<QPointF> plus, cross, separation;
  double strainMax = 0, farthest = 0;
  for (const StrainSample& s : samples_) {
    plus.append({s.time, s.strain.plus / kStrainUnit});
    cross.append({s.time, s.strain.cross / kStrainUnit});
    separation.append({s.time, s.separation});
    strainMax = std::max({strainMax, std::fabs(plus.back().y()), std::fabs(cross.back().y())});
    farthest = std::max(farthest, s.separation);
  }
  plus_->replace(plus);
  cross_->replace(cross);
  separation_->replace(separation);
  const double start = samples_.empty() ? 0 : samples_.front().time;
  const double end = samples_.empty() ? 0 : samples_.back().time;
  fit(strainTime_, start, end);
  fit(separationTime_, start, end);
  fit(strainValue_, -strainMax, strainMax);
  fit(separationValue_, 0, farthest);
  markMerger(strainMax, farthest);
}

// A line across each chart at the merger's time, while that time is among the samples kept.
void SignalWindow::markMerger(double strainMax, double farthest) {
  const bool shown = mergerTime_ && !samples_.empty() && *mergerTime_ >= samples_.front().time &&
                     *mergerTime_ <= samples_.back().time;
  if (!shown) {
    strainMerger_->clear();
    separationMerger_->clear();
    return;
  }
  const double t = *mergerTime_;
  strainMerger_->replace(QList<QPointF>{{t, -strainMax}, {t, strainMax}});
  separationMerger_->replace(QList<QPointF>{{t, 0}, {t, farthest}});
}

void SignalWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  redraw();
  redrawTimer_.start();
}

void SignalWindow::hideEvent(QHideEvent* event) {
  redrawTimer_.stop();
  QWidget::hideEvent(event);
}

// The charts as they stand with every kept sample in them.
QImage SignalWindow::picture() {
  if (changed_) redraw();
  return grab().toImage();
}

bool SignalWindow::savePicture(const QString& path) {
  return savePictureOrSay(this, picture(), path);
}

}  // namespace bhsim
