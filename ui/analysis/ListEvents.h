#pragma once
// How the analysis window's two lists answer the mouse: header clicks sort the result list (and
// turn the arrow pictures), a press selects the row under the pointer, and a double click on a
// result row leaves that category out and recounts.

#include "ui/platform/ListView.h"

#include <QObject>

namespace analysis {

class AnalysisForm;

class ListEvents : public QObject {
    Q_OBJECT

public:
    ListEvents(AnalysisForm& form, platform::ListView& included, platform::ListView& main);

    void mainHeaderClicked(int section);
    void includedHeaderClicked(int section);
    void mainPressed(const QPoint& point);
    void mainMoved(const QPoint& point);
    void mainDoubleClicked();

    // The last pointer position over the result list, in twips.
    float lastMouseX = 0;
    float lastMouseY = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    AnalysisForm& m_form;
    platform::ListView& m_included;
    platform::ListView& m_main;
};

} // namespace analysis
