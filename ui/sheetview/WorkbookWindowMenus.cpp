// The workbook window's menus: File (open, the recent files, save, save as, close, quit) and
// Analysis (the Pareto analysis of this workbook).
#include "ui/sheetview/WorkbookWindow.h"

#include "core/analysis/ParetoColumns.h"
#include "excel/Workbook.h"
#include "ui/sheetview/ChartPicture.h"
#include "ui/sheetview/RecentFiles.h"

#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

namespace sheetview {

void WorkbookWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Open..."), QKeySequence::Open, this, [this] {
        const QString path = askOpenFile();
        if (!path.isEmpty())
            emit openRequested(path);
    });
    QMenu* recent = file->addMenu(QStringLiteral("&Recent files"));
    recent->setObjectName(QStringLiteral("RecentFiles"));
    connect(recent, &QMenu::aboutToShow, this, [this, recent] {
        recent->clear();
        const QStringList files = recentFiles();
        for (int i = 0; i < files.size(); ++i) {
            const QString path = files[i];
            recent->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()),
                              this, [this, path] { emit openRequested(path); })
                ->setToolTip(path);
        }
        if (files.isEmpty())
            recent->addAction(QStringLiteral("(none)"))->setEnabled(false);
    });
    file->addSeparator();
    file->addAction(QStringLiteral("&Save"), QKeySequence::Save, this, [this] { save(); });
    file->addAction(QStringLiteral("Save &As..."), QKeySequence::SaveAs, this,
                    [this] { saveAs(); });
    file->addSeparator();
    file->addAction(QStringLiteral("&Export chart..."), this, [this] { exportCharts(); })
        ->setObjectName(QStringLiteral("ExportChart"));
    file->addSeparator();
    file->addAction(QStringLiteral("&Close"), QKeySequence::Close, this, &QWidget::close);
    file->addAction(QStringLiteral("&Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q), this,
                    [this] { emit quitRequested(); });

    QMenu* analysis = menuBar()->addMenu(QStringLiteral("&Analysis"));
    QAction* pareto = analysis->addAction(QStringLiteral("&Pareto analysis..."),
                                          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P), this,
                                          [this] { emit analysisRequested(); });
    pareto->setObjectName(QStringLiteral("ParetoAnalysis"));
    analysis->addAction(QStringLiteral("Pareto &options..."), this, [this] {
        if (const auto chosen = askParetoOptions(analysis::sessionOptions(*m_book)))
            analysis::setSessionOptions(*m_book, *chosen);
    })->setObjectName(QStringLiteral("ParetoOptions"));
}

void WorkbookWindow::exportCharts() {
    if (m_charts.empty()) {
        showMessage(QStringLiteral("This sheet has no chart to export."));
        return;
    }
    const QString path = askChartFile();
    if (path.isEmpty())
        return;
    std::vector<ChartToDraw> charts;
    for (const ChartWidget* chart : m_charts)
        charts.push_back({chart->shape(), [this](const QString& r) { return valuesOf(r); }});
    const QString error = writeChartPicture(charts, path, m_charts.front()->size());
    if (!error.isEmpty())
        showMessage(error);
}

} // namespace sheetview
