// The sites configuration parser on arbitrary bytes: no line may end the program.
#include "rivulet/input/SitesConfigParser.h"

#include <QBuffer>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<int>(size));
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    rivulet::SitesConfigData config;
    rivulet::SitesConfigParser parser(config);
    parser.parse(device);
    return 0;
}
