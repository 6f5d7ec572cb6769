#pragma once

#include "common/TestEnvironment.h"
#include "lum/db/TableData.h"
#include "rivulet/data/RivuletDb.h"
#include "rivulet/data/SiteCatalogI.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace rivulet::test {

// A catalog with a fixed down-river order; codes it does not list are unknown.
class FixedSiteCatalog : public SiteCatalogI
{
public:
    QStringList downstreamOrder(const QStringList& codes) const override
    {
        QStringList ordered;
        for (const QString& code : order) {
            if (codes.contains(code))
                ordered << code;
        }
        return ordered;
    }

    QStringList order;
};

// A fresh study database per test.
class ControllerFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(rdb.open(TestEnvironment::freshDir("controllers") + "/study.db"));
    }

    const lum::SqliteDb& db() const { return *rdb.database(); }

    int intAt(const QString& sql, const QVariantList& values = {}) const
    {
        const lum::TableData rows(db(), sql, values);
        EXPECT_TRUE(rows.result()) << sql.toStdString();
        return rows.intValue(0, 0);
    }

    RivuletDb rdb;
};

} // namespace rivulet::test
