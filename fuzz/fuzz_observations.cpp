// The observation loader on arbitrary exports, against the bundled study's sites
// configuration: a row is stored or refused, never the end of the program.
#include "FuzzStudy.h"

#include "lum/db/TableData.h"
#include "rivulet/data/ReleasesController.h"
#include "rivulet/data/SitesController.h"
#include "rivulet/data/YearsController.h"
#include "rivulet/input/ObsDataLoader.h"
#include "rivulet/sitesconfig/SitesConfig.h"
#include "rivulet/sitesconfig/SitesConfigCatalog.h"

namespace {

struct Loaders
{
    rivulet::fuzz::FuzzStudy& study = rivulet::fuzz::FuzzStudy::instance();
    rivulet::SitesConfig config;
    rivulet::fuzz::FuzzSitesConfigSettings settings{study.folder()};
    rivulet::SitesConfigCatalog catalog{config};
    rivulet::SitesController sites{catalog, study.db()};
    rivulet::YearsController years{study.db()};
    rivulet::ReleasesController releases{study.db()};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Loaders loaders;
    const QString path = loaders.study.writeInput(data, size);
    rivulet::ObsDataLoader loader(path, &loaders.releases, &loaders.sites, &loaders.years,
                                  QStringLiteral(RIVULET_FUZZ_SITES_CONFIG), nullptr,
                                  &loaders.study.db());
    loader.setSitesConfig(&loaders.config, &loaders.settings);
    loader.run();
    // A file it accepts holds no detection before its fish's release (the times are ISO
    // text, which sorts as time does).
    if (!loader.failed()) {
        const lum::TableData early(*loaders.study.db().database(),
                                   QStringLiteral("select count(*) from observations o join tags "
                                                  "t on o.tag_id = t.id where o.obs_time < "
                                                  "t.release_time"));
        if (early.intValue(0, 0) != 0)
            __builtin_trap();
    }
    return 0;
}
