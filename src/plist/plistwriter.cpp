#include "plist/plistwriter.h"

#include "plist/plistbinaryformat.h"

#include <QHash>

#include <optional>

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

// Objects are numbered in 32 bits: a value with more objects would not
// fit in memory.
using ObjectNumber = quint32;

// A container or data block by the memory it holds, which copies share.
using Identity = std::pair<const void*, qsizetype>;

size_t topLevelCount(const PlistValue& root)
{
    return size_t(root.isDictionary()                      ? root.toDictionary().size()
                  : root.type() == PlistValue::Type::array ? root.toArray().size()
                                                           : 1);
}

// 64-bit finaliser (splitmix64): scalars and addresses spread over the
// table's low bits.
quint64 mix(quint64 value)
{
    value ^= value >> 30;
    value *= 0xBF58476D1CE4E5B9ull;
    value ^= value >> 27;
    value *= 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

// Object numbers by content, in open addressing. A slot holds the number
// and the hash only: the content is compared through the object itself,
// so nothing is copied and nothing reference-counted. Writing a 20,000-key
// domain looks up about 60,000 objects here (bench_codec,
// codec-bin-write-vs-libplist).
class ObjectIndex
{
public:
    explicit ObjectIndex(size_t expected)
    {
        size_t capacity = 16;
        while (capacity < expected * 2)
            capacity *= 2;
        m_slots.resize(capacity);
    }

    // The number of the object that `isSame` accepts, or else the result
    // of `add()`, which is then remembered under `hash`.
    template <typename IsSame, typename Add>
    ObjectNumber findOrAdd(quint64 hash, IsSame isSame, Add add)
    {
        const quint32 shortHash = quint32(hash);
        const size_t mask = m_slots.size() - 1;
        for (size_t i = shortHash & mask;; i = (i + 1) & mask) {
            Slot& slot = m_slots[i];
            if (slot.numberPlusOne == 0) {
                const ObjectNumber number = add();
                slot = {shortHash, number + 1};
                if (++m_used * 2 > m_slots.size())
                    grow();
                return number;
            }
            if (slot.hash == shortHash && isSame(slot.numberPlusOne - 1))
                return slot.numberPlusOne - 1;
        }
    }

private:
    // Eight bytes, so that the table of a large domain stays small.
    struct Slot
    {
        quint32 hash = 0;
        quint32 numberPlusOne = 0;
    };

    void grow()
    {
        std::vector<Slot> old(m_slots.size() * 2);
        old.swap(m_slots);
        const size_t mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.numberPlusOne == 0)
                continue;
            size_t i = slot.hash & mask;
            while (m_slots[i].numberPlusOne != 0)
                i = (i + 1) & mask;
            m_slots[i] = slot;
        }
    }

    std::vector<Slot> m_slots;
    size_t m_used = 0;
};

class BinaryWriter
{
public:
    // Tables are sized for the top level; deeper values grow them.
    explicit BinaryWriter(const PlistValue& root)
        : m_strings(2 * topLevelCount(root)), m_scalars(topLevelCount(root)),
          m_sharedArrays(topLevelCount(root) / 4), m_sharedDictionaries(topLevelCount(root) / 4),
          m_sharedData(topLevelCount(root) / 4)
    {
        m_objects.reserve(3 * topLevelCount(root));
    }

    QByteArray write(const PlistValue& root)
    {
        flatten(root);
        m_referenceSize = bytesNeeded(m_objects.size() - 1);
        m_output.reserve(qsizetype(m_objects.size()) * 24 + 64);
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
        quint32 firstReference = 0;
        quint32 count = 0;
    };

    ObjectNumber add(const PlistValue* value, const QString* key)
    {
        const auto index = ObjectNumber(m_objects.size());
        m_objects.push_back({value, key, 0, 0});
        return index;
    }

    // Booleans, numbers and dates are written once per distinct value: the
    // type and the bits tell them apart.
    static std::optional<std::pair<int, quint64>> scalarKey(const PlistValue& value)
    {
        switch (value.type()) {
        case PlistValue::Type::boolean:
            return std::pair{1, quint64(value.toBool())};
        case PlistValue::Type::integer:
            return std::pair{value.toInteger().isUnsignedAboveSignedRange ? 3 : 2,
                             quint64(value.toInteger().bits)};
        case PlistValue::Type::real:
            return std::pair{4, std::bit_cast<quint64>(value.toReal())};
        case PlistValue::Type::date:
            return std::pair{5, std::bit_cast<quint64>(value.toDate().secondsSinceReference)};
        default:
            return std::nullopt;
        }
    }

    // A container or data block by the memory it holds, which copies share.
    static Identity identityOf(const PlistValue& value)
    {
        switch (value.type()) {
        case PlistValue::Type::array:
            return {value.toArray().constData(), value.toArray().size()};
        case PlistValue::Type::dictionary:
            return {&value.toDictionary().entries(), value.toDictionary().size()};
        default: {
            const QByteArray data = value.toData();
            return {data.constData(), data.size()};
        }
        }
    }

    QStringView textOf(ObjectNumber number) const
    {
        const Object& object = m_objects[number];
        return object.key ? QStringView(*object.key) : QStringView(object.value->toStringView());
    }

    // The object already added for `identity`, or a new one.
    std::pair<ObjectNumber, bool> addOnce(ObjectIndex& added, Identity identity,
                                          const PlistValue* value)
    {
        bool isNew = false;
        const quint64 hash = mix(quintptr(identity.first) ^ mix(quint64(identity.second)));
        const ObjectNumber number = added.findOrAdd(
            hash, [&](ObjectNumber n) { return identityOf(*m_objects[n].value) == identity; },
            [&] {
                isNew = true;
                return add(value, nullptr);
            });
        return {number, isNew};
    }

    ObjectNumber flattenString(const QString& text, const PlistValue* value)
    {
        return m_strings.findOrAdd(
            qHash(QStringView(text)), [&](ObjectNumber n) { return textOf(n) == text; },
            [&] { return add(value, value ? nullptr : &text); });
    }

    // A container's references are reserved before its children are
    // numbered, so that they stay together.
    size_t reserveReferences(size_t count)
    {
        const size_t first = m_references.size();
        m_references.resize(first + count);
        return first;
    }

    ObjectNumber flatten(const PlistValue& value)
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
            m_objects[index].firstReference = quint32(first);
            m_objects[index].count = quint32(array.size());
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
            m_objects[index].firstReference = quint32(first);
            m_objects[index].count = quint32(count);
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
        if (const auto key = scalarKey(value)) {
            return m_scalars.findOrAdd(
                mix(key->second) ^ quint64(key->first),
                [&](ObjectNumber n) { return scalarKey(*m_objects[n].value) == key; },
                [&] { return add(&value, nullptr); });
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
    std::vector<ObjectNumber> m_references;
    ObjectIndex m_strings;
    ObjectIndex m_scalars;
    // Containers and data that several references share (the reader keeps a
    // shared object shared) are written once: written out at every
    // reference, a small file could grow without bound.
    ObjectIndex m_sharedArrays;
    ObjectIndex m_sharedDictionaries;
    ObjectIndex m_sharedData;
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
    return BinaryWriter(root).write(root);
}
