// The two fonts of the windows: the dialog font of captions and buttons, and
// the calculator font of the editor, the output box and the palette.
#pragma once

#include <QFont>

namespace tessaline {

inline constexpr const char* kCalculatorFontFamily = "Ti92Pluspc";
inline constexpr const char* kDialogFontFamily = "MS Sans Serif";

// Neither family is on most systems: both fonts name the installed fonts that
// stand in for them (see fonts.cpp).
QFont dialogFont(double points);
QFont calculatorFont(double points);

}  // namespace tessaline
