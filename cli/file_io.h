// Input and output of tessaline-process: the input file, the input read
// whole, and the output sink.
#pragma once

#include "cli/input_bytes.h"
#include "cli/input_file.h"
#include "cli/output_sink.h"
