#include "qt/desktop.hpp"

namespace bhsim {

Desktop::Desktop() {
  program.Form_Load();
  const auto end = [this] { platform.endProgram(); };
  control = std::make_unique<ControlWindow>(program.form1, end);
  display = std::make_unique<DisplayWindow>(program.form2, end);
  control->offerGravityChoice(program.options.gravity);
  platform.setDialogParent(control.get());
  platform.addPumpHook([this] { display->sync(); });
}

void Desktop::show() {
  control->show();
  if (program.form2.shown()) display->show();
}

}  // namespace bhsim
