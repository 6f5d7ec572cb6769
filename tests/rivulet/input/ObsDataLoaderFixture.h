#pragma once

#include "common/TestEnvironment.h"
#include "lum/db/TableData.h"
#include "rivulet/data/ReleasesController.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/SitesController.h"
#include "rivulet/data/YearsController.h"
#include "rivulet/input/ObsDataLoader.h"
#include "rivulet/sitesconfig/MockSitesConfigSettings.h"
#include "rivulet/sitesconfig/SitesConfig.h"
#include "rivulet/sitesconfig/SitesConfigCatalog.h"
#include "rivulet/sitesconfig/SitesConfigFiles.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

namespace rivulet::test {

// Two release sites up a tributary with a trap between them, a dam below the confluence and
// one far down-river; code GRJ has route rules, the trap's sends every fish on, B2J has none.
inline const char* const loaderSitesConfig = R"(CONFIGDATE: 2012.3.4
RELSITE: UPR
RIVERK: 522.303.100
RELSITE: MIDR
SHORTNAME: Middle
RIVERK: 522.303.50
SITE: TRAP
SHORTNAME: Trap
NAME: Upper Trap
RIVERK: 522.303.80
CODES: TRP
SITE: LGR
RIVERK: 522.173
CODES: GRJ
SITE: BON
RIVERK: 234
CODES: B2J
CODE: GRJ
RANGE: 2005-01-01 present
R: J: 1: Return to river {01 02}
T: J: 2: Transport {0A 0B}
CODE: TRP
RANGE: 2005-01-01 present
R: J: 1: River {A1}
)";

// One export row with the fields the loader reads; the others hold filler text.
inline QByteArray exportRow(const QByteArray& tag, const QByteArray& releaseTime,
                            const QByteArray& releaseSite, const QByteArray& obsTime = {},
                            const QByteArray& obsSite = {}, const QByteArray& coil = {},
                            const QByteArray& filter = {})
{
    QList<QByteArray> fields;
    for (int i = 1; i <= 19; ++i)
        fields << (i == 1 ? "MARK.FILE" : i == 2 ? "x" : QByteArray());
    fields[2] = tag;
    fields[4] = releaseTime;
    fields[11] = releaseSite;
    fields[15] = obsTime;
    fields[16] = obsSite;
    fields[17] = coil;
    fields[18] = filter;
    return fields.join(',') + '\n';
}

// Records what a load reports instead of sending it to a runner.
class RecordingObsDataLoader : public ObsDataLoader
{
public:
    using ObsDataLoader::ObsDataLoader;

    void status(const QString& text) override { statuses << text; }
    void progressStatus(const QString& text) override { captions << text; }
    void warning(const QString& text) override { warnings << text; }
    void setErrorMessage(const QString& text) override { errors << text; }

    QStringList statuses;
    QStringList captions;
    QStringList warnings;
    QStringList errors;
};

// A study database, the sites configuration above (as the alternate file) and the three
// controllers the loader writes through.
class ObsDataLoaderFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        dir = TestEnvironment::freshDir("obsload");
        ASSERT_TRUE(rdb.open(dir + "/study.db"));
        configPath = dir + "/alternate_sites.txt";
        writeFile(configPath, loaderSitesConfig);
    }

    // Writes `content` as an export and loads it.
    std::unique_ptr<RecordingObsDataLoader> load(const QByteArray& content,
                                                 const QString& name = "export.csv")
    {
        const QString path = dir + "/" + name;
        writeFile(path, content);
        return loadFile(path);
    }

    std::unique_ptr<RecordingObsDataLoader> loadFile(const QString& path)
    {
        auto loader = std::make_unique<RecordingObsDataLoader>(path, &releases, &sites, &years,
                                                               configPath, nullptr, &rdb);
        loader->setSitesConfig(&config, &settings);
        loader->run();
        return loader;
    }

    int rowsIn(const QString& table) const
    {
        return rows("select count(*) from " + table).value(0).toInt();
    }

    // Each row of a query as its values separated by blanks.
    QStringList rows(const QString& sql) const
    {
        const lum::TableData data(*rdb.database(), sql);
        EXPECT_TRUE(data.result()) << sql.toStdString();
        QStringList out;
        for (int r = 0; r < data.numRows(); ++r) {
            QStringList values;
            for (int c = 0; c < data.numColumns(); ++c)
                values << data.stringValue(r, c);
            out << values.join(' ');
        }
        return out;
    }

    // Every table of a study as text, to compare states before and after a load.
    QStringList studyDump() const
    {
        QStringList dump;
        for (const char* table : {"sites", "years", "releases", "tags", "observations", "cohorts"})
            dump << rows(QStringLiteral("select * from %1 order by id").arg(table)) << "--";
        return dump;
    }

    QString dir;
    QString configPath;
    RivuletDb rdb;
    SitesConfig config;
    MockSitesConfigSettings settings{TestEnvironment::freshDir("obsload-shared")};
    SitesConfigCatalog catalog{config};
    SitesController sites{catalog, rdb};
    YearsController years{rdb};
    ReleasesController releases{rdb};
};

} // namespace rivulet::test
