#include "lum/report/QtReport.h"

#include "lum/thread/ThreadRunner.h"

#include <QColor>
#include <QSignalSpy>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QColor Shade(245, 250, 255);

// A report whose content is given by the test.
class SampleReport : public lum::QtReport
{
public:
    using Builder = std::function<void(SampleReport&)>;

    explicit SampleReport(Builder builder = {}, lum::ThreadRunner* runner = nullptr)
        : lum::QtReport(7, runner), m_builder(std::move(builder))
    {
    }

    int builds = 0;
    QTextFrameFormat rootFormatSeen;

protected:
    void buildReport() override
    {
        ++builds;
        rootFormatSeen = document()->rootFrame()->frameFormat();
        if (m_builder)
            m_builder(*this);
    }

private:
    Builder m_builder;
};

// A heading, a paragraph and a 3 x 4 table with a styled header row and
// column, the way the concrete reports compose their documents.
void writeTableReport(SampleReport& report)
{
    QTextCursor cursor(report.document());
    cursor.insertText("Estimates", report.charFormat(5));
    cursor.insertBlock(report.blockFormat(5));
    cursor.insertText("Release: ", report.charFormat(1));
    cursor.insertText("Alpha 2010", report.charFormat(0));
    QTextTable* table = cursor.insertTable(3, 4, report.tableFormat(0));
    for (int c = 0; c < 4; ++c)
        table->cellAt(0, c).firstCursorPosition().insertText(QString("H%1").arg(c),
                                                             report.cellFormat(1));
    for (int r = 1; r < 3; ++r) {
        for (int c = 0; c < 4; ++c)
            table->cellAt(r, c).firstCursorPosition().insertText(QString("%1.%2").arg(r).arg(c),
                                                                 report.cellFormat(3));
    }
    report.styleTable(table);
}

QList<QTextTable*> tablesOf(const QTextDocument& document)
{
    QList<QTextTable*> tables;
    for (QTextFrame* frame : document.rootFrame()->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(frame))
            tables.append(table);
    }
    return tables;
}

QTextBlockFormat cellBlock(QTextTable* table, int row, int column)
{
    return table->cellAt(row, column).firstCursorPosition().blockFormat();
}

bool isShadedHeader(const QTextBlockFormat& format)
{
    return format.alignment() == Qt::AlignHCenter && format.background().color() == Shade;
}

TEST(QtReportTest, StartsDirtyWithoutTextOrDocument)
{
    SampleReport report;
    EXPECT_TRUE(report.getDirty());
    EXPECT_TRUE(report.html().isEmpty());
    EXPECT_TRUE(report.name().isEmpty());
    EXPECT_TRUE(report.csvText().isEmpty());
    EXPECT_EQ(report.kind(), 7);
    EXPECT_EQ(report.document(), nullptr);
}

TEST(QtReportTest, AnswersToItsOwnClassAndToItsStyle)
{
    SampleReport report;
    EXPECT_EQ(report.qt_metacast("lum::QtReport"), static_cast<void*>(&report));
    EXPECT_EQ(report.qt_metacast("LumStyle"),
              static_cast<void*>(static_cast<lum::LumStyle*>(&report)));
    EXPECT_TRUE(report.inherits("lum::ThreadRunnable"));
}

TEST(QtReportTest, RunBuildsHtmlAndDropsTheDocument)
{
    SampleReport report(writeTableReport);
    report.run();
    EXPECT_EQ(report.builds, 1);
    EXPECT_EQ(report.document(), nullptr);
    EXPECT_EQ(report.rootFormatSeen.topMargin(), 0.0);
    EXPECT_EQ(report.rootFormatSeen.leftMargin(), 10.0);
    EXPECT_EQ(report.rootFormatSeen.rightMargin(), 10.0);
    EXPECT_EQ(report.rootFormatSeen.bottomMargin(), 10.0);
    // The run leaves the dirty flag to the application.
    EXPECT_TRUE(report.getDirty());

    QTextDocument parsed;
    parsed.setHtml(report.html());
    EXPECT_TRUE(parsed.toPlainText().startsWith("Estimates\nRelease: Alpha 2010"));
    const QList<QTextTable*> tables = tablesOf(parsed);
    ASSERT_EQ(tables.size(), 1);
    QTextTable* table = tables.front();
    ASSERT_EQ(table->rows(), 3);
    ASSERT_EQ(table->columns(), 4);
    EXPECT_EQ(table->format().border(), 1.0);
    EXPECT_EQ(table->format().cellSpacing(), 0.0);
    EXPECT_EQ(table->format().cellPadding(), 2.0);

    // Header texts bold, body texts plain, both at 8 points.
    const QTextCharFormat header =
        table->cellAt(0, 2).firstCursorPosition().block().begin().fragment().charFormat();
    EXPECT_EQ(header.fontWeight(), 75);
    EXPECT_EQ(header.fontPointSize(), 8.0);
    const QTextCursor bodyText = table->cellAt(2, 3).firstCursorPosition();
    const QTextCharFormat body = bodyText.block().begin().fragment().charFormat();
    EXPECT_EQ(bodyText.block().text(), "2.3");
    EXPECT_NE(body.fontWeight(), 75);
    EXPECT_EQ(body.fontPointSize(), 8.0);

    // styleTable: row 0 and column 0 shaded, the rest centred and unshaded.
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            SCOPED_TRACE(QString("cell %1,%2").arg(r).arg(c).toStdString());
            const QTextBlockFormat block = cellBlock(table, r, c);
            EXPECT_EQ(block.alignment(), Qt::AlignHCenter);
            EXPECT_EQ(isShadedHeader(block), r == 0 || c == 0);
        }
    }
}

TEST(QtReportTest, EmptyReportGivesAnEmptyDocument)
{
    SampleReport report;
    report.run();
    EXPECT_EQ(report.builds, 1);
    ASSERT_FALSE(report.html().isEmpty());
    QTextDocument parsed;
    parsed.setHtml(report.html());
    // Qt writes the root frame's margins as a wrapper that reads back as one
    // empty paragraph; no text and no table may appear.
    EXPECT_TRUE(parsed.toPlainText().trimmed().isEmpty());
    EXPECT_TRUE(tablesOf(parsed).isEmpty());
}

TEST(QtReportTest, EveryRunStartsFromAFreshDocument)
{
    int round = 0;
    SampleReport report([&round](SampleReport& r) {
        QTextCursor cursor(r.document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QString("round %1").arg(++round));
    });
    report.run();
    report.run();
    QTextDocument parsed;
    parsed.setHtml(report.html());
    EXPECT_EQ(parsed.toPlainText(), "round 2");
}

TEST(QtReportTest, DocumentIsDroppedWhenBuildingThrows)
{
    SampleReport report([](SampleReport&) { throw std::runtime_error("broken"); });
    EXPECT_THROW(report.run(), std::runtime_error);
    EXPECT_EQ(report.document(), nullptr);
}

TEST(QtReportTest, RunsOnTheRunnersThread)
{
    lum::ThreadRunner runner;
    SampleReport report(writeTableReport, &runner);
    QSignalSpy busy(&runner, &lum::ThreadRunner::busy);
    QSignalSpy complete(&runner, &lum::ThreadRunner::runComplete);
    runner.setRunnable(&report);
    runner.start();
    ASSERT_TRUE(runner.wait(20000));
    EXPECT_EQ(busy.count(), 1);
    EXPECT_EQ(complete.count(), 1);
    EXPECT_EQ(report.document(), nullptr);
    QTextDocument parsed;
    parsed.setHtml(report.html());
    ASSERT_EQ(tablesOf(parsed).size(), 1);
    EXPECT_TRUE(parsed.toPlainText().contains("Alpha 2010"));
}

class CellBlockFormatTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QTextCursor cursor(&document);
        table = cursor.insertTable(3, 4);
        marker.setBackground(QColor(Qt::yellow));
    }

    // Which cells carry the marker, row by row, as '#' and '.'.
    QString marked() const
    {
        QString out;
        for (int r = 0; r < table->rows(); ++r) {
            for (int c = 0; c < table->columns(); ++c)
                out += cellBlock(table, r, c).background() == marker.background() ? '#' : '.';
            out += '|';
        }
        return out;
    }

    QTextDocument document;
    QTextTable* table = nullptr;
    QTextBlockFormat marker;
};

TEST_F(CellBlockFormatTest, RangeInsideTheTableIsFormatted)
{
    lum::QtReport::setCellBlockFormat(table, 1, 1, 2, 2, marker);
    EXPECT_EQ(marked(), "....|.##.|.##.|");
    lum::QtReport::setCellBlockFormat(table, 0, 0, 1, 4, marker);
    EXPECT_EQ(marked(), "####|.##.|.##.|");
}

TEST_F(CellBlockFormatTest, RangesReachingOutsideAreIgnoredWhole)
{
    const struct
    {
        int row, column, rows, columns;
    } outside[] = {
        {-1, 0, 1, 1}, {3, 0, 1, 1}, {2, 0, 2, 1}, {0, -1, 1, 1},
        {0, 4, 1, 1},  {0, 3, 1, 2}, {0, 0, 0, 4}, {1, 1, -1, 1},
    };
    for (const auto& range : outside) {
        lum::QtReport::setCellBlockFormat(table, range.row, range.column, range.rows, range.columns,
                                          marker);
        EXPECT_EQ(marked(), "....|....|....|")
            << range.row << "," << range.column << "," << range.rows << "," << range.columns;
    }
    lum::QtReport::setCellBlockFormat(nullptr, 0, 0, 1, 1, marker);
}

TEST_F(CellBlockFormatTest, OnlyTheFirstBlockOfACellIsFormatted)
{
    QTextCursor cursor = table->cellAt(1, 1).firstCursorPosition();
    cursor.insertText("first");
    cursor.insertBlock();
    cursor.insertText("second");
    lum::QtReport::setCellBlockFormat(table, 1, 1, 1, 1, marker);
    EXPECT_EQ(cursor.blockFormat().background().style(), Qt::NoBrush);
    EXPECT_EQ(table->cellAt(1, 1).firstCursorPosition().blockFormat().background(),
              marker.background());
}

TEST(StyleTableTest, OneRowTableIsAllHeader)
{
    SampleReport report;
    QTextDocument document;
    QTextCursor cursor(&document);
    QTextTable* table = cursor.insertTable(1, 3);
    report.styleTable(table);
    for (int c = 0; c < 3; ++c)
        EXPECT_EQ(cellBlock(table, 0, c), report.blockFormat(9)) << c;
}

TEST(StyleTableTest, BodyCellsGetBlockFormatEight)
{
    SampleReport report;
    QTextDocument document;
    QTextCursor cursor(&document);
    QTextTable* table = cursor.insertTable(3, 2);
    report.styleTable(table);
    EXPECT_EQ(cellBlock(table, 1, 0), report.blockFormat(9));
    EXPECT_EQ(cellBlock(table, 2, 0), report.blockFormat(9));
    EXPECT_EQ(cellBlock(table, 1, 1), report.blockFormat(8));
    EXPECT_EQ(cellBlock(table, 2, 1), report.blockFormat(8));
}

} // namespace
