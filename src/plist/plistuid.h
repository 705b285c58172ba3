#pragma once

#include <QtGlobal>

// The keyed-archive object reference.
struct PlistUid
{
    quint64 value = 0;
};
