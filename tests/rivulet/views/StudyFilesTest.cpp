// Studies as files from the window's File menu: a fitted study saved under another name and
// opened again shows its fits without a fit; a new study is empty; the recent list forgets
// files that are gone; a file that is not a study leaves the open one in place.
#include "WindowFixture.h"

#include "lum/db/SqliteDb.h"
#include "lum/ui/QtRTextWidget.h"
#include "rivulet/model/EstimationResults.h"
#include "rivulet/views/ModelEstimateModel.h"
#include "rivulet/views/StudyFileMenu.h"

#include <QDockWidget>
#include <QFile>
#include <QTextDocument>
#include <QTextEdit>

namespace rivulet::test {
namespace {

using StudyFiles = WindowFixture;

std::vector<double> aics(const EstimationResults& results)
{
    std::vector<double> values;
    for (int i = 0; i < results.count(); ++i)
        values.push_back(results.aic(i));
    return values;
}

TEST_F(StudyFiles, ASavedStudyOpensAgainWithItsFits)
{
    openWindow(false);
    StudyFileMenu* menu = window->studyFileMenu();
    ASSERT_NE(menu, nullptr);
    const QString original = rdb.database()->path();
    EXPECT_TRUE(window->windowTitle().contains(QDir::toNativeSeparators(original)));
    EXPECT_EQ(menu->recentStudies().value(0), original);

    // A desktop's window (the offscreen screen is smaller than any).
    window->resize(1280, 860);
    ASSERT_TRUE(load());
    // The Releases Summary dock is as wide as its table: no column hidden off its edge.
    auto* summary =
        qobject_cast<lum::QtRTextWidget*>(window->dock(AppDock::ReleasesSummary)->widget());
    ASSERT_NE(summary, nullptr);
    EXPECT_LE(summary->editor()->document()->idealWidth(), summary->editor()->viewport()->width());
    ASSERT_TRUE(trigger(nav::fitAllModels));
    const std::vector<double> fitted = aics(window->study().results());
    ASSERT_GT(fitted.size(), 1u);

    // Save As: the copy becomes the open study, with the fits it was saved with.
    const QString copy = folder + QStringLiteral("/copy");
    prompts->files << copy;
    menu->saveStudyAs();
    ASSERT_TRUE(settle());
    const QString copyFile = copy + QStringLiteral(".db");
    EXPECT_EQ(rdb.database()->path(), copyFile);
    EXPECT_TRUE(window->windowTitle().contains(QDir::toNativeSeparators(copyFile)));
    EXPECT_EQ(window->study().releases().count(), 2);
    EXPECT_EQ(aics(window->study().results()), fitted);
    EXPECT_TRUE(window->modelTree().hasResults());
    EXPECT_TRUE(window->currentModel().has_value());
    EXPECT_TRUE(enabled(nav::modelComparison));
    EXPECT_TRUE(enabled(nav::survivalReport));
    EXPECT_EQ(menu->recentStudies().mid(0, 2), (QStringList{copyFile, original}));
    EXPECT_EQ(lines().filter(QStringLiteral("Study saved as ")).size(), 1);

    // A new study: empty, nothing fitted.
    const QString fresh = folder + QStringLiteral("/new.db");
    prompts->files << fresh;
    menu->newStudy();
    ASSERT_TRUE(settle());
    EXPECT_EQ(rdb.database()->path(), fresh);
    EXPECT_EQ(window->study().releases().count(), 0);
    EXPECT_TRUE(window->study().results().isEmpty());
    EXPECT_FALSE(enabled(nav::fitAllModels));

    // The original from the recent list, in a window started afresh as on the next day.
    openWindow(false);
    window->studyFileMenu()->openRecent(original);
    ASSERT_TRUE(settle());
    EXPECT_EQ(rdb.database()->path(), original);
    EXPECT_EQ(aics(window->study().results()), fitted);
    EXPECT_TRUE(lines().join('\n').contains(QStringLiteral("read back")));
}

TEST_F(StudyFiles, FilesThatAreGoneOrNotStudiesLeaveTheOpenStudy)
{
    openWindow(false);
    ASSERT_TRUE(load());
    StudyFileMenu* menu = window->studyFileMenu();
    const QString original = rdb.database()->path();

    const QString gone = folder + QStringLiteral("/gone.db");
    prompts->files << gone;
    menu->newStudy();
    ASSERT_TRUE(settle());
    window->studyFileMenu()->openRecent(original);
    ASSERT_TRUE(settle());
    ASSERT_TRUE(QFile::remove(gone));
    ASSERT_TRUE(menu->recentStudies().contains(gone));
    const int told = prompts->messages.size();
    menu->openRecent(gone);
    ASSERT_TRUE(settle());
    ASSERT_EQ(prompts->messages.size(), told + 1);
    EXPECT_TRUE(prompts->messages.last().text.contains(QStringLiteral("no longer exists")));
    EXPECT_FALSE(menu->recentStudies().contains(gone));
    EXPECT_EQ(rdb.database()->path(), original);

    // A text file is not a study: refused, and left as it was.
    const QString text = folder + QStringLiteral("/notes.txt");
    {
        QFile file(text);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a study\n");
    }
    prompts->files << text;
    menu->openStudy();
    ASSERT_TRUE(settle());
    EXPECT_EQ(prompts->messages.last().icon, QMessageBox::Critical);
    EXPECT_EQ(rdb.database()->path(), original);
    EXPECT_EQ(window->study().releases().count(), 2);
    EXPECT_TRUE(window->windowTitle().contains(QDir::toNativeSeparators(original)));
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("not a study\n"));
    EXPECT_FALSE(menu->recentStudies().contains(text));
}

} // namespace
} // namespace rivulet::test
