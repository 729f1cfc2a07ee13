#include "program/read_parameters.hpp"

#include "control/form1.hpp"
#include "format/numeric_value.hpp"

namespace bhsim {

RunParameters readParameters(const Form1& form1, double nBH) {
  using enum ControlId;
  const auto value = [&form1](ControlId id) { return numericValue(form1.text(id)); };
  RunParameters p;
  p.maxcount = value(Tmaxcount);
  p.vc = value(Tvc);
  p.dm0 = value(Tdm1) / 100;
  p.dm1 = value(Tdm2) / 100;
  p.f = value(Tfreq);
  p.dist = plainDecimalValue(form1.text(Tdist01));
  p.xmaxf = value(Txmaxf);
  p.BH1 = value(TBH1);
  p.BH2 = value(TBH2);
  p.BH3 = value(TBH3);
  p.alphamin = value(Talphamin);
  p.dalpha = value(Tdalpha);
  p.dalphaRead = p.dalpha;
  p.alphamax = value(Talphamax);
  if (p.alphamax <= p.alphamin) {
    p.dalpha = 0;
    p.nalpha = 1;
    p.dalphaZeroed = true;
  } else {
    p.nalpha = 1 + (p.alphamax - p.alphamin) / p.dalpha;
  }
  if (nBH != 3) p.nalpha = 1;
  p.Tott0 = value(Ttotaltime);
  p.nrev0 = value(Tnrev);
  return p;
}

}  // namespace bhsim
