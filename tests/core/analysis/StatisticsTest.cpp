// The weighted statistics of numeric categories, and their caption in the user's locale.

#include "core/analysis/Statistics.h"

#include "support/LocaleGuard.h"

#include <gtest/gtest.h>

namespace {

std::optional<QString> captionFor(const std::vector<std::pair<QString, QString>>& rows) {
    analysis::ParetoResult result;
    for (const auto& [label, count] : rows) {
        analysis::ParetoCategory category;
        category.label = label;
        category.count = count.toDouble();
        result.total += category.count;
        result.categories.push_back(category);
    }
    return analysis::statisticsCaption(result);
}

TEST(Statistics, WeightedMeanAndSampleDeviation) {
    EXPECT_EQ(captionFor({{"1", "2"}, {"2", "1"}, {"4", "1"}, {"<blank>", "5"}}),
              "n=4, mean=2.000,  Std=1.414");
    EXPECT_EQ(captionFor({{"10", "1"}, {"20", "1"}, {"30", "1"}}), "n=3, mean=20.000,  Std=10.000");
    EXPECT_EQ(captionFor({{"7", "1"}}), "n=1, mean=7.000,  Std=0.000");
    EXPECT_EQ(captionFor({{"7", "5"}}), "n=5, mean=7.000,  Std=0.000");
    EXPECT_EQ(captionFor({{"-1", "1"}, {"0", "1"}}), "n=2, mean=-0.500,  Std=0.707");
    EXPECT_EQ(captionFor({{"1000", "1"}, {"3000", "1"}}), "n=2, mean=2,000.000,  Std=1,414.214");
    EXPECT_EQ(captionFor({{"<blank>", "100"}, {"2", "1"}, {"4", "1"}}),
              "n=2, mean=3.000,  Std=1.414");
}

TEST(Statistics, NothingWhenACategoryIsNoNumberOrThereIsNoData) {
    EXPECT_FALSE(captionFor({{"1", "2"}, {"abc", "1"}}));
    EXPECT_FALSE(captionFor({{"<blank>", "3"}}));
    EXPECT_FALSE(captionFor({}));
    EXPECT_FALSE(captionFor({{"<Blank>", "3"}, {"1", "1"}})) << "only the exact marker is skipped";
}

TEST(Statistics, ReadsAndWritesInTheUsersLocale) {
    testsupport::LocaleGuard german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(captionFor({{"1,5", "1"}, {"2,5", "1"}}), "n=2, mean=2,000,  Std=0,707");
    EXPECT_EQ(captionFor({{"1000", "1"}, {"3000", "2"}}), "n=3, mean=2.333,333,  Std=1.154,701");
}

} // namespace
