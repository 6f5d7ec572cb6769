#include "lum/report/QtReport.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

namespace lum {

namespace {

// Drops the document when `run` ends, also when building throws, so that a
// document never outlives the run that built it.
class DocumentScope
{
public:
    explicit DocumentScope(std::unique_ptr<QTextDocument>& document) : m_document(document) {}
    ~DocumentScope() { m_document.reset(); }
    DocumentScope(const DocumentScope&) = delete;
    DocumentScope& operator=(const DocumentScope&) = delete;

private:
    std::unique_ptr<QTextDocument>& m_document;
};

} // namespace

QtReport::QtReport(qint32 kind, ThreadRunner* runner, QObject* parent)
    : ThreadRunnable(runner, parent), m_kind(kind)
{
}

QtReport::~QtReport() = default;

void QtReport::run()
{
    busy();
    m_document = std::make_unique<QTextDocument>();
    const DocumentScope scope(m_document);
    m_document->clear();
    QTextCursor cursor(m_document.get());
    cursor.currentFrame()->setFrameFormat(frameFormat());
    buildReport();
    m_html = m_document->toHtml();
}

QTextDocument* QtReport::document() const
{
    return m_document.get();
}

void QtReport::buildDocument() {}

void QtReport::updateText()
{
    m_dirty = false;
    emit textUpdated();
}

void QtReport::styleTable(QTextTable* table) const
{
    if (!table)
        return;
    const int rows = table->rows();
    const int columns = table->columns();
    setCellBlockFormat(table, 0, 0, rows, columns, blockFormat(8));
    setCellBlockFormat(table, 0, 0, 1, columns, blockFormat(9));
    setCellBlockFormat(table, 0, 0, rows, 1, blockFormat(9));
}

void QtReport::setCellBlockFormat(QTextTable* table, int row, int column, int rowCount,
                                  int columnCount, const QTextBlockFormat& format)
{
    if (!table)
        return;
    const int rows = table->rows();
    const int columns = table->columns();
    const bool inside = row >= 0 && row < rows && rowCount >= 1 && row + rowCount <= rows &&
                        column >= 0 && column < columns && column + columnCount <= columns;
    if (!inside)
        return;
    for (int r = row; r < row + rowCount; ++r) {
        for (int c = column; c < column + columnCount; ++c)
            table->cellAt(r, c).firstCursorPosition().setBlockFormat(format);
    }
}

} // namespace lum
