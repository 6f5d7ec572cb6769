#pragma once

#include <QString>
#include <QStringList>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <vector>

namespace rivulet::test {

// The tables of a report's HTML in document order, each as rows of cell texts.
inline std::vector<std::vector<QStringList>> reportTables(const QString& html)
{
    QTextDocument document;
    document.setHtml(html);
    std::vector<std::vector<QStringList>> tables;
    for (auto it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        auto* table = qobject_cast<QTextTable*>(it.currentFrame());
        if (!table)
            continue;
        std::vector<QStringList> rows;
        for (int r = 0; r < table->rows(); ++r) {
            QStringList cells;
            for (int c = 0; c < table->columns(); ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                QTextCursor cursor = cell.firstCursorPosition();
                cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                cells << cursor.selectedText();
            }
            rows.push_back(cells);
        }
        tables.push_back(rows);
    }
    return tables;
}

} // namespace rivulet::test
