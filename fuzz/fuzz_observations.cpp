// The export reader on arbitrary bytes, against the bundled study's sites configuration, with
// no database: a row is handed on or refused, never the end of the program, and no detection
// it hands on comes before its fish's release.
#include "FuzzEnvironment.h"

#include "rivulet/input/DataFileReader.h"
#include "rivulet/input/ObsExportReader.h"
#include "rivulet/input/ObsRecordSink.h"
#include "rivulet/sitesconfig/SitesConfig.h"

#include <set>
#include <string>

namespace {

class ReleaseOrderCheck : public rivulet::ObsRecordSink
{
public:
    lum::Expected<TagResult> addTag(std::string_view code, const rivulet::SiteRecord&, int,
                                    std::string_view releaseTime) override
    {
        if (!m_codes.emplace(code).second)
            return TagDuplicate;
        m_releaseTime.assign(releaseTime);
        return TagStored;
    }

    lum::Expected<void> addDetection(std::string_view, const rivulet::SiteRecord&, int,
                                     std::string_view obsTime, int) override
    {
        // The times are ISO text, which sorts as time does.
        if (obsTime < m_releaseTime)
            __builtin_trap();
        return {};
    }

private:
    std::set<std::string, std::less<>> m_codes;
    std::string m_releaseTime;
};

rivulet::SitesConfig& sampleConfig()
{
    rivulet::fuzz::FuzzEnvironment::instance();
    static rivulet::SitesConfig config;
    if (!config.load(QStringLiteral(RIVULET_FUZZ_SITES_CONFIG)))
        std::abort();
    return config;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static rivulet::SitesConfig& config = sampleConfig();
    rivulet::DataFileReader file(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size)));
    if (!file.open() || file.survey() != rivulet::DataFileReader::Text)
        return 0;
    rivulet::ObsExportReader reader(QStringLiteral("input.csv"), config);
    ReleaseOrderCheck sink;
    reader.read(file, sink);
    return 0;
}
