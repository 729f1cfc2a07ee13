#pragma once

#include <atomic>
#include <functional>
#include <thread>

namespace bhsim {

// SIGINT (Ctrl-C) and SIGTERM ask the batch run to stop at its next event pump instead of ending the
// process where it stands: the handler only notes the signal, and the run's pumps press "Stop". A second
// one while the run is stopping ends the process at once, by that signal.
void catchInterrupts();

// The signal that asked the run to stop, or 0 while none did.
int interruptSignal();

// The exit status of a run stopped by `signal`, as a shell reports a process ended by it: 128 + its number
// (130 for SIGINT, 143 for SIGTERM).
inline int interruptedStatus(int signal) {
  return 128 + signal;
}

// A run's own way to be stopped, beside the process's signals: a program that runs it (and handles the
// signals itself) answers a hook, which is asked at the run's pumps and waits on the thread that made the
// request, and only there. Every thread of the run (the configurations of a sweep, the points of a grid)
// sees the answer.
class StopRequest {
 public:
  // `poll` returns the signal that stops the run, or 0 to go on.
  explicit StopRequest(std::function<int()> poll);
  StopRequest(const StopRequest&) = delete;
  StopRequest& operator=(const StopRequest&) = delete;

  // The signal that stops the run, or 0 while none did; on the thread that made the request, the hook is
  // asked first.
  int check();

 private:
  std::function<int()> poll_;
  std::thread::id owner_;
  std::atomic<int> signal_{0};
};

// The signal that stops a run with `request` (none: the process's signals alone), or 0.
inline int stopSignal(StopRequest* request) {
  return request != nullptr ? request->check() : interruptSignal();
}

}  // namespace bhsim
