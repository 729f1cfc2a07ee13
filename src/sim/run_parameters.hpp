#pragma once

#include <optional>
#include <string>

namespace bhsim {

class Form1;

// The fifteen parameters a run reads from the control window at its start, with the sweep derived
// from them.
struct RunParameters {
  double maxcount = 0;
  double vc = 0;
  double dm0 = 0;
  double dm1 = 0;
  double f = 0;
  std::string dist;  // the "dist12" text, taken as a number only on the distance path
  double xmaxf = 0;
  double BH1 = 0;
  double BH2 = 0;
  double BH3 = 0;
  double alphamin = 0;
  double dalpha = 0;
  double alphamax = 0;
  double Tott0 = 0;
  double nrev0 = 0;

  double dalphaRead = 0;      // "delta" as typed, before an empty sweep sets it to 0
  bool dalphaZeroed = false;  // alphamax <= alphamin: "delta" is written as "0"
  double nalpha = 1;          // configurations of the sweep (not rounded)
};

// Reads the parameters without writing anything.
RunParameters readParameters(const Form1& form1, double nBH);

}  // namespace bhsim
