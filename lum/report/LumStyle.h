#pragma once

#include <QTextFormat>

#include <array>

namespace lum {

// The fixed set of numbered text formats every report takes its look from.
// Reports refer to them by number ("block format 9", "character format 5"),
// so the numbering and every property below are part of how reports look
// and must stay stable. All formats are built once, in the constructor, and
// only read afterwards; copying a style copies the formats.
class LumStyle
{
public:
    static constexpr int BlockFormatCount = 12;
    static constexpr int ListFormatCount = 3;
    static constexpr int CharFormatCount = 10;
    static constexpr int TableFormatCount = 2;
    static constexpr int CellFormatCount = 4;

    LumStyle();
    virtual ~LumStyle() = default;
    LumStyle(const LumStyle&) = default;
    LumStyle& operator=(const LumStyle&) = default;

    // The format of each report document's root frame.
    const QTextFrameFormat& frameFormat() const { return m_frameFormat; }
    // The numbered formats; an index outside the range throws std::out_of_range.
    const QTextBlockFormat& blockFormat(int n) const;
    const QTextListFormat& listFormat(int n) const;
    const QTextCharFormat& charFormat(int n) const;
    const QTextTableFormat& tableFormat(int n) const;
    // Character formats for text inside table cells (with cell paddings).
    const QTextTableCellFormat& cellFormat(int n) const;

private:
    void buildFrameFormat();
    void buildBlockFormats();
    void buildListFormats();
    void buildCharFormats();
    void buildCellFormats();
    void buildTableFormats();

    QTextFrameFormat m_frameFormat;
    std::array<QTextBlockFormat, BlockFormatCount> m_blockFormats;
    std::array<QTextListFormat, ListFormatCount> m_listFormats;
    std::array<QTextCharFormat, CharFormatCount> m_charFormats;
    std::array<QTextTableFormat, TableFormatCount> m_tableFormats;
    std::array<QTextTableCellFormat, CellFormatCount> m_cellFormats;
};

} // namespace lum
