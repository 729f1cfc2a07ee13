#pragma once

namespace bhsim {

class Form1;
class Form2;
struct Module1;

// Reshapes the display window to a drawing area of ratio 3 x aspect : 4 with the same area, records the
// pixel extents and lays out the control window for the number of black holes.
void RESIZE(double aspect, Form2& form2, Form1& form1, Module1& module);

// The control window's layout for `nBH` black holes (part of RESIZE).
void layoutForBodyCount(double nBH, Form1& form1);

}  // namespace bhsim
