#include "lum/ui/QtRTextWindow.h"

#include <QTextEdit>

namespace lum {

QtRTextWindow::QtRTextWindow()
    : QMainWindow(nullptr, Qt::WindowFlags()), m_editor(new QTextEdit(this))
{
    m_editor->setReadOnly(true);
    m_editor->setLineWrapMode(QTextEdit::NoWrap);
    setCentralWidget(m_editor);
}

void QtRTextWindow::setDocument(QTextDocument* document)
{
    m_editor->setDocument(document);
}

void QtRTextWindow::updateHtml(const QString& html)
{
    m_editor->setHtml(html);
}

void QtRTextWindow::updateCsvText(const QString& csvText)
{
    m_csvText = csvText;
}

} // namespace lum
