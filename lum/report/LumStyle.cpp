#include "lum/report/LumStyle.h"

#include <QBrush>
#include <QColor>

namespace lum {

namespace {

// The light shade behind header cells.
QBrush shade()
{
    return QBrush(QColor(245, 250, 255, 255));
}

QBrush solid(const char* colorName)
{
    return QBrush(QColor(QLatin1String(colorName)));
}

} // namespace

LumStyle::LumStyle()
{
    buildFrameFormat();
    buildBlockFormats();
    buildListFormats();
    // Character formats first: the cell formats are copies of character format 0.
    buildCharFormats();
    buildCellFormats();
    buildTableFormats();
}

const QTextBlockFormat& LumStyle::blockFormat(int n) const
{
    return m_blockFormats.at(static_cast<std::size_t>(n));
}

const QTextListFormat& LumStyle::listFormat(int n) const
{
    return m_listFormats.at(static_cast<std::size_t>(n));
}

const QTextCharFormat& LumStyle::charFormat(int n) const
{
    return m_charFormats.at(static_cast<std::size_t>(n));
}

const QTextTableFormat& LumStyle::tableFormat(int n) const
{
    return m_tableFormats.at(static_cast<std::size_t>(n));
}

const QTextTableCellFormat& LumStyle::cellFormat(int n) const
{
    return m_cellFormats.at(static_cast<std::size_t>(n));
}

void LumStyle::buildFrameFormat()
{
    m_frameFormat.setTopMargin(0);
    m_frameFormat.setRightMargin(10);
    m_frameFormat.setBottomMargin(10);
    m_frameFormat.setLeftMargin(10);
}

void LumStyle::buildBlockFormats()
{
    auto& b = m_blockFormats;
    // b[0] stays plain.
    b[1] = b[0];
    b[1].setTopMargin(12);
    b[1].setBottomMargin(10);
    b[2] = b[0];
    b[2].setTopMargin(0);
    b[2].setBottomMargin(15);
    b[3] = b[0];
    b[4] = b[0];
    b[4].setTopMargin(0);
    b[5] = b[1];
    b[5].setTopMargin(18);
    b[6] = b[0];
    b[6].setLeftMargin(4);
    b[6].setRightMargin(4);
    b[6].setAlignment(Qt::AlignRight);
    b[7] = b[6];
    b[7].setAlignment(Qt::AlignLeft);
    b[8] = b[6];
    b[8].setAlignment(Qt::AlignHCenter);
    b[9] = b[8];
    b[9].setTopMargin(0);
    b[9].setBottomMargin(0);
    b[9].setLeftMargin(0);
    b[9].setRightMargin(0);
    b[9].setBackground(shade());
    b[10] = b[7];
    b[10].setBackground(shade());
    b[11] = b[4];
    b[11].setLeftMargin(10);
}

void LumStyle::buildListFormats()
{
    m_listFormats[0].setStyle(QTextListFormat::ListDisc);
    m_listFormats[1].setStyle(QTextListFormat::ListDecimal);
    // m_listFormats[2] stays plain.
}

void LumStyle::buildCharFormats()
{
    // Built in dependency order: each copy takes its source as it is at that
    // moment, so the headings (8, 7, 6, 5) inherit the bold black of 1.
    auto& c = m_charFormats;
    c[0].setFontPointSize(8);
    c[0].setFontUnderline(false);
    c[0].setFontWeight(0);
    c[0].setForeground(solid("#000000"));
    c[0].setFontItalic(false);
    c[2] = c[0];
    c[2].setFontItalic(true);
    c[1] = c[0];
    c[1].setFontWeight(75);
    c[1].setForeground(solid("#000000"));
    c[8] = c[1];
    c[7] = c[8];
    c[7].setFontPointSize(9);
    c[6] = c[7];
    c[6].setFontPointSize(10);
    c[5] = c[6];
    c[5].setFontPointSize(12);
    c[5].setFontUnderline(true);
    c[9] = c[0];
    c[9].setForeground(solid("#ff0000"));
    // c[3] and c[4] stay plain.
}

// Cell formats are applied to the text inside table cells as character
// formats, so they are plain character formats with cell paddings and carry
// no table-cell object type.
void LumStyle::buildCellFormats()
{
    auto& cell = m_cellFormats;
    cell[3] = m_charFormats[0].toTableCellFormat();
    cell[3].setLeftPadding(10);
    cell[3].setRightPadding(10);
    cell[1] = cell[3];
    cell[1].setFontWeight(75);
    cell[2] = cell[1];
    cell[2].setUnderlineStyle(QTextCharFormat::SingleUnderline);
    cell[0] = QTextCharFormat().toTableCellFormat();
    cell[0].setLeftPadding(10);
}

void LumStyle::buildTableFormats()
{
    auto& t = m_tableFormats;
    t[0].setAlignment(Qt::AlignLeft);
    t[0].setBackground(solid("#ffffff"));
    t[0].setCellPadding(2);
    t[0].setCellSpacing(0);
    t[0].setBorder(1);
    t[0].setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    t[0].setBorderBrush(QBrush(Qt::lightGray));
    t[0].setTopMargin(12);
    t[0].setBottomMargin(10);
    t[0].setLeftMargin(0);
    t[1].setBorder(0);
    t[1].setTopMargin(12);
    t[1].setBottomMargin(10);
    t[1].setLeftMargin(10);
}

} // namespace lum
