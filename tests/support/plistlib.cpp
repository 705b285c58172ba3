#include "support/plistlib.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <bit>
#include <cmath>

namespace {

const char* const script = R"PY(
import base64, datetime, json, plistlib, struct, sys
EPOCH = datetime.datetime(2001, 1, 1)

def canon(v):
    if isinstance(v, bool): return {"bool": v}
    if isinstance(v, int): return {"int": str(v)}
    if isinstance(v, float): return {"real": struct.pack(">d", v).hex()}
    if isinstance(v, str): return {"string": v}
    if isinstance(v, bytes): return {"data": base64.b64encode(v).decode()}
    if isinstance(v, datetime.datetime):
        return {"date": str((v - EPOCH) // datetime.timedelta(microseconds=1))}
    if isinstance(v, plistlib.UID): return {"uid": str(v.data)}
    if isinstance(v, list): return {"array": [canon(x) for x in v]}
    if isinstance(v, dict): return {"dict": {k: canon(x) for k, x in v.items()}}
    raise TypeError(type(v))

def build(j):
    (tag, v), = j.items()
    if tag == "bool": return v
    if tag == "int": return int(v)
    if tag == "real": return struct.unpack(">d", bytes.fromhex(v))[0]
    if tag == "string": return v
    if tag == "data": return base64.b64decode(v)
    if tag == "date": return EPOCH + datetime.timedelta(microseconds=int(v))
    if tag == "uid": return plistlib.UID(int(v))
    if tag == "array": return [build(x) for x in v]
    if tag == "dict": return {k: build(x) for k, x in v.items()}
    raise ValueError(tag)

mode = sys.argv[1]
data = sys.stdin.buffer.read()
if mode == "load":
    sys.stdout.write(json.dumps(canon(plistlib.loads(data))))
else:
    fmt = plistlib.FMT_BINARY if sys.argv[2] == "binary" else plistlib.FMT_XML
    sys.stdout.buffer.write(plistlib.dumps(build(json.loads(data)), fmt=fmt, sort_keys=False))
)PY";

QJsonObject tagged(const char* tag, const QJsonValue& value)
{
    return QJsonObject{{QLatin1String(tag), value}};
}

std::optional<QByteArray> runPython(const QStringList& arguments, const QByteArray& input)
{
    QProcess python;
    python.start(QStringLiteral(PYTHON3_EXECUTABLE),
                 QStringList{QStringLiteral("-c"), QString::fromUtf8(script)} + arguments);
    if (!python.waitForStarted(10000))
        return std::nullopt;
    python.write(input);
    python.closeWriteChannel();
    if (!python.waitForFinished(60000) || python.exitStatus() != QProcess::NormalExit ||
        python.exitCode() != 0)
        return std::nullopt;
    return python.readAllStandardOutput();
}

} // namespace

QJsonValue plistlib::canonical(const PlistValue& value)
{
    switch (value.type()) {
    case PlistValue::Type::Invalid:
        return {};
    case PlistValue::Type::Boolean:
        return tagged("bool", value.toBool());
    case PlistValue::Type::Integer: {
        const PlistInteger integer = value.toInteger();
        return tagged("int", integer.isUnsignedAboveSignedRange
                                 ? QString::number(integer.unsignedValue())
                                 : QString::number(integer.bits));
    }
    case PlistValue::Type::Real: {
        const quint64 bits = std::bit_cast<quint64>(value.toReal());
        return tagged("real", QString::number(bits, 16).rightJustified(16, u'0'));
    }
    case PlistValue::Type::Date:
        return tagged("date",
                      QString::number(std::llround(value.toDate().secondsSinceReference * 1e6)));
    case PlistValue::Type::String:
        return tagged("string", value.toString());
    case PlistValue::Type::Data:
        return tagged("data", QString::fromLatin1(value.toData().toBase64()));
    case PlistValue::Type::Uid:
        return tagged("uid", QString::number(value.toUid().value));
    case PlistValue::Type::Array: {
        QJsonArray array;
        for (const PlistValue& element : value.toArray())
            array.append(canonical(element));
        return tagged("array", array);
    }
    case PlistValue::Type::Dictionary: {
        QJsonObject object;
        for (const PlistDictionary::Entry& entry : value.toDictionary().entries())
            object.insert(entry.first, canonical(entry.second));
        return tagged("dict", object);
    }
    }
    return {};
}

PlistValue plistlib::fromCanonical(const QJsonValue& json)
{
    const QJsonObject object = json.toObject();
    const QString tag = object.keys().value(0);
    const QJsonValue value = object.value(tag);
    if (tag == u"bool")
        return PlistValue(value.toBool());
    if (tag == u"int") {
        const QString text = value.toString();
        if (text.startsWith(u'-'))
            return PlistValue::integer(text.toLongLong());
        return PlistValue::unsignedInteger(text.toULongLong());
    }
    if (tag == u"real")
        return PlistValue(std::bit_cast<double>(value.toString().toULongLong(nullptr, 16)));
    if (tag == u"date")
        return PlistValue(PlistDate{double(value.toString().toLongLong()) / 1e6});
    if (tag == u"string")
        return PlistValue(value.toString());
    if (tag == u"data")
        return PlistValue(QByteArray::fromBase64(value.toString().toLatin1()));
    if (tag == u"uid")
        return PlistValue(PlistUid{value.toString().toULongLong()});
    if (tag == u"array") {
        PlistArray array;
        for (const QJsonValue element : value.toArray())
            array.append(fromCanonical(element));
        return PlistValue(array);
    }
    PlistDictionary dictionary;
    const QJsonObject entries = value.toObject();
    for (auto it = entries.begin(); it != entries.end(); ++it)
        dictionary.insert(it.key(), fromCanonical(it.value()));
    return PlistValue(dictionary);
}

std::optional<QJsonValue> plistlib::load(const QByteArray& bytes)
{
    const std::optional<QByteArray> output = runPython({QStringLiteral("load")}, bytes);
    if (!output)
        return std::nullopt;
    return QJsonDocument::fromJson(*output).object();
}

std::optional<QByteArray> plistlib::dump(const QJsonValue& json, const QString& format)
{
    return runPython({QStringLiteral("dump"), format},
                     QJsonDocument(json.toObject()).toJson(QJsonDocument::Compact));
}
