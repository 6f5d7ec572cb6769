#include "lum/report/LumStyle.h"

#include <QBrush>
#include <QColor>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

const QColor Shade(245, 250, 255, 255);

class LumStyleTest : public ::testing::Test
{
protected:
    lum::LumStyle style;
};

TEST_F(LumStyleTest, FrameFormatHasNoTopMarginAndTenElsewhere)
{
    const QTextFrameFormat& f = style.frameFormat();
    EXPECT_EQ(f.topMargin(), 0.0);
    EXPECT_EQ(f.rightMargin(), 10.0);
    EXPECT_EQ(f.bottomMargin(), 10.0);
    EXPECT_EQ(f.leftMargin(), 10.0);
}

TEST_F(LumStyleTest, BlockMarginsAndAlignment)
{
    EXPECT_TRUE(style.blockFormat(0).properties().isEmpty());
    EXPECT_TRUE(style.blockFormat(3).properties().isEmpty());
    const struct
    {
        int format;
        double top, bottom, left;
        Qt::Alignment alignment; // checked for the cell blocks 6 to 10
    } rows[] = {
        {1, 12, 10, 0, {}},
        {2, 0, 15, 0, {}},
        {5, 18, 10, 0, {}}, // bottom margin copied from block 1
        {6, 0, 0, 4, Qt::AlignRight},
        {7, 0, 0, 4, Qt::AlignLeft},
        {8, 0, 0, 4, Qt::AlignHCenter},
        {10, 0, 0, 4, Qt::AlignLeft},
        {11, 0, 0, 10, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.format);
        const QTextBlockFormat& b = style.blockFormat(row.format);
        EXPECT_EQ(b.topMargin(), row.top);
        EXPECT_EQ(b.bottomMargin(), row.bottom);
        EXPECT_EQ(b.leftMargin(), row.left);
        if (row.format >= 6 && row.format <= 10) {
            EXPECT_EQ(b.rightMargin(), 4.0);
            EXPECT_EQ(b.alignment(), row.alignment);
        }
    }
    EXPECT_TRUE(style.blockFormat(4).hasProperty(QTextFormat::BlockTopMargin));
    EXPECT_EQ(style.blockFormat(10).background(), QBrush(Shade));
    EXPECT_FALSE(style.blockFormat(8).hasProperty(QTextFormat::BackgroundBrush));
}

TEST_F(LumStyleTest, BlockNineIsCentredShadedWithoutMargins)
{
    const QTextBlockFormat& b = style.blockFormat(9);
    EXPECT_EQ(b.topMargin(), 0.0);
    EXPECT_EQ(b.bottomMargin(), 0.0);
    EXPECT_EQ(b.leftMargin(), 0.0);
    EXPECT_EQ(b.rightMargin(), 0.0);
    EXPECT_EQ(b.alignment(), Qt::AlignHCenter);
    EXPECT_EQ(b.background().style(), Qt::SolidPattern);
    EXPECT_EQ(b.background().color(), Shade);
}

TEST_F(LumStyleTest, ListFormats)
{
    EXPECT_EQ(style.listFormat(0).style(), QTextListFormat::ListDisc);
    EXPECT_EQ(style.listFormat(1).style(), QTextListFormat::ListDecimal);
    EXPECT_FALSE(style.listFormat(2).hasProperty(QTextFormat::ListStyle));
}

TEST_F(LumStyleTest, CharacterFormats)
{
    const struct
    {
        int format;
        double points;
        int weight;
        bool italic, underline;
    } rows[] = {{0, 8, 0, false, false},  {1, 8, 75, false, false}, {2, 8, 0, true, false},
                {8, 8, 75, false, false}, {7, 9, 75, false, false}, {6, 10, 75, false, false},
                {5, 12, 75, false, true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.format);
        const QTextCharFormat& c = style.charFormat(row.format);
        EXPECT_EQ(c.fontPointSize(), row.points);
        EXPECT_TRUE(c.hasProperty(QTextFormat::FontWeight));
        EXPECT_EQ(c.fontWeight(), row.weight);
        EXPECT_EQ(c.fontItalic(), row.italic);
        EXPECT_EQ(c.fontUnderline(), row.underline);
        EXPECT_EQ(c.foreground(), QBrush(QColor("#000000")));
    }
    EXPECT_TRUE(style.charFormat(3).properties().isEmpty());
    EXPECT_TRUE(style.charFormat(4).properties().isEmpty());
    // The error format is format 0 in red.
    QTextCharFormat error = style.charFormat(9);
    EXPECT_EQ(error.foreground(), QBrush(QColor("#ff0000")));
    error.setForeground(style.charFormat(0).foreground());
    EXPECT_EQ(error, style.charFormat(0));
}

TEST_F(LumStyleTest, CellFormatsCarryPaddingAndCharacterZero)
{
    for (int n : {1, 2, 3}) {
        SCOPED_TRACE(n);
        const QTextTableCellFormat& c = style.cellFormat(n);
        EXPECT_EQ(c.leftPadding(), 10.0);
        EXPECT_EQ(c.rightPadding(), 10.0);
        EXPECT_EQ(c.fontPointSize(), 8.0);
        EXPECT_EQ(c.foreground().color(), QColor(Qt::black));
        EXPECT_EQ(c.fontWeight(), n == 3 ? 0 : 75);
        EXPECT_EQ(c.underlineStyle(),
                  n == 2 ? QTextCharFormat::SingleUnderline : QTextCharFormat::NoUnderline);
    }
    const QTextTableCellFormat& c0 = style.cellFormat(0);
    EXPECT_EQ(c0.leftPadding(), 10.0);
    EXPECT_FALSE(c0.hasProperty(QTextFormat::TableCellRightPadding));
    EXPECT_FALSE(c0.hasProperty(QTextFormat::FontPointSize));
}

TEST_F(LumStyleTest, TableFormats)
{
    const QTextTableFormat& t0 = style.tableFormat(0);
    EXPECT_EQ(t0.alignment(), Qt::AlignLeft);
    EXPECT_EQ(t0.background(), QBrush(QColor("#ffffff")));
    EXPECT_EQ(t0.cellPadding(), 2.0);
    EXPECT_EQ(t0.cellSpacing(), 0.0);
    EXPECT_EQ(t0.border(), 1.0);
    EXPECT_EQ(t0.borderStyle(), QTextFrameFormat::BorderStyle_Solid);
    EXPECT_EQ(t0.borderBrush(), QBrush(Qt::lightGray));
    EXPECT_EQ(t0.topMargin(), 12.0);
    EXPECT_EQ(t0.bottomMargin(), 10.0);
    EXPECT_EQ(t0.leftMargin(), 0.0);

    const QTextTableFormat& t1 = style.tableFormat(1);
    EXPECT_TRUE(t1.isTableFormat());
    EXPECT_EQ(t1.border(), 0.0);
    EXPECT_EQ(t1.topMargin(), 12.0);
    EXPECT_EQ(t1.bottomMargin(), 10.0);
    EXPECT_EQ(t1.leftMargin(), 10.0);
}

TEST_F(LumStyleTest, IndexOutsideTheRangeThrows)
{
    EXPECT_THROW(style.blockFormat(12), std::out_of_range);
    EXPECT_THROW(style.charFormat(-1), std::out_of_range);
}

} // namespace
