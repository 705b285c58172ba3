#pragma once

#include "plist/plistreaderror.h"

class PlistBinaryReader
{
public:
    static PlistReadResult read(const QByteArray& bytes);
};
