#pragma once
// The analysis without a window (scripts, benchmarks): every question is answered Yes, nothing is
// shown, and messages are kept for the caller to report.

#include "core/analysis/AnalysisUi.h"

#include <QStringList>

namespace analysis {

class HeadlessUi : public AnalysisUi {
public:
    void setWindowState(int) override {}
    bool askYesNo(const QString&, const QString&) override { return true; }
    void endProgram() override {}
    void showMessage(const QString& text) override { messages << text; }
    void processEvents() override {}
    void setProgressVisible(bool) override {}
    void setProgress(int, const QString&) override {}
    void setCategoriesText(const QString&) override {}
    void setTotalText(const QString&) override {}
    void clearStatistics() override {}

    QStringList messages;
};

} // namespace analysis
