#include "lum/ui/UserPrompts.h"

#include <QFileDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace lum {

UserPrompts::~UserPrompts() = default;

QString UserPrompts::openFileName(QWidget* parent, const QString& title, const QString& folder,
                                  const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}

QString UserPrompts::saveFileName(QWidget* parent, const QString& title, const QString& proposed,
                                  const QString& filter, QString* selectedFilter)
{
    return QFileDialog::getSaveFileName(parent, title, proposed, filter, selectedFilter);
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
