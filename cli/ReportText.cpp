#include "cli/ReportText.h"

#include <QStringList>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <algorithm>
#include <vector>

namespace rivulet::cli {

namespace {

QString cellText(const QTextTable& table, int row, int column)
{
    const QTextTableCell cell = table.cellAt(row, column);
    if (cell.row() != row || cell.column() != column)
        return QString(); // covered by a merged cell
    QTextCursor cursor = cell.firstCursorPosition();
    cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return cursor.selectedText().replace(QChar::ParagraphSeparator, QLatin1Char(' '));
}

QString tableText(const QTextTable& table)
{
    std::vector<int> widths(static_cast<std::size_t>(table.columns()), 0);
    for (int r = 0; r < table.rows(); ++r) {
        for (int c = 0; c < table.columns(); ++c) {
            const auto width = static_cast<int>(cellText(table, r, c).size());
            auto& widest = widths[static_cast<std::size_t>(c)];
            widest = std::max(widest, width);
        }
    }
    QString text;
    for (int r = 0; r < table.rows(); ++r) {
        QString line;
        for (int c = 0; c < table.columns(); ++c) {
            if (c > 0)
                line += QStringLiteral("  ");
            line += cellText(table, r, c).leftJustified(widths[static_cast<std::size_t>(c)]);
        }
        text += line.trimmed().isEmpty() ? QString() : line.trimmed() + QLatin1Char('\n');
    }
    return text;
}

} // namespace

QString ReportText::fromHtml(const QString& html)
{
    QTextDocument document;
    document.setHtml(html);
    QString text;
    for (auto it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (const auto* table = qobject_cast<const QTextTable*>(it.currentFrame())) {
            text += tableText(*table);
        } else if (it.currentBlock().isValid()) {
            const QString line = it.currentBlock().text();
            if (!line.trimmed().isEmpty())
                text += line + QLatin1Char('\n');
        }
    }
    return text;
}

} // namespace rivulet::cli
