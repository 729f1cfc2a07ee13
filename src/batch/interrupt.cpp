#include "batch/interrupt.hpp"

#include <signal.h>

#include <atomic>
#include <utility>

namespace bhsim {
namespace {

// The one value a signal handler may share with the program: written only by the handler, read by the
// run's pumps in every thread.
std::atomic<int> caughtSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "a signal handler may only touch a lock-free atomic");

extern "C" void onInterrupt(int signal) {
  int none = 0;
  if (caughtSignal.compare_exchange_strong(none, signal)) return;
  // the second one: end now, by the signal's own default action
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

}  // namespace

void catchInterrupts() {
  struct sigaction action = {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  // A SIGINT ignored from the start (a background job of a script) stays ignored.
  struct sigaction before = {};
  if (sigaction(SIGINT, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
    sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int interruptSignal() {
  return caughtSignal.load(std::memory_order_relaxed);
}

StopRequest::StopRequest(std::function<int()> poll)
    : poll_(std::move(poll)), owner_(std::this_thread::get_id()) {}

int StopRequest::check() {
  if (const int signal = signal_.load(std::memory_order_relaxed)) return signal;
  if (const int signal = interruptSignal()) return signal;
  if (!poll_ || std::this_thread::get_id() != owner_) return 0;
  const int signal = poll_();
  if (signal != 0) signal_.store(signal, std::memory_order_relaxed);
  return signal;
}

}  // namespace bhsim
