// The "Next Detections" window shows the study's next-detection counts for the checked
// releases from a detection point.
#include "WindowFixture.h"

#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/views/NextDetectionsTableModel.h"
#include "rivulet/views/NextDetectionsWidget.h"
#include "rivulet/views/ReleasesTableModel.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace rivulet::test {
namespace {

using NextDetectionsView = WindowFixture;

// Both releases (of the first year), detected and released again at site 2 in the first year:
// every cell shows the sum of their counts as "count:removed", the count alone when it is 0 or
// at the last site, and "NA" above site 3.
TEST_F(NextDetectionsView, NumbersAreTheCountsOfTheCheckedReleases)
{
    RivuletSettings::instance().setValue(RivuletSettings::DiagnosticsEnabled, true);
    openWindow(false);
    ASSERT_TRUE(load());
    ASSERT_TRUE(trigger(nav::nextDetections));
    auto* view = qobject_cast<NextDetectionsWidget*>(window->windowWidget(View::NextDetections));
    ASSERT_NE(view, nullptr);
    const Study& study = window->study();
    const NextDetectionsI& source = study.nextDetections();
    const QList<int> ids = study.releases().ids();
    EXPECT_EQ(view->descriptionLabel()->text(), QStringLiteral("No releases selected."));
    QAbstractItemModel* releases = view->releaseModel();
    for (int row : {0, 1})
        releases->setData(releases->index(row, 0), Qt::Checked, Qt::CheckStateRole);
    view->detectionPointBox()->setChecked(true);
    view->siteCombo()->setCurrentIndex(1);
    view->onApply();
    EXPECT_EQ(view->descriptionLabel()->text(),
              QStringLiteral("Includes sub-yearling releases,\ndetected and re-released at ") +
                  study.sites().longNames().at(2) + QStringLiteral(" in ") +
                  study.years().yearLabels().at(0));

    const QAbstractItemModel& table = *view->tableModel();
    const int last = table.columnCount() - 1;
    qint64 total = 0;
    int notSeen = 0;
    for (int id : ids) {
        total +=
            source.nextCounts(ReleaseId{id}, 2, 0).sum() + source.notSeenAgain(ReleaseId{id}, 2, 0);
        notSeen += source.notSeenAgain(ReleaseId{id}, 2, 0);
    }
    EXPECT_GT(total, notSeen);
    EXPECT_EQ(view->totalEdit()->text().toLongLong(), total);
    EXPECT_EQ(view->notDetectedEdit()->text().toInt(), notSeen);
    for (int y = 0; y < table.rowCount(); ++y) {
        for (int c = 0; c <= last; ++c) {
            int next = 0;
            int removed = 0;
            for (int id : ids) {
                next += source.nextCounts(ReleaseId{id}, 2, 0).count(c + 1, y);
                removed += source.removedCounts(ReleaseId{id}, 2, 0).count(c + 1, y);
            }
            QString expected = QString::number(next);
            if (next != 0 && c < last)
                expected += QLatin1Char(':') + QString::number(removed);
            EXPECT_EQ(table.index(y, c).data().toString(), c >= 2 ? expected : QStringLiteral("NA"))
                << y << ' ' << c;
        }
    }
}

} // namespace
} // namespace rivulet::test
