#include "plist/plistbinaryreader.h"

#include "plist/plistbinaryformat.h"
#include "plist/plistreader.h"
#include "plist/plistrecentreads.h"
#include "plist/plistslicepool.h"

#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>
#include <utility>
#include <vector>

using plist::binary::headerSize;
using plist::binary::trailerSize;

namespace {

Q_ALWAYS_INLINE quint64 readBigEndian(const uchar* data, int size)
{
    switch (size) {
    case 1:
        return data[0];
    case 2:
        return qFromBigEndian<quint16>(data);
    case 4:
        return qFromBigEndian<quint32>(data);
    case 8:
        return qFromBigEndian<quint64>(data);
    default: {
        quint64 value = 0;
        for (int i = 0; i < size; ++i)
            value = (value << 8) | data[i];
        return value;
    }
    }
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

bool isContainerMarker(uchar marker)
{
    return (marker >> 4) == 0xA || (marker >> 4) == 0xD;
}

bool isStringMarker(uchar marker)
{
    return (marker >> 4) == 0x5 || (marker >> 4) == 0x6;
}

// Objects are read once. Those that more than one reference points at (the
// shared strings, numbers and containers of a deduplicating writer) are kept
// and copied, which shares their data; every other object is built straight
// into its container.
class BinaryParser
{
public:
    explicit BinaryParser(const QByteArray& bytes) : m_bytes(bytes) {}

    PlistReadResult parse()
    {
        const qsizetype size = m_bytes.size();
        if (size < headerSize + 1 + 1 + trailerSize)
            return failed(PlistErrorCode::truncated);
        if (std::memcmp(m_bytes.constData(), "bplist00", 8) != 0)
            return failed(PlistErrorCode::unsupported);
        m_data = reinterpret_cast<const uchar*>(m_bytes.constData());
        const uchar* trailer = m_data + size - trailerSize;
        m_offsetSize = trailer[6];
        m_referenceSize = trailer[7];
        const quint64 objectCount = readBigEndian(trailer + 8, 8);
        const quint64 topObject = readBigEndian(trailer + 16, 8);
        const quint64 tableOffset = readBigEndian(trailer + 24, 8);
        if (!isSupportedIntSize(m_offsetSize) || !isSupportedIntSize(m_referenceSize))
            return failed(PlistErrorCode::malformed);
        const quint64 tableEnd = quint64(size - trailerSize);
        if (objectCount == 0 || topObject >= objectCount || tableOffset < quint64(headerSize) ||
            tableOffset > tableEnd || objectCount > (tableEnd - tableOffset) / m_offsetSize)
            return failed(PlistErrorCode::badReference);
        if (m_referenceSize < 8 && objectCount > (quint64(1) << (8 * m_referenceSize)))
            return failed(PlistErrorCode::tooLarge);
        m_objectCount = objectCount;
        m_tableOffset = tableOffset;
        m_objectsEnd = tableOffset;
        // A shared container may be referenced many times; what it expands
        // to is capped, so that a small file cannot describe a huge value.
        m_expandedLimit = quint64(size) * 4 + 65536;
        m_status.assign(objectCount, 0);
        PayloadCounts counts;
        countReferences(&counts);
        m_text.emplace(std::min(counts.textUnits, quint64(size) + objectCount), counts.strings);
        m_blobs.emplace(std::min(counts.dataBytes, quint64(size) + objectCount), counts.data);
        m_payloadLimit = quint64(size);
        addReference(topObject);

        PlistValue root;
        quint64 expanded = 0;
        if (!parseObject(topObject, 0, &root, &expanded))
            return m_error;
        if (root.isDictionary() && std::memcmp(trailer, plist::binary::writerMark,
                                               sizeof plist::binary::writerMark) == 0) {
            PlistDictionary dictionary = root.toDictionary();
            root = PlistValue(); // the only holder now, so nothing is copied
            dictionary.setEncoding(m_bytes);
            PlistRecentReads::instance().remember(dictionary);
            root = PlistValue(std::move(dictionary));
        }
        return root;
    }

private:
    // Per object: the low two bits count its references, saturating at two;
    // the next two hold how far reading it has come.
    enum Status : quint8
    {
        referenceMask = 0x3,
        inProgress = 0x4,
        done = 0x8,
    };

    // A kept object: its value and the number of values it expands to.
    struct Kept
    {
        PlistValue value;
        quint64 expanded = 0;
    };

    // A fault of the file as a whole: its header, trailer or offset table.
    static PlistReadError failed(PlistErrorCode code) { return {code, -1}; }

    // A fault of the object being read.
    bool error(PlistErrorCode code)
    {
        m_error = {code, qsizetype(m_objectOffset)};
        return false;
    }

    void addReference(quint64 index)
    {
        quint8& status = m_status[index];
        if ((status & referenceMask) < 2)
            ++status;
    }

    // Where an object starts, or 0 when its offset is out of range.
    quint64 offsetOf(quint64 index) const
    {
        const quint64 offset =
            readBigEndian(m_data + m_tableOffset + index * m_offsetSize, int(m_offsetSize));
        return offset < quint64(headerSize) || offset >= m_objectsEnd ? 0 : offset;
    }

    // A first pass over every container's references, which also sums up
    // the units that the strings need with their terminators. Damaged
    // objects are skipped here and reported when they are read.
    struct PayloadCounts
    {
        quint64 strings = 0;
        quint64 textUnits = 0;
        quint64 data = 0;
        quint64 dataBytes = 0;
    };

    void countReferences(PayloadCounts* counts)
    {
        for (quint64 index = 0; index < m_objectCount; ++index) {
            const quint64 offset = offsetOf(index);
            if (offset == 0)
                continue;
            const uchar marker = m_data[offset];
            const bool container = isContainerMarker(marker);
            const bool data = (marker >> 4) == 0x4;
            if (!container && !data && !isStringMarker(marker))
                continue;
            quint64 position = offset + 1;
            quint64 count = 0;
            if (decodeCount(marker, &position, &count) != CountFault::none)
                continue;
            if (!container) {
                // Legitimate objects never overlap, so these sums stay within
                // the file's size plus a terminator each; the caller caps them.
                if (count < m_objectsEnd) {
                    (data ? counts->dataBytes : counts->textUnits) += count + 1;
                    ++(data ? counts->data : counts->strings);
                }
                continue;
            }
            if ((m_data[offset] >> 4) == 0xD) {
                if (count > m_objectsEnd)
                    continue;
                count *= 2;
            }
            if (count > m_objectsEnd / m_referenceSize || !fits(position, count * m_referenceSize))
                continue;
            for (quint64 i = 0; i < count; ++i) {
                const quint64 reference = readReference(position, i);
                if (reference < m_objectCount)
                    addReference(reference);
            }
        }
    }

    quint64 readReference(quint64 position, quint64 i) const
    {
        return readBigEndian(m_data + position + i * m_referenceSize, int(m_referenceSize));
    }

    // Whether `length` bytes starting at `position` lie inside the object area.
    bool fits(quint64 position, quint64 length) const
    {
        return position <= m_objectsEnd && length <= m_objectsEnd - position;
    }

    enum class CountFault
    {
        none,
        truncated,
        malformed
    };

    // The object length after `marker`, read without reporting: the first
    // pass skips what it cannot read, and readCount() reports it.
    CountFault decodeCount(quint64 marker, quint64* position, quint64* count) const
    {
        const quint64 low = marker & 0x0F;
        if (low != 0x0F) {
            *count = low;
            return CountFault::none;
        }
        if (!fits(*position, 1))
            return CountFault::truncated;
        const uchar intMarker = m_data[*position];
        if ((intMarker & 0xF0) != 0x10 || (intMarker & 0x0F) > 3)
            return CountFault::malformed;
        const int size = 1 << (intMarker & 0x0F);
        if (!fits(*position + 1, size))
            return CountFault::truncated;
        *count = readBigEndian(m_data + *position + 1, size);
        *position += 1 + size;
        return CountFault::none;
    }

    bool readCount(quint64 marker, quint64* position, quint64* count)
    {
        switch (decodeCount(marker, position, count)) {
        case CountFault::none:
            return true;
        case CountFault::truncated:
            return error(PlistErrorCode::truncated);
        case CountFault::malformed:
            return error(PlistErrorCode::malformed);
        }
        return false;
    }

    // Reads object `index` into `out`, and what it expands to into `expanded`.
    bool parseObject(quint64 index, int depth, PlistValue* out, quint64* expanded)
    {
        quint8& status = m_status[index];
        if (status & done) {
            // Only kept objects can be met again.
            if (m_keptSlot.empty() || m_keptSlot[index] == notKept)
                return error(PlistErrorCode::referenceCycle);
            const Kept& kept = m_kept[m_keptSlot[index]];
            *out = kept.value;
            *expanded = kept.expanded;
            return true;
        }
        if (status & inProgress)
            return error(PlistErrorCode::referenceCycle);
        if (depth > PlistReader::maximumDepth)
            return error(PlistErrorCode::tooDeep);
        const quint64 offset = offsetOf(index);
        if (offset == 0)
            return error(PlistErrorCode::badReference);
        status |= inProgress;
        if (!parseAt(offset, depth, out, expanded))
            return false;
        status = quint8((status & ~inProgress) | done);
        if ((status & referenceMask) > 1) {
            if (m_keptSlot.empty())
                m_keptSlot.assign(m_objectCount, notKept);
            m_keptSlot[index] = quint32(m_kept.size());
            m_kept.push_back({*out, *expanded});
        }
        return true;
    }

    bool parseAt(quint64 offset, int depth, PlistValue* out, quint64* expanded)
    {
        m_objectOffset = offset;
        *expanded = 1;
        const uchar marker = m_data[offset];
        quint64 position = offset + 1;
        switch (marker >> 4) {
        case 0x0:
            if (marker == 0x08 || marker == 0x09) {
                *out = PlistValue(marker == 0x09);
                return true;
            }
            return error(PlistErrorCode::unsupported);
        case 0x1:
            return parseInteger(marker, position, out);
        case 0x2: {
            const int size = 1 << (marker & 0x0F);
            if ((size != 4 && size != 8) || !fits(position, size))
                return error(PlistErrorCode::badValue);
            const quint64 bits = readBigEndian(m_data + position, size);
            *out = size == 4 ? PlistValue(double(std::bit_cast<float>(quint32(bits))))
                             : PlistValue(std::bit_cast<double>(bits));
            return true;
        }
        case 0x3:
            if (marker != 0x33 || !fits(position, 8))
                return error(PlistErrorCode::badValue);
            *out =
                PlistValue(PlistDate{std::bit_cast<double>(readBigEndian(m_data + position, 8))});
            return true;
        case 0x4: {
            quint64 length = 0;
            if (!readCount(marker, &position, &length))
                return false;
            if (!fits(position, length))
                return error(PlistErrorCode::truncated);
            if (!spendPayload(length))
                return false;
            char* bytes = m_blobs->reserve(length);
            if (!bytes)
                return error(PlistErrorCode::tooLarge);
            std::memcpy(bytes, m_data + position, size_t(length));
            *out = PlistValue(m_blobs->take(qsizetype(length)));
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
                return error(PlistErrorCode::badValue);
            *out = PlistValue(PlistUid{readBigEndian(m_data + position, size)});
            return true;
        }
        case 0xA:
            return parseArray(marker, position, depth, out, expanded);
        case 0xD:
            return parseDictionary(marker, position, depth, out, expanded);
        default:
            return error(PlistErrorCode::unsupported);
        }
    }

    bool parseInteger(uchar marker, quint64 position, PlistValue* out)
    {
        const int size = 1 << (marker & 0x0F);
        if (size > 16 || !fits(position, size))
            return error(PlistErrorCode::badValue);
        if (size <= 8) {
            *out = PlistValue::integer(qint64(readBigEndian(m_data + position, size)));
        } else {
            // 128-bit: accepted where the value fits 64 bits, signed or unsigned.
            const quint64 high = readBigEndian(m_data + position, 8);
            const quint64 low = readBigEndian(m_data + position + 8, 8);
            if (high == 0)
                *out = PlistValue::unsignedInteger(low);
            else if (high == ~quint64(0) && qint64(low) < 0)
                *out = PlistValue::integer(qint64(low));
            else
                return error(PlistErrorCode::tooLarge);
        }
        return true;
    }

    // Objects whose bytes overlap could otherwise make a small file decode
    // to far more text and data than it holds.
    bool spendPayload(quint64 length)
    {
        if (length > m_payloadLimit - m_payloadSpent)
            return error(PlistErrorCode::tooLarge);
        m_payloadSpent += length;
        return true;
    }

    bool parseString(uchar marker, quint64 position, QString* out)
    {
        quint64 length = 0;
        if (!readCount(marker, &position, &length))
            return false;
        const bool wide = (marker >> 4) == 0x6;
        if (wide && length > std::numeric_limits<quint64>::max() / 2)
            return error(PlistErrorCode::tooLarge);
        const quint64 byteLength = wide ? length * 2 : length;
        if (!fits(position, byteLength))
            return error(PlistErrorCode::truncated);
        if (!spendPayload(byteLength))
            return false;
        char16_t* units = m_text->reserve(length);
        if (!units)
            return error(PlistErrorCode::tooLarge);
        const uchar* start = m_data + position;
        if (!wide) {
            // Stored as single bytes: ASCII, read as Latin-1 like the platform.
            for (quint64 i = 0; i < length; ++i)
                units[i] = start[i];
        } else {
            for (quint64 i = 0; i < length; ++i)
                units[i] = char16_t((start[2 * i] << 8) | start[2 * i + 1]);
            if (!isValidUtf16(units, qsizetype(length)))
                return error(PlistErrorCode::badEncoding);
        }
        *out = m_text->take(qsizetype(length));
        return true;
    }

    // Checks that `count` references start at `position`, each naming an object.
    bool checkReferences(quint64 position, quint64 count)
    {
        if (count > m_objectsEnd / m_referenceSize || !fits(position, count * m_referenceSize))
            return error(PlistErrorCode::truncated);
        for (quint64 i = 0; i < count; ++i) {
            if (readReference(position, i) >= m_objectCount)
                return error(PlistErrorCode::badReference);
        }
        return true;
    }

    bool addExpansion(quint64* expanded, quint64 child)
    {
        *expanded += child;
        if (*expanded > m_expandedLimit)
            return error(PlistErrorCode::tooLarge);
        return true;
    }

    bool parseArray(uchar marker, quint64 position, int depth, PlistValue* out, quint64* expanded)
    {
        quint64 count = 0;
        if (!readCount(marker, &position, &count) || !checkReferences(position, count))
            return false;
        PlistArray array;
        array.reserve(qsizetype(count));
        for (quint64 i = 0; i < count; ++i) {
            PlistValue element;
            quint64 elementSize = 0;
            if (!parseObject(readReference(position, i), depth + 1, &element, &elementSize) ||
                !addExpansion(expanded, elementSize))
                return false;
            array.append(std::move(element));
        }
        *out = PlistValue(std::move(array));
        return true;
    }

    bool parseKey(quint64 index, int depth, QString* key)
    {
        const quint8 status = m_status[index];
        if ((status & referenceMask) > 1 || (status & (done | inProgress))) {
            PlistValue value;
            quint64 ignored = 0;
            if (!parseObject(index, depth, &value, &ignored))
                return false;
            if (value.type() != PlistValue::Type::string)
                return error(PlistErrorCode::badDictionary);
            *key = value.toStringView();
            return true;
        }
        // A key of its own, the usual case, is built in place.
        const quint64 offset = offsetOf(index);
        if (offset == 0)
            return error(PlistErrorCode::badReference);
        const uchar marker = m_data[offset];
        if ((marker >> 4) != 0x5 && (marker >> 4) != 0x6)
            return error(PlistErrorCode::badDictionary);
        m_status[index] = status | done;
        return parseString(marker, offset + 1, key);
    }

    bool parseDictionary(uchar marker, quint64 position, int depth, PlistValue* out,
                         quint64* expanded)
    {
        quint64 count = 0;
        if (!readCount(marker, &position, &count))
            return false;
        if (count > m_objectsEnd / 2)
            return error(PlistErrorCode::truncated);
        if (!checkReferences(position, count * 2))
            return false;
        QList<PlistDictionary::Entry> entries;
        entries.reserve(qsizetype(count));
        for (quint64 i = 0; i < count; ++i) {
            QString key;
            PlistValue value;
            quint64 valueSize = 0;
            if (!parseKey(readReference(position, i), depth + 1, &key) ||
                !parseObject(readReference(position, count + i), depth + 1, &value, &valueSize) ||
                !addExpansion(expanded, valueSize))
                return false;
            entries.emplaceBack(std::move(key), std::move(value));
        }
        *out = PlistValue(PlistDictionary::fromEntries(std::move(entries)));
        return true;
    }

    const QByteArray& m_bytes;
    PlistReadError m_error;
    quint64 m_objectOffset = 0;
    const uchar* m_data = nullptr;
    quint64 m_offsetSize = 0;
    quint64 m_referenceSize = 0;
    quint64 m_objectCount = 0;
    quint64 m_tableOffset = 0;
    quint64 m_objectsEnd = 0;
    quint64 m_expandedLimit = 0;
    quint64 m_payloadLimit = 0;
    quint64 m_payloadSpent = 0;
    std::optional<PlistSlicePool<QString>> m_text;
    std::optional<PlistSlicePool<QByteArray>> m_blobs;
    std::vector<quint8> m_status;
    static constexpr quint32 notKept = ~quint32(0);
    std::vector<Kept> m_kept;
    std::vector<quint32> m_keptSlot;
};

} // namespace

PlistReadResult PlistBinaryReader::read(const QByteArray& bytes)
{
    if (std::optional<PlistDictionary> known = PlistRecentReads::instance().find(bytes))
        return PlistValue(std::move(*known));
    return BinaryParser(bytes).parse();
}
