#include "lum/report/CsvText.h"

#include <gtest/gtest.h>

namespace {

// Site names such as =HYPERLINK(...) or @SUM(...) reached the CSV files as they were, where a
// spreadsheet runs them.
TEST(CsvText, FormulaLikeTextIsWrittenAsTextAndNumbersStayNumbers)
{
    EXPECT_EQ(lum::csvField("=HYPERLINK(\"http://x\",\"y\")"),
              "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\"");
    EXPECT_EQ(lum::csvField("@SUM(A1:A2)"), "\"'@SUM(A1:A2)\"");
    EXPECT_EQ(lum::csvField("+cmd"), "\"'+cmd\"");
    EXPECT_EQ(lum::csvField("-x"), "\"'-x\"");
    EXPECT_EQ(lum::csvField("\tTAB"), "\"'\tTAB\"");
    EXPECT_EQ(lum::csvField("\r=1"), "\"'\r=1\"");
    for (const char* number : {"-0.125", "-3", "+2.5e-3", "0.5"})
        EXPECT_EQ(lum::csvField(number), number);
    EXPECT_EQ(lum::csvLine({"LGR", "a,b", "-1"}), "LGR,\"a,b\",-1\n");
}

} // namespace
