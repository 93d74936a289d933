#include "core/analysis/Highlight.h"

#include "excel/Error.h"
#include "excel/FormatConditions.h"

namespace analysis {

namespace {
constexpr int kLightYellow = 19; // FFFFCC in the default palette
}

void HighlightCategory(const excel::Range& analysedRange, const QString& label) {
    analysedRange.FormatConditions().Delete();
    analysedRange.FormatConditions().Add(excel::kTextString, label, excel::kContains);
    analysedRange.FormatConditions()(1).setInteriorColorIndex(kLightYellow);
}

void ClearHighlight(const excel::Range& analysedRange) {
    analysedRange.Select();
    analysedRange.FormatConditions().Delete();
}

QString runHighlightAction(excel::Application& app, const std::function<void()>& action,
                           const QString& what) {
    try {
        action();
        app.completeAction();
        return {};
    } catch (const excel::Error& e) {
        QString message = QStringLiteral("The highlight could not be %1.\r\n%2: %3")
                              .arg(what, e.member(), e.message());
        const QString dropped = app.abandonAction();
        if (!dropped.isEmpty())
            message += QStringLiteral("\r\n\r\n") + dropped;
        return message;
    }
}

} // namespace analysis
