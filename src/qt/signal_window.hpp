#pragma once

#include <QChartView>
#include <QImage>
#include <QLineSeries>
#include <QTimer>
#include <QValueAxis>
#include <QWidget>
#include <deque>
#include <optional>

#include "program/run_observer.hpp"

namespace bhsim {

// The "Signal" window: for the configuration being integrated, h+ and hx (in 10^-21) against time and the
// separation of black holes 1 and 2 against time, from the run's strain samples; where black holes 1 and 2
// merged, a line marks the time in both charts and the remnant's ringing follows. It keeps the most recent
// kKeptSamples samples (a run without end scrolls, its memory bounded), collects them while hidden, and
// redraws at most every kRedrawIntervalMs while shown. Each new configuration clears it. Its context menu
// and shortcuts keep the picture: "Save Picture..." (Ctrl+S) and "Copy Picture" (Ctrl+C). Closing it only
// hides it.
class SignalWindow : public QWidget, public RunObserver {
  Q_OBJECT

 public:
  static constexpr std::size_t kKeptSamples = 2048;
  static constexpr int kRedrawIntervalMs = 250;  // a redraw of 2048 samples takes about 5 ms

  SignalWindow();

  // RunObserver
  void onConfigurationStart(int configuration, double angle, const LoopState& state) override;
  void onStrainSample(int configuration, const StrainSample& sample) override;
  void onConfigurationEnd(int configuration, const LoopState& state, bool stopped) override;

  // Puts the kept samples into the charts now.
  void redraw();
  std::size_t keptSamples() const { return samples_.size(); }
  const QLineSeries& plusSeries() const { return *plus_; }
  const QLineSeries& separationSeries() const { return *separation_; }
  // The merger's line in the strain chart: two points at its time, or none.
  const QLineSeries& mergerSeries() const { return *strainMerger_; }

  QImage picture();
  // Saves the window's picture to `path` as PNG; a failure is shown in a message box. Returns success.
  bool savePicture(const QString& path);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void markMerger(double strainMax, double farthest);

  std::deque<StrainSample> samples_;
  std::optional<double> mergerTime_;  // of the configuration shown, when black holes 1 and 2 merged
  bool changed_ = false;
  QTimer redrawTimer_;
  QLineSeries* plus_;
  QLineSeries* cross_;
  QLineSeries* separation_;
  QLineSeries* strainMerger_;
  QLineSeries* separationMerger_;
  QValueAxis* strainTime_;
  QValueAxis* strainValue_;
  QValueAxis* separationTime_;
  QValueAxis* separationValue_;
};

}  // namespace bhsim
