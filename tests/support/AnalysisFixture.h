#pragma once
// A category table over a workbook hosted in memory, with a window stand-in that records what the
// analysis tells the user and answers its question as the test says.

#include "core/analysis/AnalysisUi.h"
#include "core/analysis/CategoryTable.h"
#include "engines/embedded/EmbeddedApplication.h"
#include "core/platform/ListViewModel.h"
#include "excel/ChartModel.h"

#include <QStringList>
#include <memory>
#include <utility>
#include <vector>

namespace testsupport {

class RecordingUi : public analysis::AnalysisUi {
public:
    void setWindowState(int state) override { windowStates.push_back(state); }
    bool askYesNo(const QString& text, const QString& caption) override {
        questions << caption + QStringLiteral(": ") + text;
        return answer;
    }
    void endProgram() override { ended = true; }
    void showMessage(const QString& text) override { messages << text; }
    void processEvents() override {}
    void setProgressVisible(bool visible) override { progressVisible = visible; }
    void setProgress(int, const QString& caption) override { progress << caption; }
    void setCategoriesText(const QString& text) override { categoriesText = text; }
    void setTotalText(const QString& text) override { totalText = text; }
    void clearStatistics() override { ++statisticsCleared; }

    bool answer = true;
    bool ended = false;
    bool progressVisible = false;
    int statisticsCleared = 0;
    std::vector<int> windowStates;
    QStringList questions, messages, progress;
    QString categoriesText, totalText;
};

// Hosts one sheet "Data" whose column A holds the values from A1 down (an empty Variant leaves the
// cell empty).
std::shared_ptr<embedded::EmbeddedApplication> hostColumn(const QVector<excel::Variant>& values);

struct Analysis {
    explicit Analysis(const QVector<excel::Variant>& column);
    // Over a workbook already hosted (opened from a file): analyses reference instead.
    Analysis(std::shared_ptr<embedded::EmbeddedApplication> host, const QString& reference);
    // Takes A1 down to the last value, then collects, detects and counts as the window does.
    void analyse();
    // The result list as "label count share cum bar" lines.
    QStringList results() const;
    int rowOf(const QString& label) const; // in the list of all categories

    std::shared_ptr<embedded::EmbeddedApplication> app;
    platform::ListViewModel included, main;
    RecordingUi ui;
    analysis::CategoryTable table;
    int rows;
    QString reference;
};

// The sample workbook copied to path (writable), its column of defects analysed, the report with
// its chart written and the workbook saved; gives the chart as the report made it.
excel::ChartShapeModel saveSampleReport(const QString& sample, const QString& path);

} // namespace testsupport
