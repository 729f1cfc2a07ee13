#include "qt/gui_main.hpp"

#include <cstdio>

namespace bhsim {

int guiMain(int, char**) {
  std::puts("bhsim: the windows are not built yet; use bhsim --batch");
  return 0;
}

}  // namespace bhsim
