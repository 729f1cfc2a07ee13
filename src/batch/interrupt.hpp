#pragma once

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

}  // namespace bhsim
