// libFuzzer target for the property-list reader: any input must read
// without a fault, and whatever reads must survive a write and a second
// read unchanged.

#include "plist/plistreader.h"
#include "plist/plistwriter.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<PlistValue> value = PlistReader::read(bytes);
    if (!value)
        return 0;
    const std::optional<PlistValue> again = PlistReader::read(PlistWriter::writeBinary(*value));
    if (!again || !(*again == *value))
        std::abort();
    return 0;
}
