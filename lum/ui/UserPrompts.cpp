#include "lum/ui/UserPrompts.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace lum {

namespace {

// The folder of the file last opened or saved through a dialog of this program: the next
// dialog starts there, as a user who keeps a study's files together expects.
QString& lastChosenFolder()
{
    static QString folder;
    return folder;
}

QString remembered(const QString& path)
{
    if (!path.isEmpty())
        lastChosenFolder() = QFileInfo(path).absolutePath();
    return path;
}

} // namespace

UserPrompts::~UserPrompts() = default;

QString UserPrompts::startPath(const QString& proposed, const QString& lastFolder)
{
    if (lastFolder.isEmpty() || QDir::isAbsolutePath(proposed))
        return proposed;
    return proposed.isEmpty() ? lastFolder : QDir(lastFolder).filePath(proposed);
}

QString UserPrompts::openFileName(QWidget* parent, const QString& title, const QString& folder,
                                  const QString& filter)
{
    return remembered(
        QFileDialog::getOpenFileName(parent, title, startPath(folder, lastChosenFolder()), filter));
}

QString UserPrompts::saveFileName(QWidget* parent, const QString& title, const QString& proposed,
                                  const QString& filter, QString* selectedFilter)
{
    return remembered(QFileDialog::getSaveFileName(
        parent, title, startPath(proposed, lastChosenFolder()), filter, selectedFilter));
}

QMessageBox::StandardButton UserPrompts::ask(QWidget* parent, QMessageBox::Icon icon,
                                             const QString& title, const QString& text,
                                             QMessageBox::StandardButtons buttons,
                                             QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, title, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

bool UserPrompts::setUpPrinter(QWidget* parent, QPrinter& printer, const QString& title)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(title);
    return dialog.exec() == QDialog::Accepted;
}

bool UserPrompts::preview(QWidget* parent, QPrinter& printer,
                          const std::function<void(QPrinter*)>& paint)
{
    QPrintPreviewDialog dialog(&printer, parent);
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [&paint](QPrinter* target) { paint(target); });
    return dialog.exec() == QDialog::Accepted;
}

} // namespace lum
