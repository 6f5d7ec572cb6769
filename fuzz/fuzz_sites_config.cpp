// The sites configuration reader on arbitrary bytes: no line may end the program, and a file
// it accepts has detection sites with distinct short names.
#include "rivulet/sitesconfig/SitesConfig.h"
#include "rivulet/sitesconfig/SitesConfigParser.h"

#include <QBuffer>
#include <QSet>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<int>(size));
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    rivulet::SitesConfig config;
    if (config.read(device, QStringLiteral("fuzz.txt"))) {
        QSet<QString> names;
        for (const auto& site : config.detectionSites()) {
            if (names.contains(site->shortName))
                __builtin_trap();
            names.insert(site->shortName);
        }
    }
    return 0;
}
