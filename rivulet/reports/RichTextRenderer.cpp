#include "rivulet/reports/RichTextRenderer.h"

#include "lum/report/LumStyle.h"
#include "lum/report/QtReport.h"
#include "rivulet/results/ReportDocument.h"
#include "rivulet/results/ReportNumbers.h"

#include <QTextCursor>
#include <QTextList>
#include <QTextTable>

namespace rivulet {

namespace {

// The cell formats of headers and of values.
constexpr int HeaderCell = 1;
constexpr int BodyCell = 3;

void writeCell(const lum::LumStyle& style, QTextTable* table, int row, int column,
               const QString& text, int cellFormat)
{
    // An empty cell is left as it is.
    if (text.isEmpty())
        return;
    table->cellAt(row, column).firstCursorPosition().insertText(text, style.cellFormat(cellFormat));
}

} // namespace

RichTextRenderer::RichTextRenderer(const lum::LumStyle& style, int estimatePrecision,
                                   int errorPrecision)
    : m_style(style), m_estimatePrecision(estimatePrecision), m_errorPrecision(errorPrecision)
{
}

void RichTextRenderer::renderHeader(const ModelHeader& header, QTextCursor& cursor) const
{
    cursor.insertText(header.title, m_style.charFormat(5));

    cursor.insertBlock(m_style.blockFormat(5));
    cursor.insertText(QStringLiteral("Releases: "), m_style.charFormat(6));
    cursor.insertList(m_style.listFormat(2));
    cursor.setBlockFormat(m_style.blockFormat(3));
    for (int i = 0; i < header.releases.size(); ++i) {
        if (i > 0)
            cursor.insertBlock();
        cursor.insertText(QStringLiteral("   ") + header.releases.at(i), m_style.charFormat(0));
    }

    cursor.insertBlock(m_style.blockFormat(5));
    cursor.insertText(QStringLiteral("Model: ") + header.code, m_style.charFormat(6));
    cursor.insertBlock(m_style.blockFormat(4));
    cursor.insertText(QStringLiteral("Unique parameters for all reaches and detections sites. "
                                     "Parameters equated across release groups as follows: "),
                      m_style.charFormat(0));
    cursor.insertBlock(m_style.blockFormat(4));
    cursor.insertText(header.fullDescription + QStringLiteral("."), m_style.charFormat(0));

    // The list opens with an empty item; every figure starts a block of its own.
    cursor.insertList(m_style.listFormat(2));
    cursor.setBlockFormat(m_style.blockFormat(3));
    const auto item = [&](const QString& label, const QString& value) {
        cursor.insertBlock();
        cursor.insertText(label, m_style.charFormat(1));
        cursor.insertText(value, m_style.charFormat(0));
    };
    item(QStringLiteral("Num releases: "), QString::number(header.releaseCount));
    item(QStringLiteral("Num sites: "), QString::number(header.siteCount));
    item(QStringLiteral("Num years: "), QString::number(header.yearCount));
    item(QStringLiteral("Num parameters: "), QString::number(header.parameterCount));
    item(QStringLiteral("Log-likelihood: "), QString::number(header.logLikelihood, 'g', 6));
    item(QStringLiteral("AIC: "), QString::number(header.aic, 'g', 6));
    if (!header.fitStatus.isEmpty())
        item(QStringLiteral("Fit: "), header.fitStatus);
    if (header.chat != 1.0)
        item(QStringLiteral("c-hat: "),
             QStringLiteral("%1 (standard errors and intervals inflated by its square root)")
                 .arg(header.chat));
}

void RichTextRenderer::render(const ReportDocument& document, QTextCursor& cursor) const
{
    const auto valueText = [this](const MeasureValue& value) {
        return ReportNumbers::valueText(value, m_estimatePrecision, m_errorPrecision);
    };
    cursor.insertBlock(m_style.blockFormat(2));
    renderHeader(document.header, cursor);
    for (const ReportBlock& block : document.blocks) {
        if (!block.inRichText)
            continue;
        switch (block.kind) {
        case ReportBlock::Kind::Heading:
            cursor.insertBlock(m_style.blockFormat(5));
            cursor.insertText(block.text, m_style.charFormat(6));
            break;
        case ReportBlock::Kind::Paragraph:
            cursor.insertBlock(m_style.blockFormat(4));
            if (!block.text.isEmpty())
                cursor.insertText(block.text, m_style.charFormat(0));
            break;
        case ReportBlock::Kind::Continuation:
            cursor.insertBlock();
            cursor.insertText(block.text, m_style.charFormat(0));
            break;
        case ReportBlock::Kind::Field:
            cursor.insertBlock(m_style.blockFormat(5));
            cursor.insertText(block.text + QLatin1Char(' '), m_style.charFormat(1));
            cursor.insertText(block.value, m_style.charFormat(0));
            break;
        case ReportBlock::Kind::Figure:
            cursor.insertBlock(m_style.blockFormat(4));
            cursor.insertText(block.text, m_style.charFormat(1));
            if (block.figure)
                cursor.insertText(valueText(*block.figure), m_style.charFormat(0));
            break;
        case ReportBlock::Kind::Table: {
            const ReportTable& table = block.table;
            const int headerRows = static_cast<int>(table.header.size());
            const int columns = table.columnCount();
            QTextTable* written = cursor.insertTable(
                headerRows + static_cast<int>(table.rows.size()), columns, m_style.tableFormat(0));
            for (int r = 0; r < headerRows; ++r) {
                int column = 0;
                for (const ReportHeaderCell& cell : table.header[static_cast<std::size_t>(r)]) {
                    if (cell.span > 1)
                        written->mergeCells(r, column, 1, cell.span);
                    writeCell(m_style, written, r, column, cell.text, HeaderCell);
                    column += cell.span;
                }
            }
            lum::QtReport::setCellBlockFormat(written, 0, 0, headerRows, columns,
                                              m_style.blockFormat(9));
            if (table.highlightRow >= 0 && table.highlightValue >= 0) {
                QTextBlockFormat highlight = m_style.blockFormat(9);
                highlight.setBackground(Qt::yellow);
                lum::QtReport::setCellBlockFormat(written, headerRows + table.highlightRow,
                                                  table.labelColumns + table.highlightValue, 1, 1,
                                                  highlight);
            }
            for (std::size_t i = 0; i < table.rows.size(); ++i) {
                const ReportTable::Row& row = table.rows[i];
                const int r = headerRows + static_cast<int>(i);
                for (int c = 0; c < row.labels.size(); ++c)
                    writeCell(m_style, written, r, c,
                              c == 0 ? row.labels.at(c) + row.mark : row.labels.at(c), BodyCell);
                for (std::size_t j = 0; j < row.values.size(); ++j) {
                    if (row.values[j])
                        writeCell(m_style, written, r, table.labelColumns + static_cast<int>(j),
                                  valueText(*row.values[j]), BodyCell);
                }
            }
            cursor.movePosition(QTextCursor::End);
            break;
        }
        case ReportBlock::Kind::Note:
            cursor.movePosition(QTextCursor::End);
            cursor.insertBlock(m_style.blockFormat(5));
            cursor.insertText(block.text, m_style.charFormat(2));
            break;
        case ReportBlock::Kind::CsvBreak:
            break;
        }
    }
    cursor.movePosition(QTextCursor::Start);
}

} // namespace rivulet
