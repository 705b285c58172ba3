#pragma once

#include "plist/plistvalue.h"

#include <optional>

class PlistBinaryReader
{
public:
    static std::optional<PlistValue> read(const QByteArray& bytes, QString* error);
};
