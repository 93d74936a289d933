#pragma once
// A worksheet as the object model shows it. Backends supply the cells (SheetBackend.h); the
// members that only need geometry, reference parsing or those hooks are shared by every backend:
// text paste, row insertion and deletion (ranges follow their cells), tables, sorting,
// conditional formats and chart objects.

#include "excel/CellFormat.h"
#include "excel/CellRef.h"
#include "excel/Chart.h"
#include "excel/Range.h"
#include "excel/SheetBackend.h"
#include "excel/Variant.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace excel {

class Workbook;
class ListObjectCollection;
class Sort;
struct ListObjectModel;

// SpecialCells types and value kinds, as the object model numbers them.
constexpr int kCellTypeBlanks = 4;
constexpr int kCellTypeFormulas = -4123;
constexpr int kValueNumbers = 1;
constexpr int kValueText = 2;
constexpr int kValueLogical = 4;
constexpr int kValueErrors = 16;

// One conditional format: a rule with the cells it applies to.
struct ConditionalFormat {
    QVector<CellRect> ranges;
    // A rule this program makes: type 9 (text), operator 0 (contains), the fill it gives.
    int type = 9;
    QString text;
    int textOperator = 0;
    int fillColor = -1;
    // A rule read from the workbook file is kept as stored; only its cells may change. The
    // number tells the backend which stored rule it is.
    int storedIndex = -1;
    bool isStored() const { return storedIndex >= 0; }
};

class Worksheet : public std::enable_shared_from_this<Worksheet>, public SheetBackend {
public:
    virtual ~Worksheet();

    virtual QString Name() const = 0;
    // -1 shown, 0 hidden (the spreadsheet's xlSheetVisible and xlSheetHidden).
    virtual int Visible() const { return -1; }
    // Refuses names the spreadsheet refuses: empty, longer than 31 characters, holding one of
    // : \ / ? * [ ], starting or ending with ', or taken by another sheet (any letter case).
    void setName(const QString& name);
    virtual std::shared_ptr<Workbook> Parent() const = 0;
    // Makes this the active sheet of its workbook and that workbook the active one.
    virtual void Activate() = 0;
    // Moves the sheet to just after another sheet of its workbook.
    void Move(const std::shared_ptr<Worksheet>& after);
    bool DisplayRightToLeft() const { return m_rightToLeft; }
    void setDisplayRightToLeft(bool value) { m_rightToLeft = value; }

    excel::Range UsedRange();
    // An A1 reference on this sheet; a sheet prefix must name this sheet.
    excel::Range Range(const QString& reference);
    excel::Range Cells();
    excel::Range Cells(int row, int column);
    excel::Range Rows();

    // Pastes the clipboard's text at the selection's top-left cell, as text (format "Text"):
    // tab-separated fields, one row per line; numbers and percentages become numbers with their
    // format, a quoted field keeps its text as it is (tabs and line breaks included).
    void PasteSpecial(const QString& format = QStringLiteral("Text"), bool link = false,
                      bool displayAsIcon = false);

    ListObjectCollection ListObjects();
    excel::Sort& Sort();

    // Shapes(n) and ChartObjects(n): the chart objects of the sheet, from 1.
    ChartShape AddChart2(int style, int chartType); // Shapes.AddChart2
    ChartShape Shapes(int index);
    ChartShape ChartObjects(int index) { return Shapes(index); }
    int shapeCount() const { return int(m_charts.size()); }
    const std::vector<std::shared_ptr<ChartShapeModel>>& charts() const { return m_charts; }
    // A chart the workbook file already holds, read with the sheet.
    void addStoredChart(std::shared_ptr<ChartShapeModel> chart) { m_charts.push_back(std::move(chart)); }
    // The chart that was selected or activated last on this sheet, if any.
    std::shared_ptr<ChartShapeModel> activeChart() const { return m_activeChart; }
    void activateChart(std::shared_ptr<ChartShapeModel> chart);

    // Row edits: cells below move, and every range held on this sheet follows its cells.
    void insertRows(int at, int count);
    void deleteRows(int at, int count);
    // Registers a range's cells so that row edits move them.
    void track(const std::shared_ptr<TrackedAreas>& areas);

    // Tables of the sheet (a table lives only between ListObjects.Add and Unlist here).
    std::vector<std::shared_ptr<ListObjectModel>>& tables() { return m_tables; }

private:
    void shiftTracked(int at, int count);

    bool m_rightToLeft = false;
    std::vector<std::weak_ptr<TrackedAreas>> m_tracked;
    std::vector<std::shared_ptr<ChartShapeModel>> m_charts;
    std::shared_ptr<ChartShapeModel> m_activeChart;
    std::vector<std::shared_ptr<ListObjectModel>> m_tables;
    std::shared_ptr<excel::Sort> m_sort;
};

} // namespace excel
