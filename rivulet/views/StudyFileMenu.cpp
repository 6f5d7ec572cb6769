#include "rivulet/views/StudyFileMenu.h"

#include "lum/db/SqliteDb.h"
#include "lum/ui/UserPrompts.h"
#include "rivulet/data/StudyFileCopy.h"
#include "rivulet/settings/RivuletSettings.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include <utility>

namespace rivulet {

namespace {

const QString studyFileFilter = QStringLiteral("Rivulet study (*.db *.sqlite);;All files (*)");
const QString studyMessageTitle = QStringLiteral("Rivulet");

QString withStudySuffix(const QString& path)
{
    return path.isEmpty() || !QFileInfo(path).suffix().isEmpty() ? path
                                                                 : path + QStringLiteral(".db");
}

} // namespace

StudyFileMenu::StudyFileMenu(QWidget* window, QMenu* fileMenu,
                             std::function<lum::UserPrompts&()> prompts, lum::SqliteDb& db,
                             std::function<bool(const QString&)> openStudy)
    : QObject(window), m_window(window), m_prompts(std::move(prompts)), m_db(db),
      m_open(std::move(openStudy))
{
    QAction* first = fileMenu->actions().value(0);
    const auto add = [this, fileMenu, first](const QString& text, const QKeySequence& keys,
                                             void (StudyFileMenu::*slot)()) {
        auto* action = new QAction(text, fileMenu);
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, slot);
        fileMenu->insertAction(first, action);
        m_actions << action;
        return action;
    };
    add(QStringLiteral("New Study..."), QKeySequence::New, &StudyFileMenu::newStudy);
    add(QStringLiteral("Open Study..."), QKeySequence::Open, &StudyFileMenu::openStudy);
    m_recentMenu = new QMenu(QStringLiteral("Recent Studies"), fileMenu);
    fileMenu->insertMenu(first, m_recentMenu);
    m_actions << m_recentMenu->menuAction();
    add(QStringLiteral("Save Study As..."), QKeySequence(), &StudyFileMenu::saveStudyAs);
    fileMenu->insertSeparator(first);
    rebuildRecentMenu();
}

QStringList StudyFileMenu::recentStudies() const
{
    return RivuletSettings::instance().recentStudies();
}

void StudyFileMenu::setRecent(const QStringList& paths)
{
    RivuletSettings::instance().setRecentStudies(paths.mid(0, maxRecent));
    rebuildRecentMenu();
}

void StudyFileMenu::noteOpened(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    QStringList paths = recentStudies();
    paths.removeAll(absolute);
    paths.prepend(absolute);
    setRecent(paths);
}

void StudyFileMenu::setEnabled(bool enabled)
{
    for (QAction* action : std::as_const(m_actions))
        action->setEnabled(enabled);
}

void StudyFileMenu::rebuildRecentMenu()
{
    m_recentMenu->clear();
    const QStringList paths = recentStudies();
    for (int i = 0; i < paths.size(); ++i) {
        const QString path = paths[i];
        QAction* action = m_recentMenu->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        action->setToolTip(QDir::toNativeSeparators(path));
        action->setStatusTip(QDir::toNativeSeparators(path));
        connect(action, &QAction::triggered, this, [this, path] { openRecent(path); });
    }
    m_recentMenu->setToolTipsVisible(true);
    m_recentMenu->setEnabled(!paths.isEmpty());
}

QString StudyFileMenu::folder() const
{
    const QString open = m_db.path();
    return open.isEmpty() ? QString() : QFileInfo(open).absolutePath();
}

void StudyFileMenu::newStudy()
{
    const QString path = withStudySuffix(
        m_prompts().saveFileName(m_window, QStringLiteral("New Study"),
                                 folder() + QStringLiteral("/study.db"), studyFileFilter));
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    if (info.exists()) {
        if (info.canonicalFilePath() == QFileInfo(m_db.path()).canonicalFilePath()) {
            m_prompts().tell(m_window, QMessageBox::Warning, studyMessageTitle,
                             QStringLiteral("\"%1\" is the open study; choose another name for the "
                                            "new one.")
                                 .arg(QDir::toNativeSeparators(path)));
            return;
        }
        // The file dialog asked before replacing it.
        if (!QFile::remove(path)) {
            m_prompts().tell(
                m_window, QMessageBox::Critical, studyMessageTitle,
                QStringLiteral("Unable to replace \"%1\".").arg(QDir::toNativeSeparators(path)));
            return;
        }
    }
    if (m_open(path))
        noteOpened(path);
}

void StudyFileMenu::openStudy()
{
    const QString path =
        m_prompts().openFileName(m_window, QStringLiteral("Open Study"), folder(), studyFileFilter);
    if (!path.isEmpty())
        openRecent(path);
}

void StudyFileMenu::saveStudyAs()
{
    const QString path = withStudySuffix(m_prompts().saveFileName(
        m_window, QStringLiteral("Save Study As"), folder(), studyFileFilter));
    if (path.isEmpty())
        return;
    if (const lum::Expected<void> copied = copyStudyFile(m_db, path); !copied) {
        m_prompts().tell(m_window, QMessageBox::Critical, studyMessageTitle, copied.error().text());
        return;
    }
    if (m_open(path)) {
        noteOpened(path);
        emit studySaved(path);
    }
}

void StudyFileMenu::openRecent(const QString& path)
{
    if (!QFileInfo(path).isFile()) {
        QStringList paths = recentStudies();
        paths.removeAll(path);
        setRecent(paths);
        m_prompts().tell(
            m_window, QMessageBox::Warning, studyMessageTitle,
            QStringLiteral("The study \"%1\" no longer exists; it was removed from the "
                           "recent studies.")
                .arg(QDir::toNativeSeparators(path)));
        return;
    }
    if (m_open(path))
        noteOpened(path);
}

} // namespace rivulet
