#pragma once

#include <QString>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <memory>
#include <vector>

namespace rivulet::test {

// A report's HTML read back into a document, with its tables in document order, so that
// tests check the structure a reader sees rather than the HTML's spelling.
class HtmlTables
{
public:
    explicit HtmlTables(const QString& html) : document_(std::make_unique<QTextDocument>())
    {
        document_->setHtml(html);
        QTextFrame* root = document_->rootFrame();
        for (auto it = root->begin(); !it.atEnd(); ++it) {
            if (auto* table = qobject_cast<QTextTable*>(it.currentFrame()))
                tables_.push_back(table);
        }
    }

    int count() const { return static_cast<int>(tables_.size()); }
    QTextTable* table(int i) const { return tables_.at(static_cast<std::size_t>(i)); }
    QString plainText() const { return document_->toPlainText(); }
    const QTextDocument& document() const { return *document_; }

    static QString cellText(QTextTable* table, int row, int column)
    {
        const QTextTableCell cell = table->cellAt(row, column);
        QTextCursor cursor = cell.firstCursorPosition();
        cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
        return cursor.selectedText();
    }
    // The block format of the cell's first block.
    static QTextBlockFormat cellBlock(QTextTable* table, int row, int column)
    {
        return table->cellAt(row, column).firstCursorPosition().blockFormat();
    }

private:
    std::unique_ptr<QTextDocument> document_;
    std::vector<QTextTable*> tables_;
};

} // namespace rivulet::test
