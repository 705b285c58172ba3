#pragma once

#include "plist/plistreaderror.h"
#include "support/readfailure.h"

// What a failed read says, for a test's failure message; empty for a value.
// QVERIFY2 builds its message even when the check passes.
inline QString readFailure(const PlistReadResult& result)
{
    return result ? QString() : readFailure(result);
}
