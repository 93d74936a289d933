#pragma once
// What the analysis asks of the window that hosts it: questions, messages, the progress bar and a
// few labels. The analysis window implements it; the batch command and tests answer it their way.

#include <QString>

namespace analysis {

class AnalysisUi {
public:
    virtual ~AnalysisUi() = default;

    // 0 normal, 1 minimised.
    virtual void setWindowState(int state) = 0;
    // A Yes/No question with the question icon; true for Yes.
    virtual bool askYesNo(const QString& text, const QString& caption) = 0;
    // Ends the whole program at once; nothing after the call runs in the window's handlers.
    virtual void endProgram() = 0;
    // A message with only an OK button and the program's title.
    virtual void showMessage(const QString& text) = 0;
    // Lets pending window events run (repaints before long work).
    virtual void processEvents() = 0;
    // Lets the windows repaint and their timers run in the middle of long work, without taking
    // the user's input: nothing the user does starts before the work is done.
    virtual void keepAnswering() {}

    virtual void setProgressVisible(bool visible) = 0;
    virtual void setProgress(int value, const QString& caption) = 0;
    virtual void setCategoriesText(const QString& text) = 0; // NbOfCategories
    virtual void setTotalText(const QString& text) = 0;      // Total
    virtual void clearStatistics() = 0;                      // StatsLabel
};

} // namespace analysis
