// SPDX-License-Identifier: MIT
// Expressions over durations, as horodex-tc evaluates them.
#ifndef HORODEX_TC_EXPRESSION_H
#define HORODEX_TC_EXPRESSION_H

#include <cstddef>

#include "ELKDuration.h"
#include "Values.h"

// Evaluates "a + b", "(a - b) / 2", "2 * a" at tb: + and - between durations,
// * by a plain number on either side, / by a plain number on the right, the
// usual precedence and parentheses. A plain number ("3", "1.5") is a number
// only as an operand of * or /; elsewhere it is a duration ("+ 12" adds 12
// frames). A term runs from one operator to the next, so blanks inside it
// separate its digit groups ("1h 30m"). Every * and / rounds to the nearest
// frame at once. False, with the fault, when the text cannot
// be read or evaluated.
bool evaluateExpression(
    const char* text, size_t length, const ELKTimebase_t& tb, ELKDuration_t* result, TextError* error);

#endif
