// The analysis window's actions on the workbook: the report, highlighting and its clearing, and
// letting go of the spreadsheet when the window unloads.
#include "ui/analysis/AnalysisForm.h"
#include "core/analysis/Highlight.h"
#include "ui/controls/ThemedButton.h"
#include "excel/Error.h"
#include "core/platform/ProductAddresses.h"
#include "ui/platform/Sound.h"
#include "core/report/ReportAction.h"
#include "core/analysis/ParetoColumns.h"
#include "excel/Workbook.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QMovie>

namespace analysis {

void AnalysisForm::setBusyVisible(bool visible) {
    m_busy->setVisible(visible);
    if (QMovie* movie = m_busy->movie())
        visible ? movie->start() : movie->stop();
    if (visible)
        m_busy->repaint();
}

void AnalysisForm::reportAction() {
    if (!m_session.ExcelApp)
        return;
    report::ReportHooks hooks;
    hooks.setBusyVisible = [this](bool on) { setBusyVisible(on); };
    hooks.playSound = [] {
        platform::playWaveFile(platform::programSound(QStringLiteral("copy.wav")));
    };
    // The Pareto options chosen for this workbook shape the report; without them it is the
    // list's own.
    const ParetoOptions options = m_session.SourceWorkbook
                                      ? sessionOptions(*m_session.SourceWorkbook)
                                      : ParetoOptions();
    std::optional<ShapedAnalysis> shaped;
    if (!options.isDefault() && m_table->AnalysedRange && !m_table->Result.empty()) {
        shaped = shapeAnalysis(*m_session.ExcelApp, *m_table->AnalysedRange, m_table->Result,
                               options);
        if (!shaped->error.isEmpty()) {
            showMessage(shaped->error);
            return;
        }
    }
    const QString site = QString::fromLatin1(platform::kWebSite);
    const bool chart = m_includeChart->isChecked();
    const auto result =
        !shaped ? report::runReport(*m_session.ExcelApp, m_session.SourceWorkbook, m_main, chart,
                                    hooks, site)
        : !options.groupRange.isEmpty()
            ? report::runReport(*m_session.ExcelApp, m_session.SourceWorkbook, shaped->groups,
                                chart, hooks, site)
            : report::runReport(*m_session.ExcelApp, m_session.SourceWorkbook, shaped->result,
                                chart, hooks, site);
    switch (result.outcome) {
    case report::ReportResult::Outcome::NothingToReport:
        return;
    case report::ReportResult::Outcome::Written:
        if (shaped && !shaped->warning.isEmpty()) {
            // Written; the window stays so that the user reads what the weights lacked.
            showMessage(QStringLiteral("The report %1 was written; %2.")
                            .arg(result.sheetName, shaped->warning));
            return;
        }
        close(); // one analysis window gives one report
        return;
    case report::ReportResult::Outcome::NoFreeName:
    case report::ReportResult::Outcome::Failed:
        showMessage(result.message);
        return;
    }
}

void AnalysisForm::highlightSelected() {
    const int row = m_included.selectedRow();
    if (row < 0 || !m_session.ExcelApp || !m_table->AnalysedRange)
        return;
    const excel::Range range = *m_table->AnalysedRange;
    const QString label = m_included.text(row);
    const QString error = runHighlightAction(
        *m_session.ExcelApp, [&] { HighlightCategory(range, label); }, QStringLiteral("set"));
    if (!error.isEmpty()) {
        showMessage(error);
        return;
    }
    m_condFormat->show();
}

void AnalysisForm::clearHighlight() {
    if (!m_session.ExcelApp || !m_table->AnalysedRange)
        return;
    const excel::Range range = *m_table->AnalysedRange;
    const QString error = runHighlightAction(
        *m_session.ExcelApp, [&] { ClearHighlight(range); }, QStringLiteral("cleared"));
    if (!error.isEmpty()) {
        showMessage(error);
        return;
    }
    m_condFormat->hide();
}

bool AnalysisForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_includedView->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        // The row selected by the double click's first click, not the one under the pointer.
        highlightSelected();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void AnalysisForm::releaseSpreadsheet() {
    if (!m_session.ExcelApp)
        return;
    const auto app = std::move(m_session.ExcelApp);
    m_session.ExcelApp.reset();
    try {
        app->endSession();
    } catch (const excel::Error& e) {
        showMessage(e.message());
    }
}

} // namespace analysis
