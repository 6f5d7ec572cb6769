#include "lum/report/QtReport.h"

#include <QColor>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

// A report whose content is given by the test.
class SampleReport : public lum::QtReport
{
public:
    explicit SampleReport(std::function<void(SampleReport&)> builder = {})
        : lum::QtReport(7, nullptr), m_builder(std::move(builder))
    {
    }

protected:
    void buildReport() override
    {
        if (m_builder)
            m_builder(*this);
    }

private:
    std::function<void(SampleReport&)> m_builder;
};

QTextTable* onlyTable(const QTextDocument& document)
{
    QTextTable* found = nullptr;
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(frame))
            found = found ? nullptr : table;
    }
    return found;
}

// Which cells are shaded as headers, row by row, as '#' and '.'.
QString shaded(QTextTable* table)
{
    QString out;
    for (int r = 0; r < table->rows(); ++r) {
        for (int c = 0; c < table->columns(); ++c) {
            const QTextBlockFormat block = table->cellAt(r, c).firstCursorPosition().blockFormat();
            out += block.background().color() == QColor(245, 250, 255) ? '#' : '.';
        }
        out += '|';
    }
    return out;
}

TEST(QtReportTest, RunGivesHtmlWithAHeaderShadedTableAndDropsTheDocument)
{
    int round = 0;
    SampleReport report([&round](SampleReport& r) {
        QTextCursor cursor(r.document());
        cursor.insertText(QString("Estimates %1").arg(++round), r.charFormat(5));
        QTextTable* table = cursor.insertTable(3, 4, r.tableFormat(0));
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 4; ++column)
                table->cellAt(row, column)
                    .firstCursorPosition()
                    .insertText(QString("%1.%2").arg(row).arg(column), r.cellFormat(3));
        r.styleTable(table);
    });
    EXPECT_TRUE(report.html().isEmpty());
    report.run();
    report.run(); // every run starts from a fresh document
    EXPECT_EQ(report.document(), nullptr);

    QTextDocument parsed;
    parsed.setHtml(report.html());
    EXPECT_TRUE(parsed.toPlainText().startsWith("Estimates 2\n"))
        << qPrintable(parsed.toPlainText());
    QTextTable* table = onlyTable(parsed);
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rows(), 3);
    ASSERT_EQ(table->columns(), 4);
    EXPECT_EQ(table->cellAt(2, 3).firstCursorPosition().block().text(), "2.3");
    EXPECT_EQ(shaded(table), "####|#...|#...|");
}

TEST(QtReportTest, DocumentIsDroppedWhenBuildingThrows)
{
    SampleReport report([](SampleReport&) { throw std::runtime_error("broken"); });
    EXPECT_THROW(report.run(), std::runtime_error);
    EXPECT_EQ(report.document(), nullptr);
}

TEST(QtReportTest, CellRangesReachingOutsideTheTableAreIgnoredWhole)
{
    QTextDocument document;
    QTextTable* table = QTextCursor(&document).insertTable(3, 4);
    QTextBlockFormat shade;
    shade.setBackground(QColor(245, 250, 255));
    const struct
    {
        int row, column, rows, columns;
    } outside[] = {{-1, 0, 1, 1}, {2, 0, 2, 1}, {0, -1, 1, 1}, {0, 3, 1, 2}, {0, 0, 0, 4}};
    for (const auto& range : outside)
        lum::QtReport::setCellBlockFormat(table, range.row, range.column, range.rows, range.columns,
                                          shade);
    lum::QtReport::setCellBlockFormat(nullptr, 0, 0, 1, 1, shade);
    EXPECT_EQ(shaded(table), "....|....|....|");
    lum::QtReport::setCellBlockFormat(table, 1, 1, 2, 2, shade);
    EXPECT_EQ(shaded(table), "....|.##.|.##.|");
}

} // namespace
