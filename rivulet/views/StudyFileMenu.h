#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class QMenu;
class QWidget;

namespace lum {
class SqliteDb;
class UserPrompts;
} // namespace lum

namespace rivulet {

// The study entries of the File menu: "New Study...", "Open Study...", "Save Study As..." and
// "Recent Studies". A study is one database file (the file --db names). The entries ask for
// the file; the window switches to it (`openStudy`, true when the file is the open study now).
// "Save Study As" copies the open study's file and switches to the copy. The recent list is
// kept in the settings, the latest first, at most eight; a file gone since is dropped from it,
// with a message, when chosen.
class StudyFileMenu : public QObject
{
    Q_OBJECT

public:
    static constexpr int maxRecent = 8;

    // Puts the entries at the top of `fileMenu`. Everything is borrowed: `window` (parent of
    // the dialogs, and of this object), `db` (the open study's database). `prompts` gives the
    // window's prompts of the moment (a test replaces them).
    StudyFileMenu(QWidget* window, QMenu* fileMenu, std::function<lum::UserPrompts&()> prompts,
                  lum::SqliteDb& db, std::function<bool(const QString&)> openStudy);

    // Puts `path` first in the recent list.
    void noteOpened(const QString& path);
    QStringList recentStudies() const;
    // Disabled while a job runs on the study.
    void setEnabled(bool enabled);

    void newStudy();
    void openStudy();
    void saveStudyAs();
    void openRecent(const QString& path);

    QMenu* recentMenu() const { return m_recentMenu; }

signals:
    // "Save Study As" copied the study to `path`, which is now the open study.
    void studySaved(const QString& path);

private:
    void rebuildRecentMenu();
    void setRecent(const QStringList& paths);
    QString folder() const;

    QWidget* m_window;
    std::function<lum::UserPrompts&()> m_prompts;
    lum::SqliteDb& m_db;
    std::function<bool(const QString&)> m_open;
    QList<QAction*> m_actions;
    QMenu* m_recentMenu = nullptr; // child of the file menu
};

} // namespace rivulet
