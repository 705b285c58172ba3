#include "support/plistlib.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <bit>
#include <cmath>

namespace {

const QString script = QStringLiteral(TESTS_SOURCE_DIR "/support/plistcanon.py");

QJsonObject tagged(const char* tag, const QJsonValue& value)
{
    return QJsonObject{{QLatin1String(tag), value}};
}

std::optional<QByteArray> runPython(const QStringList& arguments, const QByteArray& input)
{
    return plistlib::runScript(script, arguments, input);
}

} // namespace

std::optional<QByteArray> plistlib::runScript(const QString& path, const QStringList& arguments,
                                              const QByteArray& input)
{
    QProcess python;
    python.start(QStringLiteral(PYTHON3_EXECUTABLE), QStringList{path} + arguments);
    if (!python.waitForStarted(10000))
        return std::nullopt;
    python.write(input);
    python.closeWriteChannel();
    if (!python.waitForFinished(120000) || python.exitStatus() != QProcess::NormalExit ||
        python.exitCode() != 0)
        return std::nullopt;
    return python.readAllStandardOutput();
}

QJsonValue plistlib::canonical(const PlistValue& value)
{
    switch (value.type()) {
    case PlistValue::Type::invalid:
        return {};
    case PlistValue::Type::boolean:
        return tagged("bool", value.toBool());
    case PlistValue::Type::integer: {
        const PlistInteger integer = value.toInteger();
        return tagged("int", integer.isUnsignedAboveSignedRange
                                 ? QString::number(integer.unsignedValue())
                                 : QString::number(integer.bits));
    }
    case PlistValue::Type::real: {
        const quint64 bits = std::bit_cast<quint64>(value.toReal());
        return tagged("real", QString::number(bits, 16).rightJustified(16, u'0'));
    }
    case PlistValue::Type::date:
        return tagged("date",
                      QString::number(std::llround(value.toDate().secondsSinceReference * 1e6)));
    case PlistValue::Type::string:
        return tagged("string", value.toString());
    case PlistValue::Type::data:
        return tagged("data", QString::fromLatin1(value.toData().toBase64()));
    case PlistValue::Type::uid:
        return tagged("uid", QString::number(value.toUid().value));
    case PlistValue::Type::array: {
        QJsonArray array;
        for (const PlistValue& element : value.toArray())
            array.append(canonical(element));
        return tagged("array", array);
    }
    case PlistValue::Type::dictionary: {
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
