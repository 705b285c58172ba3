#include "platform/plistbinaryreader.h"

#include "platform/plistreader.h"

#include <bit>
#include <cstring>
#include <vector>

using plist::detail::fail;

namespace {

constexpr qsizetype headerSize = 8;
constexpr qsizetype trailerSize = 32;

quint64 readBigEndian(const uchar* data, int size)
{
    quint64 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | data[i];
    return value;
}

bool isSupportedIntSize(quint64 size)
{
    return size == 1 || size == 2 || size == 4 || size == 8;
}

bool isValidUtf16(const char16_t* text, qsizetype length)
{
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 >= length || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF)
                return false;
            ++i;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

class BinaryParser
{
public:
    BinaryParser(const QByteArray& bytes, QString* error) : m_bytes(bytes), m_error(error) {}

    std::optional<PlistValue> parse()
    {
        const qsizetype size = m_bytes.size();
        if (size < headerSize + 1 + 1 + trailerSize)
            return failed(QStringLiteral("The binary property list is truncated."));
        if (std::memcmp(m_bytes.constData(), "bplist00", 8) != 0)
            return failed(QStringLiteral("Unsupported binary property list version."));
        m_data = reinterpret_cast<const uchar*>(m_bytes.constData());
        const uchar* trailer = m_data + size - trailerSize;
        m_offsetSize = trailer[6];
        m_referenceSize = trailer[7];
        const quint64 objectCount = readBigEndian(trailer + 8, 8);
        const quint64 topObject = readBigEndian(trailer + 16, 8);
        const quint64 tableOffset = readBigEndian(trailer + 24, 8);
        if (!isSupportedIntSize(m_offsetSize) || !isSupportedIntSize(m_referenceSize))
            return failed(QStringLiteral("The binary property list has invalid integer sizes."));
        const quint64 tableEnd = quint64(size - trailerSize);
        if (objectCount == 0 || topObject >= objectCount || tableOffset < quint64(headerSize) ||
            tableOffset > tableEnd || objectCount > (tableEnd - tableOffset) / m_offsetSize)
            return failed(QStringLiteral("The binary property list has an invalid offset table."));
        if (m_referenceSize < 8 && objectCount > (quint64(1) << (8 * m_referenceSize)))
            return failed(QStringLiteral("The binary property list has too many objects."));
        m_objectCount = objectCount;
        m_tableOffset = tableOffset;
        m_objectsEnd = tableOffset;
        m_cache.resize(objectCount);
        m_state.assign(objectCount, Unvisited);
        m_expandedSize.assign(objectCount, 0);
        // Shared containers may be referenced many times; their expansion is
        // capped so that a small file cannot describe a huge value.
        m_expandedLimit = quint64(size) * 4 + 65536;
        if (!parseObject(topObject, 0))
            return std::nullopt;
        return m_cache[topObject];
    }

private:
    enum State : quint8
    {
        Unvisited,
        InProgress,
        Done
    };

    std::nullopt_t failed(const QString& message)
    {
        fail(m_error, message);
        return std::nullopt;
    }

    bool error(const QString& message) { return fail(m_error, message); }

    bool objectOffset(quint64 index, quint64* offset)
    {
        const quint64 value =
            readBigEndian(m_data + m_tableOffset + index * m_offsetSize, m_offsetSize);
        if (value < quint64(headerSize) || value >= m_objectsEnd)
            return error(QStringLiteral("An object offset points outside the property list."));
        *offset = value;
        return true;
    }

    // Whether `length` bytes starting at `position` lie inside the object area.
    bool fits(quint64 position, quint64 length) const
    {
        return position <= m_objectsEnd && length <= m_objectsEnd - position;
    }

    bool readCount(quint64 marker, quint64* position, quint64* count)
    {
        const quint64 low = marker & 0x0F;
        if (low != 0x0F) {
            *count = low;
            return true;
        }
        if (!fits(*position, 1))
            return error(QStringLiteral("The property list is truncated."));
        const uchar intMarker = m_data[*position];
        if ((intMarker & 0xF0) != 0x10 || (intMarker & 0x0F) > 3)
            return error(QStringLiteral("An object length is malformed."));
        const int size = 1 << (intMarker & 0x0F);
        if (!fits(*position + 1, size))
            return error(QStringLiteral("The property list is truncated."));
        *count = readBigEndian(m_data + *position + 1, size);
        *position += 1 + size;
        return true;
    }

    bool parseObject(quint64 index, int depth)
    {
        if (m_state[index] == Done)
            return true;
        if (m_state[index] == InProgress)
            return error(QStringLiteral("The property list contains a reference cycle."));
        if (depth > PlistReader::maximumDepth)
            return error(QStringLiteral("The property list is nested too deeply."));
        m_state[index] = InProgress;
        quint64 offset = 0;
        if (!objectOffset(index, &offset))
            return false;
        m_expandedSize[index] = 1;
        PlistValue value;
        if (!parseAt(offset, depth, index, &value))
            return false;
        m_cache[index] = std::move(value);
        m_state[index] = Done;
        return true;
    }

    bool parseAt(quint64 offset, int depth, quint64 index, PlistValue* out)
    {
        const uchar marker = m_data[offset];
        quint64 position = offset + 1;
        switch (marker >> 4) {
        case 0x0:
            if (marker == 0x08 || marker == 0x09) {
                *out = PlistValue(marker == 0x09);
                return true;
            }
            return error(QStringLiteral("The property list holds an unsupported object."));
        case 0x1:
            return parseInteger(marker, position, out);
        case 0x2: {
            const int size = 1 << (marker & 0x0F);
            if ((size != 4 && size != 8) || !fits(position, size))
                return error(QStringLiteral("A real number is malformed."));
            const quint64 bits = readBigEndian(m_data + position, size);
            *out = size == 4 ? PlistValue(double(std::bit_cast<float>(quint32(bits))))
                             : PlistValue(std::bit_cast<double>(bits));
            return true;
        }
        case 0x3:
            if (marker != 0x33 || !fits(position, 8))
                return error(QStringLiteral("A date is malformed."));
            *out =
                PlistValue(PlistDate{std::bit_cast<double>(readBigEndian(m_data + position, 8))});
            return true;
        case 0x4: {
            quint64 length = 0;
            if (!readCount(marker, &position, &length))
                return false;
            if (!fits(position, length))
                return error(QStringLiteral("A data object extends past the end of the file."));
            *out = PlistValue(
                QByteArray(reinterpret_cast<const char*>(m_data + position), qsizetype(length)));
            return true;
        }
        case 0x5:
        case 0x6: {
            QString text;
            if (!parseString(marker, position, &text))
                return false;
            *out = PlistValue(std::move(text));
            return true;
        }
        case 0x8: {
            const int size = (marker & 0x0F) + 1;
            if (size > 8 || !fits(position, size))
                return error(QStringLiteral("A UID is malformed."));
            *out = PlistValue(PlistUid{readBigEndian(m_data + position, size)});
            return true;
        }
        case 0xA:
            return parseArray(marker, position, depth, index, out);
        case 0xD:
            return parseDictionary(marker, position, depth, index, out);
        default:
            return error(QStringLiteral("The property list holds an unsupported object."));
        }
    }

    bool parseInteger(uchar marker, quint64 position, PlistValue* out)
    {
        const int size = 1 << (marker & 0x0F);
        if (size > 16 || !fits(position, size))
            return error(QStringLiteral("An integer is malformed."));
        if (size < 8) {
            *out = PlistValue::integer(qint64(readBigEndian(m_data + position, size)));
        } else if (size == 8) {
            *out = PlistValue::integer(qint64(readBigEndian(m_data + position, 8)));
        } else {
            // 128-bit: accepted where the value fits 64 bits, signed or unsigned.
            const quint64 high = readBigEndian(m_data + position, 8);
            const quint64 low = readBigEndian(m_data + position + 8, 8);
            if (high == 0)
                *out = PlistValue::unsignedInteger(low);
            else if (high == ~quint64(0) && qint64(low) < 0)
                *out = PlistValue::integer(qint64(low));
            else
                return error(QStringLiteral("An integer is too large."));
        }
        return true;
    }

    bool parseString(uchar marker, quint64 position, QString* out)
    {
        quint64 length = 0;
        if (!readCount(marker, &position, &length))
            return false;
        const bool wide = (marker >> 4) == 0x6;
        if (wide && length > std::numeric_limits<quint64>::max() / 2)
            return error(QStringLiteral("A string is too long."));
        const quint64 byteLength = wide ? length * 2 : length;
        if (!fits(position, byteLength))
            return error(QStringLiteral("A string extends past the end of the file."));
        const char* start = reinterpret_cast<const char*>(m_data + position);
        if (!wide) {
            *out = QString::fromLatin1(start, qsizetype(length));
            return true;
        }
        QString text(qsizetype(length), Qt::Uninitialized);
        char16_t* units = reinterpret_cast<char16_t*>(text.data());
        for (quint64 i = 0; i < length; ++i)
            units[i] = char16_t((uchar(start[2 * i]) << 8) | uchar(start[2 * i + 1]));
        if (!isValidUtf16(units, qsizetype(length)))
            return error(QStringLiteral("A string is not valid UTF-16."));
        *out = std::move(text);
        return true;
    }

    bool readReferences(quint64 position, quint64 count, std::vector<quint64>* references)
    {
        if (count > m_objectsEnd / m_referenceSize || !fits(position, count * m_referenceSize))
            return error(QStringLiteral("A container extends past the end of the file."));
        references->resize(count);
        for (quint64 i = 0; i < count; ++i) {
            const quint64 reference =
                readBigEndian(m_data + position + i * m_referenceSize, m_referenceSize);
            if (reference >= m_objectCount)
                return error(QStringLiteral("An object reference is out of range."));
            (*references)[i] = reference;
        }
        return true;
    }

    bool addExpansion(quint64 index, quint64 child)
    {
        m_expandedSize[index] += m_expandedSize[child];
        if (m_expandedSize[index] > m_expandedLimit)
            return error(QStringLiteral("The property list expands to too many values."));
        return true;
    }

    bool parseArray(uchar marker, quint64 position, int depth, quint64 index, PlistValue* out)
    {
        quint64 count = 0;
        std::vector<quint64> references;
        if (!readCount(marker, &position, &count) || !readReferences(position, count, &references))
            return false;
        PlistArray array;
        array.reserve(qsizetype(count));
        for (const quint64 reference : references) {
            if (!parseObject(reference, depth + 1) || !addExpansion(index, reference))
                return false;
            array.append(m_cache[reference]);
        }
        *out = PlistValue(std::move(array));
        return true;
    }

    bool parseDictionary(uchar marker, quint64 position, int depth, quint64 index, PlistValue* out)
    {
        quint64 count = 0;
        if (!readCount(marker, &position, &count))
            return false;
        if (count > m_objectsEnd / 2)
            return error(QStringLiteral("A dictionary extends past the end of the file."));
        std::vector<quint64> references;
        if (!readReferences(position, count * 2, &references))
            return false;
        PlistDictionary dictionary;
        dictionary.reserve(qsizetype(count));
        for (quint64 i = 0; i < count; ++i) {
            const quint64 keyReference = references[i];
            const quint64 valueReference = references[count + i];
            if (!parseObject(keyReference, depth + 1))
                return false;
            if (m_cache[keyReference].type() != PlistValue::Type::String)
                return error(QStringLiteral("A dictionary key is not a string."));
            if (!parseObject(valueReference, depth + 1) || !addExpansion(index, valueReference))
                return false;
            dictionary.insert(m_cache[keyReference].toString(), m_cache[valueReference]);
        }
        *out = PlistValue(std::move(dictionary));
        return true;
    }

    const QByteArray& m_bytes;
    QString* m_error;
    const uchar* m_data = nullptr;
    quint64 m_offsetSize = 0;
    quint64 m_referenceSize = 0;
    quint64 m_objectCount = 0;
    quint64 m_tableOffset = 0;
    quint64 m_objectsEnd = 0;
    quint64 m_expandedLimit = 0;
    std::vector<PlistValue> m_cache;
    std::vector<State> m_state;
    std::vector<quint64> m_expandedSize;
};

} // namespace

std::optional<PlistValue> PlistBinaryReader::read(const QByteArray& bytes, QString* error)
{
    return BinaryParser(bytes, error).parse();
}
