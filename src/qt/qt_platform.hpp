#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "platform/platform.hpp"

namespace bhsim {

// Drives the core from Qt's event loop. The run calls in here from inside a button's click handler, so
// every pump and wait is a nested pass over Qt's events.
class QtPlatform : public Platform {
 public:
  // Passes over the pending events, at most once a millisecond (a pump sooner than that returns at once).
  void pumpEvents() override;
  void waitEvents() override;
  double secondsSinceMidnight() override { return systemSecondsSinceMidnight(); }
  void reportRefusal(const std::string& message) override;

  // Runs at every pump, before the pending events: lets a view catch up with its model.
  void addPumpHook(std::function<void()> hook) { pumpHooks_.push_back(std::move(hook)); }
  // The window the refusal message stands over.
  void setDialogParent(QWidget* parent) { dialogParent_ = parent; }

 protected:
  // Closes every window and leaves the main event loop with status 0 once the handlers have unwound.
  void onEndProgram() override;

 private:
  static constexpr qint64 kPumpIntervalNs = 1'000'000;

  std::vector<std::function<void()>> pumpHooks_;
  QElapsedTimer sincePump_;
  QPointer<QWidget> dialogParent_;
};

}  // namespace bhsim
