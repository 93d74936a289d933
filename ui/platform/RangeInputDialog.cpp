#include "ui/platform/RangeInputDialog.h"

#include "ui/platform/SheetGridModel.h"

#include "excel/Error.h"
#include "excel/TextForm.h"

#include <QDialogButtonBox>
#include <QEventLoop>
#include <QPointer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

namespace platform {

RangeInputDialog::RangeInputDialog(excel::Application& app, const QString& prompt,
                                   const QString& title, QWidget* parent)
    : QDialog(parent)
    , m_app(app)
    , m_book(app.ActiveWorkbook())
    , m_reference(new QLineEdit(this))
    , m_tabs(new QTabBar(this))
    , m_grid(new QTableView(this))
    , m_model(new SheetGridModel(this)) {
    setModal(true);
    auto* layout = buildBox(prompt, title);
    m_grid->setObjectName(QStringLiteral("Grid"));
    m_grid->setModel(m_model);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 4);
    m_grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->insertWidget(2, m_grid, 1);
    m_tabs->setObjectName(QStringLiteral("SheetTabs"));
    m_tabs->setShape(QTabBar::RoundedSouth);
    layout->insertWidget(3, m_tabs);
    resize(560, 420);

    // A tab for each sheet the user can see, named as it is: "&" is no access key here.
    int active = 0;
    const auto activeSheet = m_book->ActiveSheet();
    for (int i = 1; i <= m_book->Sheets().Count(); ++i) {
        const auto sheet = m_book->Sheets()(i);
        if (sheet->Visible() == 0)
            continue;
        if (sheet == activeSheet)
            active = int(m_sheetOfTab.size());
        m_tabs->addTab(QString(sheet->Name()).replace(QLatin1Char('&'), QLatin1String("&&")));
        m_sheetOfTab.push_back(i);
    }
    m_tabs->setCurrentIndex(active);
    showSheet(active);
    connect(m_tabs, &QTabBar::currentChanged, this, &RangeInputDialog::showSheet);
    connect(m_grid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &RangeInputDialog::referenceFromGrid);
}

RangeInputDialog::RangeInputDialog(excel::Application& app, const QString& prompt,
                                   const QString& title, QTableView* sheetGrid,
                                   SheetGridModel* sheetModel, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint)
    , m_app(app)
    , m_book(app.ActiveWorkbook())
    , m_reference(new QLineEdit(this))
    , m_tabs(nullptr)
    , m_grid(sheetGrid)
    , m_model(sheetModel) {
    // A small box over the workbook window: the user selects in the sheet itself.
    setModal(false);
    buildBox(prompt, title);
    m_grid->clearSelection();
    connect(m_grid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &RangeInputDialog::referenceFromGrid);
}

QVBoxLayout* RangeInputDialog::buildBox(const QString& prompt, const QString& title) {
    setObjectName(QStringLiteral("RangeInput"));
    setWindowTitle(title.isEmpty() ? QStringLiteral("Input") : title);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(prompt, this);
    label->setObjectName(QStringLiteral("Prompt"));
    layout->addWidget(label);
    m_reference->setObjectName(QStringLiteral("Reference"));
    layout->addWidget(m_reference);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &RangeInputDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    return layout;
}

void RangeInputDialog::showSheet(int index) {
    if (index < 0 || index >= int(m_sheetOfTab.size()))
        return;
    m_model->setSheet(m_book->Sheets()(m_sheetOfTab[size_t(index)]));
    connect(m_grid->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &RangeInputDialog::referenceFromGrid, Qt::UniqueConnection);
}

void RangeInputDialog::referenceFromGrid() {
    const QItemSelection selection = m_grid->selectionModel()->selection();
    if (selection.isEmpty())
        return;
    QVector<excel::CellRect> areas;
    for (const QItemSelectionRange& r : selection) {
        excel::CellRect rect{r.top() + 1, r.left() + 1, r.bottom() + 1, r.right() + 1};
        // A whole column of the grid is the whole column of the sheet, as its header says.
        if (r.top() == 0 && r.bottom() == m_model->rowCount() - 1)
            rect.bottom = excel::kMaxRows;
        areas.push_back(rect);
    }
    const excel::Range range(m_model->sheet(), areas);
    QString text = range.Address();
    const auto book = m_model->sheet()->Parent();
    if (book && book != m_book)
        text = range.Address(true, true, true); // a sheet of another workbook says which
    else if (m_model->sheet() != m_book->ActiveSheet())
        text.prepend(excel::quotedSheetName(m_model->sheet()->Name()) + QLatin1Char('!'));
    // The range is the one selected, in whichever workbook's window, not what the text would
    // name in the active workbook (another may have a sheet of the same name).
    m_picked = range;
    m_pickedText = text;
    m_reference->setText(text);
}

void RangeInputDialog::accept() {
    if (m_picked && m_reference->text() == m_pickedText) {
        m_range = m_picked;
        QDialog::accept();
        return;
    }
    try {
        m_range = m_app.Range(m_reference->text());
    } catch (const excel::Error&) {
        QMessageBox::warning(this, windowTitle(), QStringLiteral("Reference is not valid."));
        return;
    }
    QDialog::accept();
}

std::optional<excel::Range> RangeInputDialog::pickIn(excel::Application& app,
                                                     const QString& prompt, const QString& title,
                                                     QTableView* sheetGrid,
                                                     SheetGridModel* sheetModel, QWidget* parent) {
    // The box goes with the window it stands over, should that close first.
    QPointer<RangeInputDialog> box =
        new RangeInputDialog(app, prompt, title, sheetGrid, sheetModel, parent);
    QEventLoop wait;
    connect(box, &QDialog::finished, &wait, &QEventLoop::quit);
    connect(box, &QObject::destroyed, &wait, &QEventLoop::quit);
    box->show();
    box->raise();
    wait.exec();
    if (!box)
        return std::nullopt;
    const auto range = box->result() == QDialog::Accepted ? box->range() : std::nullopt;
    delete box;
    return range;
}

std::optional<excel::Range> RangeInputDialog::ask(excel::Application& app, const QString& prompt,
                                                  const QString& title) {
    RangeInputDialog dialog(app, prompt, title);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.range();
}

} // namespace platform
