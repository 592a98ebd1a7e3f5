// The TI link libraries' C headers, which use C99 `restrict`.
#pragma once

#define restrict __restrict
#include <ticables.h>
#include <ticalcs.h>
#include <ticonv.h>
#include <tifiles.h>
#undef restrict
