// Compiled with only a lower layer's include root: the window header must not
// be found.
#include "ui/app_state.h"
