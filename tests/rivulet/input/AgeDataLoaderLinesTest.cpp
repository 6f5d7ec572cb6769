#include "rivulet/input/AgeLine.h"

#include <gtest/gtest.h>

namespace rivulet {
namespace {

struct LineCase
{
    const char* text;
    AgeLine::Kind kind;
    int cohort;         // for AgeLine::Cohort
    const char* result; // tag code, or the error
};

class AgeDataLoaderLines : public ::testing::TestWithParam<LineCase>
{
};

TEST_P(AgeDataLoaderLines, ReadsTagAndCohort)
{
    const LineCase& c = GetParam();
    const AgeLine line = AgeLine::parse(QString::fromUtf8(c.text));
    ASSERT_EQ(line.kind, c.kind) << c.text;
    if (c.kind == AgeLine::Cohort) {
        EXPECT_EQ(line.cohort, c.cohort) << c.text;
        EXPECT_EQ(line.tagCode, c.result) << c.text;
    } else if (c.kind == AgeLine::Invalid) {
        EXPECT_EQ(line.error, c.result) << c.text;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AgeDataLoaderLines,
    ::testing::Values(LineCase{"T1,2008", AgeLine::Cohort, 2008, "T1"},
                      LineCase{" T1 , 2008 ", AgeLine::Cohort, 2008, "T1"},
                      LineCase{"T1,5/17/2010,2", AgeLine::Cohort, 2008, "T1"},
                      LineCase{"T1,2010,2", AgeLine::Cohort, 2008, "T1"},
                      LineCase{"T1,12/31/2010,0", AgeLine::Cohort, 2010, "T1"},
                      LineCase{"T1,2010,2010", AgeLine::Cohort, 0, "T1"},
                      LineCase{"T1,2010,2011", AgeLine::Invalid, 0, "Invalid age"},
                      LineCase{"T1,2010,-1", AgeLine::Invalid, 0, "Invalid age"},
                      LineCase{"T1,2010,1.5", AgeLine::Invalid, 0, "Invalid age"},
                      LineCase{"T1,abc", AgeLine::Invalid, 0, "Invalid cohort"},
                      LineCase{"T1,", AgeLine::Invalid, 0, "Invalid cohort"},
                      LineCase{"T1,2/30/2010,1", AgeLine::Invalid, 0, "Invalid date"},
                      LineCase{"T1,2010-05-17,1", AgeLine::Invalid, 0, "Invalid date"},
                      LineCase{"T1,NA,3", AgeLine::Invalid, 0, "Invalid date"},
                      LineCase{"T1", AgeLine::Invalid, 0, "Invalid format"},
                      LineCase{"T1,2010,1,4", AgeLine::Invalid, 0, "Invalid format"},
                      LineCase{"T1, Na ", AgeLine::Skipped, 0, ""},
                      LineCase{"T1,2010,NA", AgeLine::Skipped, 0, ""},
                      LineCase{"# T1,abc", AgeLine::Skipped, 0, ""},
                      LineCase{"", AgeLine::Skipped, 0, ""},
                      LineCase{"   ", AgeLine::Skipped, 0, ""}));

} // namespace
} // namespace rivulet
