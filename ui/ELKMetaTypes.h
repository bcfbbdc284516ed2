// SPDX-License-Identifier: MIT
// The library's rate and record pointer as Qt meta-types, so that they can
// travel in signals by name, in QVariant and through QSignalSpy.
#ifndef ELKMETATYPES_H
#define ELKMETATYPES_H

#include <QMetaType>

#include "ELKTimecode.h"

Q_DECLARE_METATYPE(ELKFrameRate_t)
Q_DECLARE_METATYPE(ELKTimecode_t*)

#endif
