// Detection and counting over the embedded engine: which categories are listed, ticked and
// counted, in which order, with which shares and bars, and what the user is told.

#include "support/AnalysisFixture.h"
#include "support/LocaleGuard.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>
#include <random>

using excel::Variant;
using testsupport::Analysis;

namespace {

TEST(CategoryTable, CaseVariantsAreOneCategoryShownAsFirstMet) {
    Analysis a({"Defect", "Apple", "apple", "Pear", "APPLE", "pear", "Plum"});
    a.analyse();
    ASSERT_EQ(a.included.count(), 4);
    EXPECT_EQ(a.included.text(1), "Apple");
    EXPECT_EQ(a.included.key(1), "K2");
    EXPECT_EQ(a.results(),
              (QStringList{"Apple 3 42.9% 42.9% ******************************",
                           "Pear 2 28.6% 71.4% ********************",
                           "Defect 1 14.3% 85.7% **********", "Plum 1 14.3% 100.0% **********"}));
    EXPECT_EQ(a.ui.totalText, "Total of count: 7");
    EXPECT_EQ(a.ui.categoriesText, "4 categories selected");
    EXPECT_EQ(a.main.selectedRow(), -1);
    EXPECT_FALSE(a.main.sorted()) << "the cumulative column is written in count order, unsorted";
    EXPECT_EQ(a.table.CountLabels, (QStringList{"Plum", "Pear", "Apple", "Defect"}))
        << "counting visits the categories from the bottom of the list";
}

TEST(CategoryTable, BlankCellsAreOneUntickedCategoryCountedWhenTicked) {
    Analysis a({"Defect", "Dent", Variant(), "Dent", Variant(), "Crack"});
    // The categories counted, the same on detection as after a count: "<blank>" is not ticked.
    a.table.takeRange(a.app->Range("A1:A6"), a.app->ActiveWorkbook(), true);
    a.table.CollectUniqueValues();
    ASSERT_TRUE(a.table.DetectUniqueCategories());
    EXPECT_EQ(a.ui.categoriesText, "3 categories selected");
    a.analyse();
    EXPECT_EQ(a.ui.categoriesText, "3 categories selected");
    const int blank = a.rowOf("<blank>");
    ASSERT_GE(blank, 0);
    EXPECT_FALSE(a.included.checked(blank));
    EXPECT_EQ(a.main.count(), 3);
    a.included.setChecked(blank, true);
    a.table.Refresh();
    EXPECT_EQ(a.results().at(1), "<blank> 2 33.3% 66.7% ******************************");
    EXPECT_EQ(a.ui.categoriesText, "4 categories selected");
    EXPECT_EQ(a.ui.statisticsCleared, 2);
}

TEST(CategoryTable, LabelsWithWildcardsAndOperatorsCountOnlyTheirOwnCells) {
    const QVector<Variant> column = {"Code", "A*", "Apple", "Avocado", "?",   "x",   "~x", ">5",
                                     "6",    "=3", "3",     "<>",      "a?c", "abc", "*"};
    Analysis a(column);
    a.analyse();
    ASSERT_EQ(a.main.count(), column.size());
    for (int row = 0; row < a.main.count(); ++row)
        EXPECT_EQ(a.main.subItem(row, 1), "1") << a.main.text(row).toStdString();
    EXPECT_EQ(analysis::criterionForLabel("=3"), "==3");
    EXPECT_EQ(analysis::criterionForLabel("a~*?"), "a~~~*~?");
}

TEST(CategoryTable, AsksBeforeCountingFrom150Categories) {
    QVector<Variant> column;
    for (int i = 0; i < 149; ++i)
        column << QString("C%1").arg(i);
    Analysis below(column);
    below.analyse();
    EXPECT_TRUE(below.ui.questions.isEmpty());
    EXPECT_EQ(below.table.CategoryCount, 149);

    column << "C149";
    Analysis at(column);
    at.ui.answer = false;
    at.analyse();
    ASSERT_EQ(at.ui.questions.size(), 1);
    EXPECT_EQ(at.ui.questions.front(),
              "Quit: 150 unique categories detected! The operation mat require some time to "
              "finish. Would you want to continue?");
    EXPECT_TRUE(at.ui.ended);
    EXPECT_EQ(at.main.count(), 0) << "nothing is counted after No";
    EXPECT_EQ(at.ui.windowStates, std::vector<int>{1});

    Analysis yes(column);
    yes.analyse();
    EXPECT_EQ(yes.ui.windowStates, (std::vector<int>{1, 0}));
    EXPECT_EQ(yes.main.count(), 150);
    EXPECT_EQ(yes.ui.progress.back(), "100% of 150 categories");
    EXPECT_EQ(yes.ui.progress.front(), "0% of 150 categories");
    EXPECT_FALSE(yes.ui.progressVisible);
}

TEST(CategoryTable, BarsAreThirtyStarsForTheLargestAndEmptyBelowAThirtieth) {
    QVector<Variant> column = {"Defect"};
    for (int i = 0; i < 61; ++i)
        column << "Big";
    column << "Small"
           << "Small"
           << "Small";
    Analysis a(column);
    a.analyse();
    EXPECT_EQ(a.results(), (QStringList{"Big 61 93.8% 93.8% ******************************",
                                        "Small 3 4.6% 98.5% *", "Defect 1 1.5% 100.0% "}));
}

TEST(CategoryTable, NumbersAndTheirTextFormAreOneCategory) {
    Analysis a({"Value", 1.0, "1", 2.5, "2.5", true, "TRUE", excel::ErrorValue::NA, "#N/A",
                Variant(excel::DateValue{45306})});
    a.analyse();
    EXPECT_EQ(a.results(), (QStringList{"1 2 20.0% 20.0% ******************************",
                                        "2.5 2 20.0% 40.0% ******************************",
                                        "True 2 20.0% 60.0% ******************************",
                                        "#N/A 2 20.0% 80.0% ******************************",
                                        "Value 1 10.0% 90.0% ***************",
                                        "1/15/2024 1 10.0% 100.0% ***************"}));
}

TEST(CategoryTable, LabelsAndSharesFollowTheLocale) {
    testsupport::LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    Analysis a({"Wert", 1.5, "1,5", 1.5, Variant(excel::DateValue{45306.5})});
    a.analyse();
    EXPECT_EQ(a.results(), (QStringList{"1,5 3 60,0% 60,0% ******************************",
                                        "Wert 1 20,0% 80,0% **********",
                                        "15.01.2024 12:00:00 1 20,0% 100,0% **********"}));
}

TEST(CategoryTable, AFailedCountIsZero) {
    // A formula showing nothing reads as the empty text, so it is listed as <blank>; but it is no
    // blank cell, so the count of blank cells fails and 0 is stored.
    auto app = testsupport::hostColumn({"Defect", "Dent", "Dent"});
    auto sheet = std::static_pointer_cast<embedded::EmbeddedWorksheet>(app->ActiveSheet());
    sheet->data().cells->setValue(4, 1, Variant(""), true);
    platform::ListViewModel included, main;
    testsupport::RecordingUi ui;
    analysis::CategoryTable table(app, included, main, ui);
    table.prepareLists();
    ASSERT_EQ(table.takeRange(app->Range("A1:A4"), app->ActiveWorkbook(), true),
              analysis::RangeProblem::None);
    table.CollectUniqueValues();
    ASSERT_TRUE(table.DetectUniqueCategories());
    for (int row = 0; row < included.count(); ++row)
        included.setChecked(row, true);
    table.Refresh();
    EXPECT_EQ(table.CountValues, (QVector<double>{0, 2, 1}));
    EXPECT_EQ(table.TotalCount, 3);
}

TEST(CategoryTable, RefusesMoreDistinctValuesThanItCanList) {
    for (const int distinct : {32768, 200000}) {
        QVector<Variant> column;
        for (int i = 0; i < distinct; ++i)
            column << double(i);
        Analysis a(column);
        a.included.add(0, "K1", "earlier");
        a.analyse();
        EXPECT_EQ(a.ui.messages, QStringList{"The range holds more than 32,767 different values, "
                                             "more than one analysis can list. Choose a smaller "
                                             "range."});
        EXPECT_EQ(a.included.count(), 1) << "no list is touched";
        EXPECT_TRUE(a.ui.questions.isEmpty());
        EXPECT_EQ(a.table.UniqueValues.size(), 32768) << "the collection stopped there";
    }
    // Exactly as many as can be listed are listed.
    QVector<Variant> column;
    for (int i = 0; i < 32767; ++i)
        column << double(i);
    Analysis a(column);
    a.analyse();
    EXPECT_TRUE(a.ui.messages.isEmpty()) << a.ui.messages.join(' ').toStdString();
}

TEST(CategoryTable, TakesRangesAsTheWindowDoes) {
    auto app = testsupport::hostColumn({"Defect", "Dent", "Dent", Variant(), "Crack"});
    auto sheet = std::static_pointer_cast<embedded::EmbeddedWorksheet>(app->ActiveSheet());
    platform::ListViewModel included, main;
    testsupport::RecordingUi ui;
    analysis::CategoryTable table(app, included, main, ui);
    const auto book = app->ActiveWorkbook();
    EXPECT_EQ(table.takeRange(app->Range("A:A"), book, true), analysis::RangeProblem::None);
    EXPECT_EQ(table.AnalysedRange->Address(), "$A$1:$A$5") << "clipped to the used range";
    EXPECT_EQ(table.takeRange(app->Range("A1:A2,A4:A5"), book, true),
              analysis::RangeProblem::SeveralAreas);
    EXPECT_EQ(table.takeRange(app->Range("A1:A2,A4:A5"), book, false),
              analysis::RangeProblem::None);
    EXPECT_EQ(table.takeRange(app->Range("C1:C9"), book, true), analysis::RangeProblem::NoValues);
    sheet->data().cells->setValue(3, 1, excel::ErrorValue::Div0, true);
    EXPECT_EQ(table.takeRange(app->Range("A1:A5"), book, true), analysis::RangeProblem::ErrorCells);
    EXPECT_EQ(table.AnalysedRange->Address(), "$A$1:$A$5") << "its address is still shown";
    table.takeRange(app->Range("A2"), book, true);
    EXPECT_EQ(table.flattenedValues(), QVector<Variant>{"Dent"}) << "one cell is one value";
}

TEST(CategoryTable, ReadsALargeRangeWholeAndInOrderWhileTheWindowAnswers) {
    // More rows than one slice, in two blocks: every cell once, block after block, row by row.
    QVector<Variant> column;
    for (int i = 0; i < 150000; ++i)
        column << Variant(double(i));
    auto app = testsupport::hostColumn(column);
    platform::ListViewModel included, main;
    struct CountingUi : testsupport::RecordingUi {
        int answers = 0;
        void keepAnswering() override { ++answers; }
    } ui;
    analysis::CategoryTable table(app, included, main, ui);
    table.takeRange(app->Range("A1:A140000,A149990:A150000"), app->ActiveWorkbook(), false);
    const QVector<Variant> values = table.flattenedValues();
    ASSERT_EQ(values.size(), 140000 + 11);
    for (int i = 0; i < 140000; ++i)
        ASSERT_EQ(values[i], Variant(double(i))) << i;
    EXPECT_EQ(values[140000], Variant(149989.0));
    EXPECT_EQ(values.back(), Variant(149999.0));
    EXPECT_GE(ui.answers, 3) << "the window answered between slices";
}

// Labels of every awkward kind, with case variants, blanks, and numbers beside their own text.
TEST(CategoryTable, EveryCellIsCountedOnceWhenEveryCategoryIsTicked) {
    const QVector<Variant> vocabulary = {
        "Scratch",
        "scratch",
        "SCRATCH",
        "Dent",
        "A*",
        "a*",
        "Apple",
        "?",
        "??",
        "~",
        "~x",
        "x",
        ">5",
        "6",
        "<3",
        "=3",
        "3",
        3.0,
        "<>",
        "=",
        "*",
        "Weld*",
        "weld spatter",
        7.0,
        "7",
        2.5,
        "2.5",
        true,
        "TRUE",
        false,
        excel::ErrorValue::NA,
        "#N/A",
        Variant(),
        Variant(),
        Variant(excel::DateValue{45306}),
        "  padded",
        "padded",
        "Ärger",
        "ärger",
        // Dates, times of day and date-times to the millisecond; numbers longer than the 15
        // digits shown; error values whose text holds a wildcard; logical values.
        Variant(excel::DateValue{45306.25}),
        Variant(excel::DateValue{0.5}),
        Variant(excel::DateValue{0.25}),
        Variant(excel::DateValue{44399.98948951389}),
        Variant(excel::DateValue{44399.989490740741}),
        25.396666666666665,
        25.39666666666667,
        0.1 + 0.2,
        excel::ErrorValue::Name,
        excel::ErrorValue::Div0,
        "#name?",
        false,
        "FALSE",
    };
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> pick(0, int(vocabulary.size()) - 1);
    for (int round = 0; round < 20; ++round) {
        QVector<Variant> column{"Header"};
        for (int i = 0; i < 300; ++i)
            column << vocabulary[pick(rng)];
        Analysis a(column);
        a.analyse();
        for (int row = 0; row < a.included.count(); ++row)
            a.included.setChecked(row, true);
        a.table.Refresh();
        EXPECT_EQ(a.table.TotalCount, a.table.AnalysedRange->Count()) << "round " << round;
    }
}

TEST(CategoryTable, NumericTextsThatAreNotTheNumbersOwnFormAlsoCountTheNumber) {
    // "01" is its own category, but COUNTIF reads it as the number 1 as well, as the spreadsheet
    // does: the number 1 is counted under "1" and under "01".
    Analysis a({"Code", 1.0, "01", "01"});
    a.analyse();
    EXPECT_EQ(a.results(),
              (QStringList{"01 3 60.0% 60.0% ******************************",
                           "Code 1 20.0% 80.0% **********", "1 1 20.0% 100.0% **********"}));
    EXPECT_EQ(a.table.TotalCount, 5) << "four cells, five counts";
}

} // namespace
