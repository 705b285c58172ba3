#include "plist/plistwriter.h"

#include "plist/plistbinaryformat.h"

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

// A container or data block by the memory it holds, which copies share.
using Identity = std::pair<const void*, qsizetype>;

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
        m_output.append(plist::binary::writerMark, sizeof plist::binary::writerMark);
        m_output.append(char(0)); // sort version
        m_output.append(char(offsetSize));
        m_output.append(char(m_referenceSize));
        appendBigEndian(m_objects.size(), 8);
        appendBigEndian(0, 8);
        appendBigEndian(tableOffset, 8);
        return m_output;
    }

private:
    // One object of the file. It points into the value being written, which
    // outlives the writer; a dictionary key is a bare string.
    struct Object
    {
        const PlistValue* value = nullptr;
        const QString* key = nullptr;
        // For a container: its references in m_references, elements, or keys
        // then values.
        size_t firstReference = 0;
        qsizetype count = 0;
    };

    quint64 add(const PlistValue* value, const QString* key)
    {
        const quint64 index = m_objects.size();
        m_objects.push_back({value, key, 0, 0});
        return index;
    }

    std::optional<ScalarKey> scalarKey(const PlistValue& value)
    {
        switch (value.type()) {
        case PlistValue::Type::boolean:
            return ScalarKey{1, value.toBool(), false};
        case PlistValue::Type::integer:
            return ScalarKey{2, quint64(value.toInteger().bits),
                             value.toInteger().isUnsignedAboveSignedRange};
        case PlistValue::Type::real:
            return ScalarKey{3, std::bit_cast<quint64>(value.toReal()), false};
        case PlistValue::Type::date:
            return ScalarKey{4, std::bit_cast<quint64>(value.toDate().secondsSinceReference),
                             false};
        default:
            return std::nullopt;
        }
    }

    // The object already added for `identity`, or a new one.
    std::pair<quint64, bool> addOnce(QHash<Identity, quint64>& added, Identity identity,
                                     const PlistValue* value)
    {
        if (const auto found = added.constFind(identity); found != added.constEnd())
            return {*found, false};
        const quint64 index = add(value, nullptr);
        added.insert(identity, index);
        return {index, true};
    }

    quint64 flattenString(const QString& text, const PlistValue* value)
    {
        const auto found = m_strings.constFind(text);
        if (found != m_strings.constEnd())
            return *found;
        const quint64 index = add(value, value ? nullptr : &text);
        m_strings.insert(text, index);
        return index;
    }

    // A container's references are reserved before its children are
    // numbered, so that they stay together.
    size_t reserveReferences(size_t count)
    {
        const size_t first = m_references.size();
        m_references.resize(first + count);
        return first;
    }

    quint64 flatten(const PlistValue& value)
    {
        switch (value.type()) {
        case PlistValue::Type::string:
            return flattenString(value.toStringView(), &value);
        case PlistValue::Type::array: {
            const PlistArray& array = value.toArray();
            const auto [index, isNew] =
                addOnce(m_sharedArrays, {array.constData(), array.size()}, &value);
            if (!isNew)
                return index;
            const size_t first = reserveReferences(size_t(array.size()));
            m_objects[index].firstReference = first;
            m_objects[index].count = array.size();
            for (qsizetype i = 0; i < array.size(); ++i)
                m_references[first + size_t(i)] = flatten(array.at(i));
            return index;
        }
        case PlistValue::Type::dictionary: {
            const PlistDictionary& dictionary = value.toDictionary();
            const auto [index, isNew] =
                addOnce(m_sharedDictionaries, {&dictionary.entries(), dictionary.size()}, &value);
            if (!isNew)
                return index;
            const size_t count = size_t(dictionary.size());
            const size_t first = reserveReferences(2 * count);
            m_objects[index].firstReference = first;
            m_objects[index].count = dictionary.size();
            const QList<PlistDictionary::Entry>& entries = dictionary.entries();
            for (size_t i = 0; i < count; ++i)
                m_references[first + i] = flattenString(entries.at(qsizetype(i)).first, nullptr);
            for (size_t i = 0; i < count; ++i)
                m_references[first + count + i] = flatten(entries.at(qsizetype(i)).second);
            return index;
        }
        case PlistValue::Type::data: {
            const QByteArray data = value.toData();
            return addOnce(m_sharedData, {data.constData(), data.size()}, &value).first;
        }
        default:
            break;
        }
        if (const std::optional<ScalarKey> key = scalarKey(value)) {
            const auto found = m_scalars.constFind(*key);
            if (found != m_scalars.constEnd())
                return *found;
            const quint64 index = add(&value, nullptr);
            m_scalars.insert(*key, index);
            return index;
        }
        return add(&value, nullptr);
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
        if (object.key) {
            writeString(*object.key);
            return;
        }
        const PlistValue& value = *object.value;
        switch (value.type()) {
        case PlistValue::Type::invalid:
        case PlistValue::Type::boolean:
            m_output.append(char(value.toBool() ? 0x09 : 0x08));
            return;
        case PlistValue::Type::integer: {
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
        case PlistValue::Type::real:
            m_output.append(char(0x23));
            appendBigEndian(std::bit_cast<quint64>(value.toReal()), 8);
            return;
        case PlistValue::Type::date:
            m_output.append(char(0x33));
            appendBigEndian(std::bit_cast<quint64>(value.toDate().secondsSinceReference), 8);
            return;
        case PlistValue::Type::data: {
            const QByteArray data = value.toData();
            appendMarkerWithCount(0x4, quint64(data.size()));
            m_output.append(data);
            return;
        }
        case PlistValue::Type::string:
            writeString(value.toStringView());
            return;
        case PlistValue::Type::uid: {
            const quint64 uid = value.toUid().value;
            const int size = bytesNeeded(uid);
            m_output.append(char(0x80 | (size - 1)));
            appendBigEndian(uid, size);
            return;
        }
        case PlistValue::Type::array:
        case PlistValue::Type::dictionary: {
            appendMarkerWithCount(value.type() == PlistValue::Type::array ? 0xA : 0xD,
                                  quint64(object.count));
            const size_t references = value.type() == PlistValue::Type::array
                                          ? size_t(object.count)
                                          : 2 * size_t(object.count);
            const qsizetype start = m_output.size();
            m_output.resize(start + qsizetype(references) * m_referenceSize);
            char* out = m_output.data() + start;
            for (size_t i = 0; i < references; ++i) {
                quint64 reference = m_references[object.firstReference + i];
                for (int b = m_referenceSize - 1; b >= 0; --b) {
                    out[i * size_t(m_referenceSize) + size_t(b)] = char(reference & 0xFF);
                    reference >>= 8;
                }
            }
            return;
        }
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
    std::vector<quint64> m_references;
    QHash<QString, quint64> m_strings;
    QHash<ScalarKey, quint64> m_scalars;
    // Containers and data that several references share (the reader keeps a
    // shared object shared) are written once: written out at every
    // reference, a small file could grow without bound.
    QHash<Identity, quint64> m_sharedArrays;
    QHash<Identity, quint64> m_sharedDictionaries;
    QHash<Identity, quint64> m_sharedData;
    int m_referenceSize = 1;
    QByteArray m_output;
};

} // namespace

QByteArray PlistWriter::writeBinary(const PlistValue& root)
{
    // A dictionary read unchanged from a file this writer wrote is already
    // encoded.
    if (const QByteArray& encoding = root.toDictionary().encoding(); !encoding.isEmpty())
        return encoding;
    return BinaryWriter().write(root);
}
