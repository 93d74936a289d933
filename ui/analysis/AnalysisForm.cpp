#include "ui/analysis/AnalysisForm.h"

#include "ui/analysis/ListEvents.h"
#include "core/analysis/Statistics.h"
#include "ui/controls/ProgressBar.h"
#include "ui/controls/ThemedButton.h"
#include "ui/controls/clsShadow.h"
#include "excel/Error.h"
#include "ui/forms/RecodeHelp.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

namespace analysis {

AnalysisForm::AnalysisForm(ExcelSession& session, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint)
    , m_session(session) {
    setObjectName(QStringLiteral("AnalysisForm"));
    setWindowTitle(QStringLiteral("Tallyvane 2.1"));
    buildControls();
    m_events = std::make_unique<ListEvents>(*this, *m_includedView, *m_mainView);
}

AnalysisForm::~AnalysisForm() = default;

void AnalysisForm::load() {
    hideRangeMessages();
    m_progress->hide();
    controls::attachShadow(this);
    includeSortDirection = QStringLiteral("A");
    m_table = std::make_unique<CategoryTable>(m_session.ExcelApp, m_included, m_main, *this);
    m_table->prepareLists();
    // From here on, a failure of the spreadsheet leaves the window as far as it got.
    try {
        const auto selection = m_session.ExcelApp->Selection();
        if (m_session.LaunchedFromExcel && selection &&
            m_session.ExcelApp->CountA(*selection) > 1) {
            // The selection is taken as it is, several blocks included.
            if (accept(m_table->takeRange(*selection, m_session.SourceWorkbook, false), true))
                analyseTakenRange();
        }
    } catch (const excel::Error&) {
    }
    // No to the question before many categories ended the program: the start ends there,
    // without the window ever showing.
    if (m_ended)
        return;
    show();
}

void AnalysisForm::hideRangeMessages() {
    m_erorCells->hide();
    m_contiguousMsg->hide();
    m_anotherWbkMsg->hide();
}

bool AnalysisForm::accept(RangeProblem problem, bool addressFirst) {
    switch (problem) {
    case RangeProblem::None:
        break;
    case RangeProblem::NoValues:
        return false;
    case RangeProblem::AnotherWorkbook:
        show();
        m_anotherWbkMsg->show();
        return false;
    case RangeProblem::SeveralAreas:
        show();
        m_contiguousMsg->show();
        return false;
    case RangeProblem::ErrorCells:
        // The load shows the address before the check that fails; range input keeps the
        // address of the range it had.
        if (addressFirst)
            m_inputRange->setText(m_table->AnalysedRange->Address(true, true, true));
        m_erorCells->show();
        return false;
    }
    m_inputRange->setText(m_table->AnalysedRange->Address(true, true, true));
    return true;
}

void AnalysisForm::analyseTakenRange() {
    m_table->CollectUniqueValues();
    if (!m_table->DetectUniqueCategories())
        return;
    processEvents();
    refresh();
}

void AnalysisForm::rangeInput() {
    m_main.clear();
    try {
        m_session.SourceWorkbook->ActiveSheet()->Activate();
    } catch (const excel::Error&) {
        // The source workbook is gone: say so, as for another workbook.
        m_anotherWbkMsg->show();
        return;
    }
    hideRangeMessages();
    try {
        // The user picks the range in the spreadsheet's window: it comes to the front.
        m_session.ExcelApp->ActivateMainWindow();
        setWindowState(1);
        const auto chosen = m_session.ExcelApp->InputBox(
            QStringLiteral("Select a range in one column, header is first cell"), {}, 8);
        // The box belongs to this program: after a cancel the window comes back rather than
        // staying out of sight.
        setWindowState(0);
        if (!chosen)
            return;
        if (m_session.ExcelApp->CountA(*chosen) < 1) {
            m_table->AnalysedRange.reset();
            return;
        }
        if (!accept(m_table->takeRange(*chosen, m_session.SourceWorkbook, true), false))
            return;
        m_table->CollectUniqueValues();
        if (!m_table->DetectUniqueCategories())
            return;
        setWindowState(0);
        processEvents();
        m_table->CountDiscrete();
        show();
    } catch (const excel::Error&) {
        // The handler ends without a message, as the spreadsheet refused a step.
    }
}

void AnalysisForm::refresh() {
    if (m_table->tickedCount() == 0)
        return;
    m_erorCells->hide();
    m_table->Refresh();
}

void AnalysisForm::search() {
    const int row = m_main.findItem(m_searchText->text());
    if (row < 0)
        return;
    m_main.clearSelection();
    m_main.setSelected(row, true);
    m_mainView->setFocus();
    m_mainView->setCurrentIndex(m_main.index(row, 0));
    m_mainView->scrollTo(m_main.index(row, 0));
}

void AnalysisForm::selectAll() {
    const bool on = m_selectAll->isChecked();
    for (int row = 0; row < m_included.count(); ++row)
        m_included.setChecked(row, on);
}

void AnalysisForm::stats() {
    if (const auto caption = statisticsCaption(m_table->Result))
        m_statsLabel->setText(*caption);
}

void AnalysisForm::showStatisticsHelp() {
    forms::RecodeHelp& help = forms::RecodeHelp::instance();
    help.show();
    help.setText(QStringLiteral(
        "In case of numerical categories (besides <blank>), a weighted average and standard "
        "deviation will be displayed\r\n\r\n*All the categories (besides <blank>) must be numeric, "
        "otherwise the feature is disabled\r\n\r\n* <blank> is ignored from the calculations"));
}

void AnalysisForm::showHighlightHelp() {
    forms::RecodeHelp& help = forms::RecodeHelp::instance();
    help.show();
    help.setHeightTwips(3500);
    help.setText(QStringLiteral(
        "Double clicking on any row above will cause the corresponding category term to be "
        "highlighted in light yellow in all its occurences in the Excel range\r\n\r\n*Important: "
        "Highlighting is accomplished based on the Excel conditional formatting process so that "
        "any "
        "existing conditional formatting will be removed"));
}

void AnalysisForm::closeEvent(QCloseEvent* event) {
    releaseSpreadsheet();
    QWidget::closeEvent(event);
    emit unloaded();
}

void AnalysisForm::setWindowState(int state) {
    // A window not shown yet takes the state for when it shows (the question before many
    // categories comes during the start, before the window shows).
    if (!isVisible()) {
        QWidget::setWindowState(state == 1 ? Qt::WindowMinimized : Qt::WindowNoState);
        return;
    }
    if (state == 1)
        showMinimized();
    else
        showNormal();
}

bool AnalysisForm::askYesNo(const QString& text, const QString& caption) {
    return QMessageBox::question(this, caption, text, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

void AnalysisForm::keepAnswering() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void AnalysisForm::endProgram() {
    m_ended = true;
    releaseSpreadsheet();
    emit programEnded();
}

void AnalysisForm::showMessage(const QString& text) {
    // An OK button and no icon, under the program's title.
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Tallyvane"), text, QMessageBox::Ok, this);
    box.exec();
}

void AnalysisForm::processEvents() {
    QCoreApplication::processEvents();
}

void AnalysisForm::setProgressVisible(bool visible) {
    m_progress->setVisible(visible);
}

void AnalysisForm::setProgress(int value, const QString& caption) {
    m_progress->setValue(value);
    m_progress->setCaption(caption);
    m_progress->repaint();
}

void AnalysisForm::setCategoriesText(const QString& text) {
    m_nbOfCategories->setText(text);
}

void AnalysisForm::setTotalText(const QString& text) {
    m_total->setText(text);
}

void AnalysisForm::clearStatistics() {
    m_statsLabel->clear();
}

} // namespace analysis
