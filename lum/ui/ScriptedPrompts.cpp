#include "lum/ui/ScriptedPrompts.h"

#include <QPrinter>

namespace lum {

QString ScriptedPrompts::openFileName(QWidget*, const QString& title, const QString& folder,
                                      const QString& filter)
{
    fileRequests.append({title, folder, filter});
    return files.isEmpty() ? QString() : files.dequeue();
}

QString ScriptedPrompts::saveFileName(QWidget*, const QString& title, const QString& proposed,
                                      const QString& filter, QString* selectedFilter)
{
    fileRequests.append({title, proposed, filter});
    const QString chosen =
        filters.isEmpty() ? filter.section(QStringLiteral(";;"), 0, 0) : filters.dequeue();
    if (selectedFilter)
        *selectedFilter = chosen;
    return files.isEmpty() ? QString() : files.dequeue();
}

QMessageBox::StandardButton ScriptedPrompts::ask(QWidget*, QMessageBox::Icon icon,
                                                 const QString& title, const QString& text,
                                                 QMessageBox::StandardButtons,
                                                 QMessageBox::StandardButton defaultButton)
{
    messages.append({icon, title, text});
    return answers.isEmpty() ? defaultButton : answers.dequeue();
}

bool ScriptedPrompts::setUpPrinter(QWidget*, QPrinter& printer, const QString& title)
{
    printTitles << title;
    if (pdfFile.isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfFile);
    return true;
}

bool ScriptedPrompts::preview(QWidget*, QPrinter& printer,
                              const std::function<void(QPrinter*)>& paint)
{
    if (pdfFile.isEmpty())
        return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdfFile);
    // The preview renders the pages once before the person decides.
    ++previewPaints;
    paint(&printer);
    return acceptPreview;
}

} // namespace lum
