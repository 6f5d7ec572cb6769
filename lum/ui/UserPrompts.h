#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

class QPrinter;
class QWidget;

namespace lum {

// Everything a window asks of the person in front of it: file names, answers to message
// boxes, printer settings and the print preview. The windows go through one object of this
// kind, so a test (or a script) replaces it and drives every flow without a person.
class UserPrompts
{
public:
    virtual ~UserPrompts();

    // Empty when the dialog was cancelled.
    virtual QString openFileName(QWidget* parent, const QString& title, const QString& folder,
                                 const QString& filter);
    // `selectedFilter`, when given, receives the filter the user chose.
    virtual QString saveFileName(QWidget* parent, const QString& title, const QString& proposed,
                                 const QString& filter, QString* selectedFilter = nullptr);
    // A message box with the given buttons; the button chosen.
    virtual QMessageBox::StandardButton ask(QWidget* parent, QMessageBox::Icon icon,
                                            const QString& title, const QString& text,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton defaultButton);
    // The print dialog on `printer`; true when printing should go ahead.
    virtual bool setUpPrinter(QWidget* parent, QPrinter& printer, const QString& title);
    // Where a file dialog opens: `proposed` as given when it names a folder (an absolute path),
    // otherwise `proposed` (a file name, or nothing) in `lastFolder`, the folder of the file
    // last chosen, when there is one.
    static QString startPath(const QString& proposed, const QString& lastFolder);

    // The print preview of `printer`, which calls `paint` whenever it needs the pages; true
    // when it was accepted.
    virtual bool preview(QWidget* parent, QPrinter& printer,
                         const std::function<void(QPrinter*)>& paint);

    // A box with one OK button.
    void tell(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text)
    {
        ask(parent, icon, title, text, QMessageBox::Ok, QMessageBox::Ok);
    }
};

} // namespace lum
