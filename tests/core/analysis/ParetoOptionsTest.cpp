// The Pareto options as the text kept with a workbook: what is written comes back the same, and
// what another version or a hand wrote wrongly falls back to the defaults line by line.

#include "core/analysis/ParetoOptions.h"

#include <gtest/gtest.h>

TEST(ParetoOptionsText, ComesBackAsItWasWritten) {
    EXPECT_EQ(analysis::optionsText({}), "") << "the defaults write nothing";
    EXPECT_TRUE(analysis::optionsFromText({}).isDefault());
    analysis::ParetoOptions o;
    o.skipHeader = true;
    o.weightRange = "'Defect log'!D2:D500"; // quotes, blanks and "!" stay as they are
    o.rankBy = analysis::RankBy::Weight;
    o.top = 7;
    o.classes = {80.5};
    o.groupRange = "B:B";
    const analysis::ParetoOptions back = analysis::optionsFromText(analysis::optionsText(o));
    EXPECT_TRUE(back.skipHeader);
    EXPECT_EQ(back.weightRange, o.weightRange);
    EXPECT_EQ(back.rankBy, analysis::RankBy::Weight);
    EXPECT_EQ(back.top, 7);
    EXPECT_EQ(back.otherAfter, 0);
    EXPECT_EQ(back.classes, o.classes);
    EXPECT_EQ(back.groupRange, "B:B");
    o.top = 0;
    o.otherAfter = 62.5;
    EXPECT_EQ(analysis::optionsFromText(analysis::optionsText(o)).otherAfter, 62.5);
}

TEST(ParetoOptionsText, LeavesWhatItCannotReadAtTheDefaults) {
    const analysis::ParetoOptions o = analysis::optionsFromText(
        "top=-3\nother-after=150\nclasses=95,80\nrank-by=weight\nheader=maybe\nnonsense\n=x\n"
        "colour=red");
    EXPECT_TRUE(o.isDefault()) << "ranking by weight without a weight column is not kept";
    const analysis::ParetoOptions last = analysis::optionsFromText("top=5\nother-after=80");
    EXPECT_EQ(last.top, 0) << "of two ways to say where Other begins, the last one holds";
    EXPECT_EQ(last.otherAfter, 80);
    EXPECT_EQ(analysis::optionsFromText("weight=D:D\r\nrank-by=weight\r\n").rankBy,
              analysis::RankBy::Weight)
        << "line ends of another system";
}
