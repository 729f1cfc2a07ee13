#pragma once

#include <string>

namespace bhsim {

// What the core needs from a toolkit. Every call is made on the user-interface thread.
class Platform {
 public:
  virtual ~Platform() = default;

  // Runs whatever events are pending (their handlers may run nested in here) and returns at once.
  virtual void pumpEvents() = 0;
  // Blocks until at least one event was handled; a waiting program uses no processor time.
  virtual void waitEvents() = 0;
  // Seconds since midnight; starts again from 0 at midnight.
  virtual double secondsSinceMidnight() = 0;
  // Tells the user why a run was refused before it started.
  virtual void reportRefusal(const std::string& message) = 0;

  // Ends the program: both windows close. Once ended, the core writes nothing further and every wait and
  // loop of a run in progress returns.
  void endProgram() {
    if (ended_) return;
    ended_ = true;
    onEndProgram();
  }
  bool ended() const { return ended_; }

 protected:
  virtual void onEndProgram() = 0;

 private:
  bool ended_ = false;
};

// Seconds since local midnight from the system clock.
double systemSecondsSinceMidnight();

}  // namespace bhsim
