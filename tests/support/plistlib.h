#pragma once

#include "plist/plistvalue.h"

#include <QJsonValue>

#include <optional>

// python3's plistlib as an independent reference. Values cross the process
// boundary in a tagged JSON form that keeps every type apart and every
// number exact (reals as their bit pattern, dates in whole microseconds).
namespace plistlib {
QJsonValue canonical(const PlistValue& value);
PlistValue fromCanonical(const QJsonValue& json);
// What plistlib reads from these bytes, or none when it refuses them.
std::optional<QJsonValue> load(const QByteArray& bytes);
// plistlib's own encoding ("binary" or "xml") of a canonical value.
std::optional<QByteArray> dump(const QJsonValue& json, const QString& format);
// The standard output of the Python script at `path`, given `input`; none
// when it fails.
std::optional<QByteArray> runScript(const QString& path, const QStringList& arguments,
                                    const QByteArray& input = {});
} // namespace plistlib
