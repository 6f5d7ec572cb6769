#include "lum/ui/OutputDockWidget.h"

#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>

namespace lum {

OutputDockWidget::OutputDockWidget(QWidget* parent)
    : QDockWidget(QStringLiteral("Output"), parent), m_editor(new QTextEdit(this))
{
    setObjectName(QStringLiteral("outputDock"));
    m_editor->setReadOnly(true);
    QTextFrameFormat frame = m_editor->document()->rootFrame()->frameFormat();
    frame.setMargin(10);
    m_editor->document()->rootFrame()->setFrameFormat(frame);
    setWidget(m_editor);
    m_cursor = QTextCursor(m_editor->document());

    for (QTextCharFormat& format : m_formats)
        format.setFontPointSize(10);
    m_formats[Warning].setFontItalic(true);
    m_formats[Error].setForeground(Qt::red);
    m_formats[Heading].setFontPointSize(12);
    m_formats[Heading].setFontWeight(75);
}

QTextCharFormat OutputDockWidget::format(int type) const
{
    if (type < Normal || type > Heading)
        type = Normal;
    return m_formats[static_cast<std::size_t>(type)];
}

QStringList OutputDockWidget::lines() const
{
    if (m_empty)
        return {};
    return m_editor->toPlainText().split(QLatin1Char('\n'));
}

void OutputDockWidget::out(const QString& text, OutputType type)
{
    m_cursor.movePosition(QTextCursor::End);
    // The document starts with one empty paragraph; the first line takes it.
    if (!m_empty)
        m_cursor.insertBlock();
    m_empty = false;
    m_cursor.insertText(text, format(type));
    m_editor->setTextCursor(m_cursor);
    m_editor->ensureCursorVisible();
}

} // namespace lum
