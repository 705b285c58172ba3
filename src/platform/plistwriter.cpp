#include "platform/plistwriter.h"

#include <QHash>

#include <bit>
#include <vector>

namespace {

int bytesNeeded(quint64 value)
{
    if (value <= 0xFF)
        return 1;
    if (value <= 0xFFFF)
        return 2;
    if (value <= 0xFFFFFFFFull)
        return 4;
    return 8;
}

int log2Size(int size)
{
    return size == 1 ? 0 : size == 2 ? 1 : size == 4 ? 2 : 3;
}

struct ScalarKey
{
    int type;
    quint64 bits;
    bool flag;
    friend bool operator==(const ScalarKey&, const ScalarKey&) = default;
};

size_t qHash(const ScalarKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.type, key.bits, key.flag);
}

class BinaryWriter
{
public:
    QByteArray write(const PlistValue& root)
    {
        flatten(root);
        m_referenceSize = bytesNeeded(m_objects.size() - 1);
        m_output.reserve(qsizetype(m_objects.size()) * 16 + 64);
        m_output.append("bplist00", 8);
        std::vector<quint64> offsets;
        offsets.reserve(m_objects.size());
        for (const Object& object : m_objects) {
            offsets.push_back(quint64(m_output.size()));
            writeObject(object);
        }
        const quint64 tableOffset = quint64(m_output.size());
        const int offsetSize = bytesNeeded(tableOffset);
        for (const quint64 offset : offsets)
            appendBigEndian(offset, offsetSize);
        const char unused[6] = {0, 0, 0, 0, 0, 0};
        m_output.append(unused, 6);
        m_output.append(char(offsetSize));
        m_output.append(char(m_referenceSize));
        appendBigEndian(m_objects.size(), 8);
        appendBigEndian(0, 8);
        appendBigEndian(tableOffset, 8);
        return m_output;
    }

private:
    struct Object
    {
        PlistValue value;
        // For an array its elements; for a dictionary its keys then its values.
        std::vector<quint64> children;
        qsizetype count = 0;
    };

    quint64 add(const PlistValue& value)
    {
        const quint64 index = m_objects.size();
        m_objects.push_back({value, {}, 0});
        return index;
    }

    std::optional<ScalarKey> scalarKey(const PlistValue& value)
    {
        switch (value.type()) {
        case PlistValue::Type::Boolean:
            return ScalarKey{1, value.toBool(), false};
        case PlistValue::Type::Integer:
            return ScalarKey{2, quint64(value.toInteger().bits),
                             value.toInteger().isUnsignedAboveSignedRange};
        case PlistValue::Type::Real:
            return ScalarKey{3, std::bit_cast<quint64>(value.toReal()), false};
        case PlistValue::Type::Date:
            return ScalarKey{4, std::bit_cast<quint64>(value.toDate().secondsSinceReference),
                             false};
        default:
            return std::nullopt;
        }
    }

    quint64 flatten(const PlistValue& value)
    {
        switch (value.type()) {
        case PlistValue::Type::String: {
            const QString text = value.toString();
            const auto found = m_strings.constFind(text);
            if (found != m_strings.constEnd())
                return *found;
            const quint64 index = add(value);
            m_strings.insert(text, index);
            return index;
        }
        case PlistValue::Type::Array: {
            const quint64 index = add(value);
            const PlistArray& array = value.toArray();
            std::vector<quint64> children;
            children.reserve(array.size());
            for (const PlistValue& element : array)
                children.push_back(flatten(element));
            m_objects[index].children = std::move(children);
            m_objects[index].count = array.size();
            return index;
        }
        case PlistValue::Type::Dictionary: {
            const quint64 index = add(value);
            const PlistDictionary& dictionary = value.toDictionary();
            std::vector<quint64> children;
            children.reserve(dictionary.size() * 2);
            for (const PlistDictionary::Entry& entry : dictionary.entries())
                children.push_back(flatten(PlistValue(entry.first)));
            for (const PlistDictionary::Entry& entry : dictionary.entries())
                children.push_back(flatten(entry.second));
            m_objects[index].children = std::move(children);
            m_objects[index].count = dictionary.size();
            return index;
        }
        default:
            break;
        }
        if (const std::optional<ScalarKey> key = scalarKey(value)) {
            const auto found = m_scalars.constFind(*key);
            if (found != m_scalars.constEnd())
                return *found;
            const quint64 index = add(value);
            m_scalars.insert(*key, index);
            return index;
        }
        return add(value);
    }

    void appendBigEndian(quint64 value, int size)
    {
        char buffer[8];
        for (int i = size - 1; i >= 0; --i) {
            buffer[i] = char(value & 0xFF);
            value >>= 8;
        }
        m_output.append(buffer, size);
    }

    void appendMarkerWithCount(uchar type, quint64 count)
    {
        if (count < 15) {
            m_output.append(char(type << 4 | count));
            return;
        }
        m_output.append(char(type << 4 | 0x0F));
        const int size = bytesNeeded(count);
        m_output.append(char(0x10 | log2Size(size)));
        appendBigEndian(count, size);
    }

    void writeObject(const Object& object)
    {
        const PlistValue& value = object.value;
        switch (value.type()) {
        case PlistValue::Type::Invalid:
        case PlistValue::Type::Boolean:
            m_output.append(char(value.toBool() ? 0x09 : 0x08));
            return;
        case PlistValue::Type::Integer: {
            const PlistInteger integer = value.toInteger();
            if (integer.isUnsignedAboveSignedRange) {
                m_output.append(char(0x14));
                appendBigEndian(0, 8);
                appendBigEndian(integer.unsignedValue(), 8);
            } else if (integer.bits < 0) {
                m_output.append(char(0x13));
                appendBigEndian(quint64(integer.bits), 8);
            } else {
                const int size = bytesNeeded(quint64(integer.bits));
                m_output.append(char(0x10 | log2Size(size)));
                appendBigEndian(quint64(integer.bits), size);
            }
            return;
        }
        case PlistValue::Type::Real:
            m_output.append(char(0x23));
            appendBigEndian(std::bit_cast<quint64>(value.toReal()), 8);
            return;
        case PlistValue::Type::Date:
            m_output.append(char(0x33));
            appendBigEndian(std::bit_cast<quint64>(value.toDate().secondsSinceReference), 8);
            return;
        case PlistValue::Type::Data: {
            const QByteArray data = value.toData();
            appendMarkerWithCount(0x4, quint64(data.size()));
            m_output.append(data);
            return;
        }
        case PlistValue::Type::String:
            writeString(value.toString());
            return;
        case PlistValue::Type::Uid: {
            const quint64 uid = value.toUid().value;
            const int size = bytesNeeded(uid);
            m_output.append(char(0x80 | (size - 1)));
            appendBigEndian(uid, size);
            return;
        }
        case PlistValue::Type::Array:
        case PlistValue::Type::Dictionary:
            appendMarkerWithCount(value.type() == PlistValue::Type::Array ? 0xA : 0xD,
                                  quint64(object.count));
            for (const quint64 child : object.children)
                appendBigEndian(child, m_referenceSize);
            return;
        }
    }

    void writeString(const QString& text)
    {
        const char16_t* units = reinterpret_cast<const char16_t*>(text.utf16());
        bool ascii = true;
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (units[i] >= 0x80) {
                ascii = false;
                break;
            }
        }
        if (ascii) {
            appendMarkerWithCount(0x5, quint64(text.size()));
            const qsizetype start = m_output.size();
            m_output.resize(start + text.size());
            char* out = m_output.data() + start;
            for (qsizetype i = 0; i < text.size(); ++i)
                out[i] = char(units[i]);
            return;
        }
        appendMarkerWithCount(0x6, quint64(text.size()));
        const qsizetype start = m_output.size();
        m_output.resize(start + text.size() * 2);
        char* out = m_output.data() + start;
        for (qsizetype i = 0; i < text.size(); ++i) {
            out[2 * i] = char(units[i] >> 8);
            out[2 * i + 1] = char(units[i] & 0xFF);
        }
    }

    std::vector<Object> m_objects;
    QHash<QString, quint64> m_strings;
    QHash<ScalarKey, quint64> m_scalars;
    int m_referenceSize = 1;
    QByteArray m_output;
};

} // namespace

QByteArray PlistWriter::writeBinary(const PlistValue& root)
{
    return BinaryWriter().write(root);
}
