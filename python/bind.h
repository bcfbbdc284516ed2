// SPDX-License-Identifier: MIT
// The Python module's shared pieces: conversions between Python objects and
// the library's records that every part uses.
#ifndef HORODEX_PYTHON_BIND_H
#define HORODEX_PYTHON_BIND_H

#include <cstddef>
#include <string>

#include <pybind11/pybind11.h>

#include "ELKDuration.h"

namespace py = pybind11;

// A rate given as a Timebase, text ("29.97df", "30000/1001df"), an int, a
// Fraction or a float (taken as the named timebase within 1e-5, as OTIO
// rates are). TypeError or ValueError otherwise.
ELKTimebase_t toTimebase(py::handle rate);

py::object newDuration(int64_t frames, const ELKTimebase_t& tb);
py::object newTimebase(const ELKTimebase_t& tb);

// Text from the library as str; bytes that are not UTF-8 are taken as
// Latin-1, as horodex-tc writes them.
py::str utf8(const char* text, size_t length);

// An exact number as the library's text "n" or "n/d": int, Fraction, float
// (through its exact fraction) or Decimal. TypeError or ValueError otherwise.
std::string exactText(py::handle number);

// Raises horodex.TimecodeError (a ValueError) with .column, from 1, or None.
[[noreturn]] void raiseTimecodeError(const std::string& message, py::object column);

void bindDuration(py::module_& m);
void bindList(py::module_& m);

#endif
