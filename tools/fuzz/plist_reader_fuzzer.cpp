// libFuzzer target for the property-list reader and writers: any input must
// read without a fault; whatever reads must survive a binary write and a
// second read unchanged; and its XML form, when XML can carry it, must read
// back to a value whose XML form is the same text. (The XML form keeps dates
// to the second and UIDs as dictionaries, so the value itself may differ.)

#include "plist/plistreader.h"
#include "plist/plistwriter.h"
#include "plist/plistxmlwriter.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const PlistReadResult value = PlistReader::read(bytes);
    if (!value)
        return 0;
    const PlistReadResult again = PlistReader::read(PlistWriter::writeBinary(*value));
    if (!again || !(*again == *value))
        std::abort();
    const std::optional<QByteArray> xml = PlistXmlWriter::write(*value);
    if (!xml)
        return 0;
    const PlistReadResult fromXml = PlistReader::read(*xml);
    if (!fromXml || PlistXmlWriter::write(*fromXml) != xml)
        std::abort();
    return 0;
}
