#include "ui/sheetview/WorkbookWindow.h"

#include "ui/sheetview/ChartPicture.h"

#include "ui/sheetview/ChartWidget.h"
#include "ui/sheetview/CellDelegate.h"
#include "ui/sheetview/GridKeys.h"
#include "ui/sheetview/ParetoOptionsDialog.h"
#include "ui/sheetview/RecentFiles.h"
#include "ui/platform/FileDialogs.h"
#include "excel/Error.h"
#include "excel/Workbook.h"
#include "excel/Worksheet.h"
#include "ui/platform/SheetGridModel.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <cmath>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QStatusBar>
#include <QScrollBar>
#include <QPointer>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

namespace sheetview {

namespace {

// Column widths are kept in characters of the standard font, as the spreadsheet keeps them; a
// character is 7 pixels of an 11-point font (more or fewer in proportion to a larger or smaller
// one) and a column has 5 pixels of padding.
int widthInPixels(double characters, double points) {
    return int(characters * std::round(7 * points / 11) + 5);
}

constexpr double kDefaultWidth = 8.43;
constexpr double kDefaultPoints = 11;

} // namespace

WorkbookWindow::WorkbookWindow(std::shared_ptr<excel::Application> app,
                               std::shared_ptr<excel::Workbook> book, QWidget* parent)
    : QMainWindow(parent)
    , m_app(std::move(app))
    , m_book(std::move(book))
    , m_grid(new QTableView(this))
    , m_tabs(new QTabBar(this))
    , m_model(new platform::SheetGridModel(this, platform::SheetGridModel::Extent::Growing))
    , m_nameBox(new QLineEdit(this)) {
    setObjectName(QStringLiteral("WorkbookWindow"));
    askFileName = [this](const QString& proposed) {
        return platform::askWorkbookToSave(this, proposed);
    };
    askSaveChanges = [this](const QString& question) {
        return int(QMessageBox::question(
            this, QStringLiteral("Tallyvane"), question,
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save));
    };
    showMessage = [this](const QString& text) {
        QMessageBox::warning(this, QStringLiteral("Tallyvane"), text);
    };
    askOpenFile = [this] { return platform::askWorkbookToOpen(this); };
    askParetoOptions =
        [this](const analysis::ParetoOptions& options) -> std::optional<analysis::ParetoOptions> {
        ParetoOptionsDialog dialog(options, this);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        QString error;
        return dialog.options(error);
    };
    askChartFile = [this] {
        return QFileDialog::getSaveFileName(
            this, QStringLiteral("Export chart"),
            QFileInfo(m_book->FullName()).completeBaseName() + QStringLiteral(".png"),
            QStringLiteral("PNG image (*.png);;SVG drawing (*.svg);;PDF document (*.pdf)"));
    };
    buildMenus();
    if (!m_book->openElsewhereBy().isEmpty())
        statusBar()->showMessage(
            QStringLiteral("%1 is open in another program (by %2): it is shown for analysis "
                           "and saved only under another name (File > Save As).")
                .arg(m_book->Name(), m_book->openElsewhereBy()));
    rememberRecentFile(m_book->FullName());
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The workbook's standard font; Calibri 11 where the workbook does not name one.
    const QString fontName = m_book->standardFontName();
    const double points = m_book->standardFontSize();
    m_points = points >= 1 && points <= 409 ? points : kDefaultPoints;
    QFont font(fontName.isEmpty() ? QStringLiteral("Calibri") : fontName);
    font.setPointSizeF(m_points);
    m_grid->setObjectName(QStringLiteral("Grid"));
    m_grid->setFont(font);
    m_model->setFont(font);
    m_grid->setModel(m_model);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setWordWrap(false);
    m_grid->setTextElideMode(Qt::ElideNone); // a spreadsheet cuts a text, it does not shorten it
    m_grid->setShowGrid(false);              // drawn by each cell, giving way to running text
    m_grid->setItemDelegate(new CellDelegate(m_grid));
    // Some styles fill a selected row before the cell is drawn: nothing to fill with.
    QPalette palette = m_grid->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Highlight, Qt::transparent);
        palette.setColor(group, QPalette::HighlightedText, Qt::black);
    }
    m_grid->setPalette(palette);
    // Every row and column of the sheet is there; their sizes are fixed, so that the view never
    // measures cells it does not show.
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(int(std::round(20 * m_points / 11)));
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->horizontalHeader()->setDefaultSectionSize(widthInPixels(kDefaultWidth, m_points));
    // The name box: where the cursor is; a reference typed there is gone to (Ctrl+G).
    m_nameBox->setObjectName(QStringLiteral("NameBox"));
    m_nameBox->setFixedWidth(m_nameBox->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 14);
    m_nameBox->setToolTip(QStringLiteral("Go to a cell or range (Ctrl+G)"));
    layout->addWidget(m_nameBox);
    layout->addWidget(m_grid, 1);
    m_tabs->setObjectName(QStringLiteral("SheetTabs"));
    m_tabs->setShape(QTabBar::RoundedSouth);
    m_tabs->setExpanding(false);
    layout->addWidget(m_tabs);
    setCentralWidget(central);
    resize(960, 640);
    connect(m_tabs, &QTabBar::currentChanged, this, [this](int tab) {
        // A tab the user clicks is the active sheet, as in a spreadsheet.
        if (!m_syncing && tab >= 0 && tab < int(m_sheetOfTab.size())) {
            try {
                m_sheetOfTab[size_t(tab)]->Activate();
            } catch (const excel::Error&) {
            }
        }
        showTab(tab);
    });
    m_keys = new GridKeys(
        m_grid, m_model, m_nameBox,
        [this](const QString& text) { statusBar()->showMessage(text, 8000); },
        [this](const QString& name) {
            for (size_t i = 0; i < m_sheetOfTab.size(); ++i) {
                if (m_sheetOfTab[i]->Name().compare(name, Qt::CaseInsensitive) == 0) {
                    m_tabs->setCurrentIndex(int(i));
                    return true;
                }
            }
            return false;
        });
    connect(m_grid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &WorkbookWindow::selectionChanged);
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentChanged, m_keys,
            &GridKeys::showPlace);
    // The scroll range follows the data; at its end it grows, as a spreadsheet's does.
    connect(m_grid->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value > 0 && value == m_grid->verticalScrollBar()->maximum())
            m_model->reach(m_model->rowCount() + 50, 1);
    });
    connect(m_grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (value > 0 && value == m_grid->horizontalScrollBar()->maximum())
            m_model->reach(1, m_model->columnCount() + 5);
    });
    connect(m_grid->horizontalScrollBar(), &QScrollBar::valueChanged, this,
            &WorkbookWindow::placeCharts);
    connect(m_grid->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &WorkbookWindow::placeCharts);
    // Other programs are told that the workbook is open for editing here (not when another
    // program has it: its lock stays theirs).
    if (m_book->openElsewhereBy().isEmpty())
        m_book->setOpenForEditing(true);
    // The window may close before the host ends: it listens only while it is there.
    QPointer<WorkbookWindow> self(this);
    m_app->addActionListener([self] {
        if (self)
            self->sync();
    });
    sync();
}

WorkbookWindow::~WorkbookWindow() {
    m_book->setOpenForEditing(false);
}

void WorkbookWindow::sync() {
    const bool readOnly = !m_book->openElsewhereBy().isEmpty();
    setWindowTitle(m_book->Name() + QStringLiteral("[*]") +
                   (readOnly ? QStringLiteral(" (read-only)") : QString()) +
                   QStringLiteral(" - Tallyvane"));
    if (!readOnly)
        statusBar()->clearMessage();
    setWindowModified(!m_book->Saved());
    m_syncing = true;
    const auto active = m_book->ActiveSheet();
    // Tabs in workbook order for the sheets the user can see, named as they are ("&" is no
    // access key here).
    std::vector<std::shared_ptr<excel::Worksheet>> sheets;
    for (int i = 1; i <= m_book->Worksheets().Count(); ++i) {
        const auto sheet = m_book->Worksheets()(i);
        if (sheet->Visible() != 0)
            sheets.push_back(sheet);
    }
    if (sheets != m_sheetOfTab) {
        while (m_tabs->count() > 0)
            m_tabs->removeTab(0);
        for (const auto& sheet : sheets)
            m_tabs->addTab(QString(sheet->Name()).replace(QLatin1Char('&'), QLatin1String("&&")));
        m_sheetOfTab = sheets;
    }
    int tab = 0;
    for (size_t i = 0; i < m_sheetOfTab.size(); ++i) {
        if (m_sheetOfTab[i] == active)
            tab = int(i);
    }
    m_syncing = false;
    if (m_tabs->currentIndex() != tab)
        m_tabs->setCurrentIndex(tab);
    if (m_sheetOfTab.empty())
        return;
    if (m_model->sheet() != m_sheetOfTab[size_t(tab)]) {
        showTab(tab);
    } else {
        applyColumnWidths();
        showCharts();
        m_model->refresh(); // the view asks again only for the cells it shows
    }
}

void WorkbookWindow::showTab(int tab) {
    if (m_syncing || tab < 0 || tab >= int(m_sheetOfTab.size()))
        return;
    // Each sheet keeps where it was scrolled to; one shown for the first time opens at A1.
    if (m_model->sheet())
        m_scrollOf[m_model->sheet().get()] = {m_grid->horizontalScrollBar()->value(),
                                              m_grid->verticalScrollBar()->value()};
    m_applying = true;
    m_model->setSheet(m_sheetOfTab[size_t(tab)]);
    applyColumnWidths();
    showCharts();
    // The sheet's own selection, as the workbook saved it or the analysis left it; a whole
    // column is every row the grid has.
    const QVector<excel::CellRect> areas = m_model->sheet()->selection();
    for (const excel::CellRect& r : areas)
        m_model->reach(r.top, r.left);
    QItemSelection selection;
    for (const excel::CellRect& r : areas)
        selection.select(m_model->index(r.top - 1, r.left - 1),
                         m_model->index(std::min(r.bottom, m_model->rowCount()) - 1,
                                        std::min(r.right, m_model->columnCount()) - 1));
    m_grid->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    // The cursor on the selection's first cell, as the spreadsheet puts its active cell.
    if (!areas.isEmpty())
        m_grid->selectionModel()->setCurrentIndex(
            m_model->index(areas.front().top - 1, areas.front().left - 1),
            QItemSelectionModel::NoUpdate);
    const auto it = m_scrollOf.find(m_model->sheet().get());
    const QPoint scroll = it == m_scrollOf.end() ? QPoint(0, 0) : it->second;
    m_grid->horizontalScrollBar()->setValue(scroll.x());
    m_grid->verticalScrollBar()->setValue(scroll.y());
    m_applying = false;
    m_keys->showPlace();
}

void WorkbookWindow::selectionChanged() {
    if (m_applying || m_syncing || !m_model->sheet())
        return;
    m_keys->showPlace();
    // What the user selects is the sheet's selection, which the analysis starts from; a block
    // over every row (column) the grid has is the whole column (row).
    QVector<excel::CellRect> areas;
    for (const QItemSelectionRange& r : m_grid->selectionModel()->selection()) {
        excel::CellRect rect{r.top() + 1, r.left() + 1, r.bottom() + 1, r.right() + 1};
        if (r.top() == 0 && r.bottom() == m_model->rowCount() - 1)
            rect.bottom = excel::kMaxRows;
        if (r.left() == 0 && r.right() == m_model->columnCount() - 1)
            rect.right = excel::kMaxColumns;
        areas.push_back(rect);
    }
    if (areas.isEmpty())
        return;
    try {
        m_model->sheet()->select(areas);
    } catch (const excel::Error&) {
        // A sheet that is not the active one keeps its own selection.
    }
}

void WorkbookWindow::showCharts() {
    for (ChartWidget* chart : m_charts)
        delete chart;
    m_charts.clear();
    const auto& sheet = m_model->sheet();
    if (!sheet)
        return;
    for (const auto& shape : sheet->charts()) {
        auto* chart = new ChartWidget(
            *shape, [this](const QString& reference) { return valuesOf(reference); },
            m_grid->viewport());
        chart->show();
        m_charts.push_back(chart);
    }
    placeCharts();
}

// The chart's place and size are in points from the sheet's top-left corner; 4 pixels are 3
// points, as the columns' widths count them. Its top stands in the row the file anchors it to
// (rows of the default height in points), so that a chart stays beside its table whatever
// height the grid draws rows at.
void WorkbookWindow::placeCharts() {
    for (ChartWidget* chart : m_charts) {
        const excel::ChartShapeModel& shape = chart->shape();
        const QHeaderView* rows = m_grid->verticalHeader();
        const int row = int(shape.top / excel::kRowPoints);
        const double within = shape.top / excel::kRowPoints - row;
        const int top = row < rows->count()
                            ? rows->sectionViewportPosition(row) +
                                  int(within * rows->sectionSize(row))
                            : int(shape.top * 4 / 3) + m_grid->rowViewportPosition(0);
        chart->setGeometry(int(shape.left * 4 / 3) + m_grid->columnViewportPosition(0), top,
                           int(shape.width * 4 / 3), int(shape.height * 4 / 3));
    }
}

std::vector<excel::Variant> WorkbookWindow::valuesOf(const QString& reference) const {
    return valuesIn(m_book, m_model->sheet())(reference);
}

void WorkbookWindow::applyColumnWidths() {
    const auto& sheet = m_model->sheet();
    if (!sheet)
        return;
    const int last = std::min(excel::kMaxColumns, sheet->usedRect().right + 26);
    for (int column = 1; column <= last; ++column) {
        const double width = sheet->columnWidth(column);
        const int pixels = widthInPixels(width > 0 ? width : kDefaultWidth, m_points);
        if (m_grid->columnWidth(column - 1) != pixels)
            m_grid->setColumnWidth(column - 1, pixels);
    }
}

bool WorkbookWindow::save() {
    if (m_book->needsSaveName())
        return saveAs();
    try {
        m_book->Save();
    } catch (const excel::Error& e) {
        showMessage(e.message());
        // Said, and Save As offered: a report never replaces a file someone is editing.
        sync();
        return !m_book->openElsewhereBy().isEmpty() && saveAs();
    }
    sync();
    return true;
}

bool WorkbookWindow::saveAs() {
    // A workbook read from a .csv is proposed as the .xlsx beside it, under a name not taken.
    QString name = askFileName(m_book->proposedSaveName());
    if (name.isEmpty())
        return false;
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".xlsx");
    try {
        m_book->SaveAs(name);
    } catch (const excel::Error& e) {
        showMessage(e.message());
        return false;
    }
    rememberRecentFile(m_book->FullName());
    sync();
    return true;
}

void WorkbookWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        emit activated();
}

void WorkbookWindow::closeEvent(QCloseEvent* event) {
    if (!m_book->Saved()) {
        const int answer = askSaveChanges(
            QStringLiteral("Save changes to \"%1\"?").arg(m_book->Name()));
        if (answer == QMessageBox::Cancel || (answer == QMessageBox::Save && !save())) {
            event->ignore();
            return;
        }
    }
    QMainWindow::closeEvent(event);
    m_book->setOpenForEditing(false);
    emit closed();
}

} // namespace sheetview
