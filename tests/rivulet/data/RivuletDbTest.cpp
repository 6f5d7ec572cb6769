#include "rivulet/data/RivuletDb.h"
#include "common/TestEnvironment.h"
#include "lum/db/SqlStatement.h"
#include "lum/db/StatementBinder.h"
#include "lum/db/TableData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace rivulet {
namespace {

using test::TestEnvironment;

lum::Expected<void> insertTag(RivuletDb& rdb, const QString& code, int releaseId)
{
    lum::SqlStatement insert(*rdb.database());
    // The tag code is the key, so the insert lists every column.
    if (lum::Expected<void> prepared = insert.prepare(rdb.model(RivuletDb::Tags)->insertSql(0));
        !prepared)
        return prepared;
    lum::StatementBinder binder(insert);
    binder.bind(1, code);
    binder.bind(2, releaseId);
    binder.bind(3, -1);
    binder.bind(4, "2012-04-23 14:05:00");
    return insert.step();
}

TEST(RivuletDb, AnEmptyFileBecomesAStudyThatReopensWithItsData)
{
    const QString path = TestEnvironment::freshDir("schema") + "/Aldermoor Lab/Rivulet/Rivulet.db";
    QDir().mkpath(QFileInfo(path).path());
    QFile(path).open(QIODevice::WriteOnly);
    {
        RivuletDb& rdb = RivuletDb::instance();
        const lum::Expected<void> opened = rdb.open(path);
        ASSERT_TRUE(opened) << opened.error().text().toStdString();
        ASSERT_TRUE(insertTag(rdb, "3D9.1C2D6A1B7F", 1));
        // The singleton stays open on purpose: the process must end cleanly with it open.
    }
    EXPECT_TRUE(RivuletDb::isValidDatabase(path));
    RivuletDb rdb;
    ASSERT_TRUE(rdb.open(path));
    EXPECT_EQ(lum::TableData(*rdb.database(), "select count(*) from tags").intValue(0, 0), 1);
}

TEST(RivuletDb, TagCodesAreExactTextBoundAsData)
{
    RivuletDb rdb;
    ASSERT_TRUE(rdb.open(TestEnvironment::freshDir("schema") + "/Rivulet.db"));
    const QStringList codes = {"3D9.1C2D6A1B7F", "3d9.1c2d6a1b7f", "O'Neil's tag", "release_id",
                               "0012"};
    for (const QString& code : codes)
        ASSERT_TRUE(insertTag(rdb, code, 7)) << code.toStdString();
    const lum::Expected<void> duplicate = insertTag(rdb, "3D9.1C2D6A1B7F", 8);
    ASSERT_FALSE(duplicate);
    EXPECT_EQ(duplicate.error().code, lum::JobError::Database);
    EXPECT_TRUE(duplicate.error().text().contains("UNIQUE constraint failed"))
        << duplicate.error().text().toStdString();

    const lum::TableData rows(*rdb.database(),
                              "SELECT id, typeof(id), release_id FROM tags ORDER BY rowid");
    ASSERT_EQ(rows.numRows(), codes.size());
    for (int r = 0; r < rows.numRows(); ++r) {
        EXPECT_EQ(rows.stringValue(r, 0), codes.at(r));
        EXPECT_EQ(rows.stringValue(r, 1), "text"); // "0012" keeps its zeros
        EXPECT_EQ(rows.intValue(r, 2), 7);
    }
}

} // namespace
} // namespace rivulet
