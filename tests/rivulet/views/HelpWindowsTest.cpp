// The Help menu: the about box names the licence and how to cite this version; the manual
// opens on F1 with this installation's folders filled in.
#include "WindowFixture.h"

#include "lum/db/SqliteDb.h"
#include "rivulet/views/ManualWindow.h"
#include "rivulet/views/RivuletInfoDialog.h"

#include <QAction>
#include <QRegularExpression>

namespace rivulet::test {
namespace {

using HelpWindows = WindowFixture;

TEST_F(HelpWindows, TheAboutBoxNamesTheLicenceAndTheCitationAndF1OpensTheManual)
{
    openWindow(false);
    QCoreApplication::setApplicationVersion(QStringLiteral("3.2.1"));
    window->onHelpAbout();
    ASSERT_NE(window->aboutDialog(), nullptr);
    EXPECT_TRUE(window->aboutDialog()->licenceText().contains(QStringLiteral("GPL-3.0-or-later")));
    const QString citation = window->aboutDialog()->citationText();
    EXPECT_TRUE(citation.contains(QStringLiteral("Rivulet"))) << citation.toStdString();
    EXPECT_TRUE(citation.contains(QStringLiteral("version 3.2.1"))) << citation.toStdString();
    EXPECT_TRUE(citation.contains(QRegularExpression(QStringLiteral("\\(20\\d\\d\\)"))))
        << citation.toStdString();
    window->aboutDialog()->accept();

    QAction* manual = window->action(AppAction::Manual);
    ASSERT_NE(manual, nullptr);
    EXPECT_EQ(manual->shortcut(), QKeySequence(QKeySequence::HelpContents));
    manual->trigger();
    ASSERT_NE(window->manualWindow(), nullptr);
    EXPECT_TRUE(window->manualWindow()->isVisible());
    const QString text = window->manualWindow()->toPlainText();
    for (const char* section : {"A first study", "Your own data", "Where files go"})
        EXPECT_TRUE(text.contains(QLatin1String(section))) << section;
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(rdb.database()->path())));
    EXPECT_FALSE(text.contains(QStringLiteral("{{")));
}

} // namespace
} // namespace rivulet::test
