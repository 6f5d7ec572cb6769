#pragma once

#include "rivulet/counts/NextDetectionsFixture.h"

#include "rivulet/summary/ReleaseSummary.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

namespace rivulet::test {

// Hand-made histories, their next-detection counts and the release summary over them.
struct SummaryData
{
    SummaryData(int siteCount, int yearCount) : data(siteCount, yearCount) {}

    const ReleaseSummary& update()
    {
        data.update();
        summary.update();
        return summary;
    }

    HistoryData data;
    ReleaseSummary summary{data.releases, data.sites, data.years, data.counts};
};

inline const TransitionCell& cellOf(const TransitionTable& table, int site, int y1, int y2)
{
    static const TransitionCell missing;
    const auto it = table.find(PathKey{site, y1, y2});
    if (it == table.end()) {
        ADD_FAILURE() << "no transition cell (" << site << ", " << y1 << ", " << y2 << ")";
        return missing;
    }
    return it->second;
}

inline const CaptureCell& captureOf(const CaptureTable& table, int year, int site)
{
    static const CaptureCell missing;
    const auto it = table.find(CaptureKey{year, site});
    if (it == table.end()) {
        ADD_FAILURE() << "no capture cell (year " << year << ", site " << site << ")";
        return missing;
    }
    return it->second;
}

// The marks of a cell as words, so that a test states every mark a cell must carry and,
// by leaving it out, every mark it must not.
inline std::string marks(const TransitionCell& cell)
{
    std::string text;
    const auto add = [&text](bool set, const char* word) {
        if (!set)
            return;
        if (!text.empty())
            text += ' ';
        text += word;
    };
    add(cell.exempt, "exempt");
    add(cell.emptyHoldOver, "holdover");
    add(cell.fixedAtZero, "zero");
    add(cell.fixedAtOne, "one");
    return text;
}

// Cells with the marks each must carry (and, by leaving one out, must not), and capture cells
// (year, site) with whether each is fixed at 0.
struct Marked
{
    int site, y1, y2;
    const char* marks;
};
struct Capture
{
    int year, site;
    bool fixedAtZero;
};

inline void expectMarks(const TransitionTable& table, std::initializer_list<Marked> cells)
{
    for (const Marked& c : cells)
        EXPECT_EQ(marks(cellOf(table, c.site, c.y1, c.y2)), c.marks)
            << "cell (" << c.site << ", " << c.y1 << ", " << c.y2 << ")";
}

inline void expectCaptures(const CaptureTable& table, std::initializer_list<Capture> cells)
{
    for (const Capture& c : cells)
        EXPECT_EQ(captureOf(table, c.year, c.site).fixedAtZero, c.fixedAtZero)
            << "capture (year " << c.year << ", site " << c.site << ")";
}

} // namespace rivulet::test
