// The "Next Detections" window shows the study's next-detection counts for the checked
// releases, from their release or from a detection point.
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

#include <vector>

namespace rivulet::test {
namespace {

using NextDetectionsView = WindowFixture;

struct Counts
{
    const CountMatrix* next;
    const CountMatrix* removed;
    int notSeen;
};

// Every cell and total as the view must write them for the sum of the releases' counts:
// "count:removed", the count alone when it is 0 or at the last site, "NA" before the
// detection point (site position minSite + 1 and later carry numbers).
void expectShown(const NextDetectionsWidget& view, const std::vector<Counts>& releases, int minSite)
{
    const QAbstractItemModel& table = *view.tableModel();
    const int last = table.columnCount() - 1;
    qint64 total = 0;
    int notSeen = 0;
    for (const Counts& release : releases) {
        total += release.next->sum() + release.notSeen;
        notSeen += release.notSeen;
    }
    EXPECT_EQ(view.totalEdit()->text().toLongLong(), total);
    EXPECT_EQ(view.notDetectedEdit()->text().toInt(), notSeen);
    for (int y = 0; y < table.rowCount(); ++y) {
        for (int c = 0; c <= last; ++c) {
            int next = 0;
            int removed = 0;
            for (const Counts& release : releases) {
                next += release.next->count(c + 1, y);
                removed += release.removed->count(c + 1, y);
            }
            QString expected = QString::number(next);
            if (next != 0 && c < last)
                expected += QLatin1Char(':') + QString::number(removed);
            EXPECT_EQ(table.index(y, c).data().toString(),
                      c >= minSite ? expected : QStringLiteral("NA"));
        }
    }
}

TEST_F(NextDetectionsView, NumbersAreTheCountsOfTheCheckedReleases)
{
    RivuletSettings::instance().setValue(RivuletSettings::DiagnosticsEnabled, true);
    openWindow(false);
    ASSERT_TRUE(load());
    ASSERT_TRUE(trigger(RivuletWindow::NextDetectionsItem));
    auto* view = qobject_cast<NextDetectionsWidget*>(
        window->windowWidget(RivuletWindow::NextDetectionsWindow));
    ASSERT_NE(view, nullptr);
    const Study& study = window->study();
    const NextDetectionsI& source = study.nextDetections();
    const ReleaseId first{study.releases().ids().at(0)};
    const ReleaseId second{study.releases().ids().at(1)};
    EXPECT_EQ(view->descriptionLabel()->text(), QStringLiteral("No releases selected."));
    expectShown(*view, {}, 0);

    QAbstractItemModel* releases = view->releaseModel();
    for (int row : {0, 1})
        releases->setData(releases->index(row, 0), Qt::Checked, Qt::CheckStateRole);
    view->onApply();
    // Both releases are of the first year.
    EXPECT_EQ(view->descriptionLabel()->text(), QStringLiteral("Includes sub-yearling releases"));
    expectShown(*view,
                {{&source.releaseNextCounts(first), &source.releaseRemovedCounts(first),
                  source.releaseNotSeen(first)},
                 {&source.releaseNextCounts(second), &source.releaseRemovedCounts(second),
                  source.releaseNotSeen(second)}},
                0);

    // The fish detected and released again at site 2 in the first year.
    view->detectionPointBox()->setChecked(true);
    view->siteCombo()->setCurrentIndex(1);
    view->onApply();
    EXPECT_EQ(view->descriptionLabel()->text(),
              QStringLiteral("Includes sub-yearling releases,\ndetected and re-released at ") +
                  study.sites().longNames().at(2) + QStringLiteral(" in ") +
                  study.years().yearLabels().at(0));
    EXPECT_GT(source.nextCounts(first, 2, 0).sum(), 0);
    expectShown(*view,
                {{&source.nextCounts(first, 2, 0), &source.removedCounts(first, 2, 0),
                  source.notSeenAgain(first, 2, 0)},
                 {&source.nextCounts(second, 2, 0), &source.removedCounts(second, 2, 0),
                  source.notSeenAgain(second, 2, 0)}},
                2);
}

} // namespace
} // namespace rivulet::test
