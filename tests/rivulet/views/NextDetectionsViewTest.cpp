// The "Next Detections" window shows the study's next-detection counts for the checked
// releases, from their release or from a detection point.
#include "WindowFixture.h"

#include "rivulet/counts/NextDetectionsI.h"
#include "rivulet/data/ReleasesControllerI.h"
#include "rivulet/data/SitesControllerI.h"
#include "rivulet/data/YearsControllerI.h"
#include "rivulet/views/NextDetectionsTableModel.h"
#include "rivulet/views/NextDetectionsWidget.h"
#include "rivulet/views/ReleasesTableModel.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <functional>

namespace rivulet::test {
namespace {

using NextDetectionsView = WindowFixture;

// Every cell as the view must write it: "count:removed", the count alone when it is 0 or at
// the last site, "NA" before the detection point.
void expectCells(const NextDetectionsWidget& view, int minSite, int minYear,
                 const std::function<int(int, int)>& count,
                 const std::function<int(int, int)>& removed)
{
    const QAbstractItemModel& table = *view.tableModel();
    const int last = table.columnCount() - 1;
    for (int y = 0; y < table.rowCount(); ++y) {
        for (int c = 0; c <= last; ++c) {
            QString expected = QStringLiteral("NA");
            if (y >= minYear && c >= minSite) {
                const int n = count(y, c + 1);
                expected = QString::number(n);
                if (n != 0 && c < last)
                    expected += QLatin1Char(':') + QString::number(removed(y, c + 1));
            }
            EXPECT_EQ(table.index(y, c).data().toString(), expected) << y << " " << c;
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
    const QList<int> ids = study.releases().ids();
    ASSERT_EQ(ids.size(), 2);
    ASSERT_EQ(view->tableModel()->columnCount(), study.sites().count() - 1);
    ASSERT_EQ(view->siteCombo()->count(), study.sites().count() - 2);

    EXPECT_EQ(view->descriptionLabel()->text(), QStringLiteral("No releases selected."));
    EXPECT_EQ(view->totalEdit()->text(), QStringLiteral("0"));
    const auto zero = [](int, int) { return 0; };
    expectCells(*view, 0, 0, zero, zero);

    QAbstractItemModel* releases = view->releaseModel();
    for (int row : {0, 1})
        releases->setData(releases->index(row, 0), Qt::Checked, Qt::CheckStateRole);
    EXPECT_TRUE(view->applyButton()->isEnabled());
    view->onApply();
    EXPECT_FALSE(view->applyButton()->isEnabled());
    EXPECT_EQ(view->descriptionLabel()->text(), QStringLiteral("Includes sub-yearling releases"));
    int notSeen = 0;
    qint64 seen = 0;
    for (int id : ids) {
        notSeen += source.releaseNotSeen(ReleaseId{id});
        seen += source.releaseNextCounts(ReleaseId{id}).sum();
    }
    EXPECT_EQ(view->notDetectedEdit()->text().toInt(), notSeen);
    EXPECT_EQ(view->totalEdit()->text().toLongLong(), seen + notSeen);
    const auto sumOver = [&ids](auto matrix) {
        return [&ids, matrix](int y, int s) {
            int sum = 0;
            for (int id : ids)
                sum += matrix(ReleaseId{id}).count(s, y);
            return sum;
        };
    };
    expectCells(
        *view, 0, 0,
        sumOver([&](ReleaseId r) -> const CountMatrix& { return source.releaseNextCounts(r); }),
        sumOver([&](ReleaseId r) -> const CountMatrix& { return source.releaseRemovedCounts(r); }));

    // The fish detected and released again at the second site in the first year.
    view->detectionPointBox()->setChecked(true);
    view->siteCombo()->setCurrentIndex(1);
    view->yearCombo()->setCurrentIndex(0);
    view->onApply();
    EXPECT_EQ(view->descriptionLabel()->text(),
              QStringLiteral("Includes sub-yearling releases,\ndetected and re-released at ") +
                  study.sites().longNames().at(2) + QStringLiteral(" in ") +
                  study.years().yearLabels().at(0));
    int notAgain = 0;
    qint64 next = 0;
    for (int id : ids) {
        notAgain += source.notSeenAgain(ReleaseId{id}, 2, 0);
        next += source.nextCounts(ReleaseId{id}, 2, 0).sum();
    }
    EXPECT_GT(next, 0);
    EXPECT_EQ(view->notDetectedEdit()->text().toInt(), notAgain);
    EXPECT_EQ(view->totalEdit()->text().toLongLong(), next + notAgain);
    expectCells(
        *view, 2, 0,
        sumOver([&](ReleaseId r) -> const CountMatrix& { return source.nextCounts(r, 2, 0); }),
        sumOver([&](ReleaseId r) -> const CountMatrix& { return source.removedCounts(r, 2, 0); }));
}

} // namespace
} // namespace rivulet::test
