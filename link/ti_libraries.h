// The TI link libraries' C headers, which use C99 `restrict`.
#pragma once

#define restrict __restrict
#include <ticables.h>
#include <ticalcs.h>
#include <ticonv.h>
#include <tifiles.h>
#undef restrict

#include "formats/calc_text_file.h"

namespace tessaline {

// The link library's model of a calculator.
inline CalcModel calcModel(Calculator calculator)
{
    switch (calculator) {
    case Calculator::Ti89:
        return CALC_TI89;
    case Calculator::Ti92Plus:
        return CALC_TI92P;
    case Calculator::Voyage200:
        return CALC_V200;
    }
    return CALC_TI89;
}

}  // namespace tessaline
