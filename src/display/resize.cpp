#include "display/resize.hpp"

#include <cmath>
#include <initializer_list>

#include "control/form1.hpp"
#include "display/form2.hpp"
#include "state/module1.hpp"

namespace bhsim {
namespace {

using enum ControlId;

void setVisible(Form1& form1, std::initializer_list<ControlId> ids, bool visible) {
  for (ControlId id : ids) form1.setVisible(id, visible);
}

void layoutOne(Form1& form1) {
  setVisible(form1,
             {LBH2,      TBH2,      LBH3,      TBH3,       Ldm1,       Ldm2,       Tdm1, Tdm2, Tdist02,
              Tdist12,   Ldist02,   Ldist12,   Tdist01min, Tdist02min, Tdist12min, Td3,  Lr3,  Lalphamin,
              Talphamin, Lalphamax, Talphamax, Ldalpha,    Tdalpha,    Ldistmin,   Tv2,  Lv2},
             false);
  setVisible(form1, {Lphi, Tphi}, true);
  form1.setTop(Lphi, 1800);
  form1.setTop(Tphi, 1800);
}

void layoutThree(Form1& form1) {
  form1.setTop(LBH3, 1320);
  setVisible(form1, {LBH3, TBH3}, true);
  form1.setTop(TBH3, 1320);
  setVisible(form1,
             {Tdist02, Tdist12, Ldist02, Ldist12, Ldistmin, Tdist01min, Tdist02min, Tdist12min, Td3, Lr3, Tv2,
              Lv2, Lalphamin, Talphamin, Lalphamax, Talphamax, Ldalpha, Tdalpha},
             true);
  setVisible(form1, {Tdm1, Ldm1, Tdm2, Ldm2, Lphi, Tphi}, false);
  for (ControlId id : {Lalphamin, Talphamin, Lalphamax, Talphamax, Ldalpha, Tdalpha, Lphi, Tphi}) {
    form1.setTop(id, 1800);
  }
}

void layoutTwoOrMore(double nBH, Form1& form1) {
  setVisible(form1, {LBH2, TBH2, Ldm1, Ldm2, Tdm1, Tdm2, Tdist01}, true);
  setVisible(form1, {Tdist02, Tdist12, Ldistmin, Tdist01min, Tdist02min, Tdist12min, TBH3, LBH3, Tv2, Lv2},
             false);
  for (ControlId id : {Tdist01min, Tdist02min, Tdist12min, Td1, Td2, Td3}) form1.setText(id, "");
  if (nBH == 3) layoutThree(form1);
}

}  // namespace

void layoutForBodyCount(double nBH, Form1& form1) {
  form1.setText(Tphi, "");
  if (nBH == 1) {
    layoutOne(form1);
  } else {
    layoutTwoOrMore(nBH, form1);
  }
}

void RESIZE(double aspect, Form2& form2, Form1& form1, Module1& module) {
  const float a = form2.Width() - Form2::kFrameWidth;
  const float b = form2.Height() - Form2::kFrameHeight;
  const float t = static_cast<float>(aspect) * a * b * 3.0f / 4.0f;
  const double w = std::floor(std::sqrt(static_cast<double>(t)));
  const double h = std::floor((4 * w / 3) / aspect);
  form2.setWidth(static_cast<float>(w + Form2::kFrameWidth));
  form2.setHeight(static_cast<float>(h + Form2::kFrameHeight));
  module.xpixmax = static_cast<std::int32_t>(form2.ScaleWidth() - 1);
  module.ypixmax = static_cast<std::int32_t>(form2.ScaleHeight() - 1);
  layoutForBodyCount(module.nBH, form1);
}

}  // namespace bhsim
