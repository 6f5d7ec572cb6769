#pragma once

#include "lum/ui/UserPrompts.h"

#include <QList>
#include <QQueue>
#include <QString>

namespace lum {

// Prompts answered from a script instead of a person: file names and message-box answers are
// taken from queues (an empty queue answers "cancel" and the default button), printing goes
// to a PDF file, and every message box is recorded. For tests and the picture tool, which
// drive the windows' real flows without anyone at the screen.
class ScriptedPrompts : public UserPrompts
{
public:
    struct Message
    {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString title;
        QString text;
    };
    struct FileRequest
    {
        QString title;
        QString folder;
        QString filter;
    };

    QString openFileName(QWidget* parent, const QString& title, const QString& folder,
                         const QString& filter) override;
    QString saveFileName(QWidget* parent, const QString& title, const QString& proposed,
                         const QString& filter, QString* selectedFilter = nullptr) override;
    QMessageBox::StandardButton ask(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                    const QString& text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) override;
    bool setUpPrinter(QWidget* parent, QPrinter& printer, const QString& title) override;
    bool preview(QWidget* parent, QPrinter& printer,
                 const std::function<void(QPrinter*)>& paint) override;

    // The next file dialogs answer these names, in order.
    QQueue<QString> files;
    // The filters the next save dialogs answer, in order; the first of the offered ones when
    // empty.
    QQueue<QString> filters;
    // The next message boxes answer these buttons, in order.
    QQueue<QMessageBox::StandardButton> answers;
    // Print and preview write this PDF file; empty refuses to print.
    QString pdfFile;
    bool acceptPreview = true;

    QList<Message> messages;
    QList<FileRequest> fileRequests;
    QStringList printTitles;
    int previewPaints = 0;
};

} // namespace lum
