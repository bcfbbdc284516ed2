// SPDX-License-Identifier: MIT
// horodex._horodex: the library's durations, timebases and list reading as
// Python types. The package horodex re-exports it with its documentation.
#include "bind.h"

PYBIND11_MODULE(_horodex, m)
{
    m.doc() = "Exact timecode arithmetic and list totals from the Horodex library.";
    bindDuration(m);
    bindList(m);
}
