#include "engine/char_widths.h"
#include "engine/line_break_pass.h"
#include "engine/numeric_reading.h"
#include "engine/text_buffer.h"
