#include "core/analysis/CategoryTable.h"

#include "core/analysis/SortListView.h"
#include "excel/Error.h"
#include "excel/TextForm.h"

#include <QHash>
#include <QLocale>
#include <QSet>
#include <cstring>
#include <unordered_set>
#include <cmath>

namespace analysis {

namespace {

const QString kBlank = QStringLiteral("<blank>");

} // namespace

QString criterionForLabel(const QString& label) {
    // An error value's label is the error itself ("#NAME?"): its "?" is no wildcard.
    if (excel::errorFromText(label))
        return label;
    QString criterion;
    criterion.reserve(label.size() + 2);
    for (QChar c : label) {
        if (c == u'*' || c == u'?' || c == u'~')
            criterion += u'~';
        criterion += c;
    }
    if (criterion.startsWith(u'=') || criterion.startsWith(u'<') || criterion.startsWith(u'>'))
        criterion.prepend(u'=');
    return criterion;
}

CategoryTable::CategoryTable(std::shared_ptr<excel::Application> app,
                             platform::ListViewModel& included, platform::ListViewModel& main,
                             AnalysisUi& ui)
    : m_app(std::move(app))
    , m_included(included)
    , m_main(main)
    , m_ui(ui) {}

void CategoryTable::prepareLists() {
    if (m_main.columns() == 0) {
        // Widths in twips, filling the list's width.
        const QStringList captions = resultCaptions();
        const int widths[] = {2400, 900, 1000, 1000, 3200};
        for (int c = 0; c < captions.size(); ++c)
            m_main.addColumn(captions[c], widths[c]);
    }
    if (m_included.columns() == 0)
        m_included.addColumn(QStringLiteral("Categories to include"), 4000,
                             QStringLiteral("STRING"));
    m_included.setCheckBoxes(true);
    m_included.setColumnIcon(0, QStringLiteral("down"));
    m_main.setColumnIcon(0, QStringLiteral("down"));
    m_main.setColumnIcon(1, QStringLiteral("down"));
}

RangeProblem CategoryTable::takeRange(const excel::Range& range,
                                      const std::shared_ptr<excel::Workbook>& source,
                                      bool checkAreas) {
    const auto active = m_app->ActiveWorkbook();
    if (!source || !active || source->Name() != active->Name()) {
        if (source)
            source->Activate();
        return RangeProblem::AnotherWorkbook;
    }
    // A range picked in another workbook's window, which may have a sheet of the same name, is
    // from another workbook too.
    if (range.Worksheet()->Parent() != source) {
        source->Activate();
        return RangeProblem::AnotherWorkbook;
    }
    const auto sheet = source->Worksheets()(range.Worksheet()->Name());
    AnalysedRange = m_app->Intersect(range, sheet->UsedRange());
    if (!AnalysedRange)
        return RangeProblem::NoValues;
    if (checkAreas && AnalysedRange->Areas().Count() >= 2)
        return RangeProblem::SeveralAreas;
    try {
        AnalysedRange->SpecialCells(-4123, 16);
        return RangeProblem::ErrorCells;
    } catch (const excel::Error&) {
        // None found: the spreadsheet reports that as an error.
    }
    return RangeProblem::None;
}

void CategoryTable::forEachValue(const std::function<bool(const excel::Variant&)>& visit) const {
    // Every block of the range in turn: a range of several blocks reads as all of its cells, not
    // only as its first block.
    constexpr int kSliceRows = 65536;
    const excel::AreaCollection areas = AnalysedRange->Areas();
    for (int i = 1; i <= areas.Count(); ++i) {
        const excel::Range area = areas(i);
        const excel::CellRect r = area.rects().front();
        for (int top = 0; top < r.rows(); top += kSliceRows) {
            const int rows = std::min(kSliceRows, r.rows() - top);
            const excel::Variant value = area.Cells(top + 1, 1).Resize(rows, r.columns()).Value();
            if (!value.isArray()) {
                if (!visit(value))
                    return;
                continue;
            }
            for (const excel::Variant& cell : value.array().values()) { // row by row
                if (!visit(cell))
                    return;
            }
            m_ui.keepAnswering();
        }
    }
}

QVector<excel::Variant> CategoryTable::flattenedValues() const {
    QVector<excel::Variant> values;
    forEachValue([&](const excel::Variant& v) {
        values.push_back(v);
        return true;
    });
    return values;
}

void CategoryTable::CollectUniqueValues() {
    // Keys compare without regard to case: the first spelling met stands for the category.
    const QLocale locale;
    std::unordered_set<QString, excel::FoldedTextHash, excel::FoldedTextEqual> keys;
    // Texts that share their characters with one already seen are that same text: the engine's
    // cells share one copy of each distinct text, so most cells are settled without hashing.
    QSet<const QChar*> seenTexts;
    // Numbers and dates met before (by kind and bits) have their text form among the keys already:
    // it is not made again for each cell that holds them.
    QSet<QPair<int, quint64>> seenNumbers;
    UniqueValues.clear();
    forEachValue([&](const excel::Variant& v) {
        if (v.isText()) {
            const QChar* characters = v.text().constData();
            const qsizetype before = seenTexts.size();
            seenTexts.insert(characters);
            if (seenTexts.size() == before)
                return true;
        } else if (v.isNumber() || v.isDate()) {
            const double number = v.isNumber() ? v.number() : v.date().serial;
            quint64 bits = 0;
            std::memcpy(&bits, &number, sizeof bits);
            const qsizetype before = seenNumbers.size();
            seenNumbers.insert({int(v.kind()), bits});
            if (seenNumbers.size() == before)
                return true;
        }
        // A text is its own key (the cell's copy, shared); other values are keyed by the text
        // the list shows for them.
        if (keys.insert(v.isText() ? v.text() : excel::textForm(v, locale)).second) {
            UniqueValues.push_back(v);
            // One more than can be listed is enough to refuse the range: no need to read on.
            if (UniqueValues.size() > kMaxCategories)
                return false;
        }
        return true;
    });
}

QString CategoryTable::tooManyValuesText() {
    return QStringLiteral("The range holds more than %1 different values, more than one analysis "
                          "can list. Choose a smaller range.")
        .arg(QLocale().toString(kMaxCategories));
}

bool CategoryTable::DetectUniqueCategories() {
    const qsizetype found = UniqueValues.size();
    if (found > kMaxCategories) {
        m_ui.showMessage(tooManyValuesText());
        return false;
    }
    m_included.clear();
    CategoryCount = int(found);
    if (CategoryCount >= kAskFrom) {
        m_ui.setWindowState(1);
        const bool goOn = m_ui.askYesNo(
            QStringLiteral("%1 unique categories detected! The operation mat require some time to "
                           "finish. Would you want to continue?")
                .arg(CategoryCount),
            QStringLiteral("Quit"));
        if (!goOn) {
            m_ui.endProgram();
            return false;
        }
        m_ui.setProgressVisible(true);
        m_ui.setWindowState(0);
    }
    for (int i = CategoryCount; i >= 1; --i) {
        const QString text = excel::textForm(UniqueValues[i - 1]);
        m_included.add(1, QStringLiteral("K%1").arg(i), text.isEmpty() ? kBlank : text);
    }
    for (int row = 0; row < m_included.count(); ++row)
        m_included.setChecked(row, m_included.text(row) != kBlank);
    // The categories ticked, as Refresh counts them: "<blank>" starts unticked.
    m_ui.setCategoriesText(QStringLiteral("%1 categories selected").arg(tickedCount()));
    return true;
}

double CategoryTable::countOf(const QString& label) const {
    // A count the spreadsheet cannot give is taken as 0, and counting goes on; a spreadsheet
    // that has gone ends the count.
    try {
        if (label == kBlank)
            return double(AnalysedRange->SpecialCells(4).Count());
        return m_app->CountIf(*AnalysedRange, criterionForLabel(label));
    } catch (const excel::HostGone&) {
        throw;
    } catch (const excel::Error&) {
        return 0;
    }
}

QVector<double> CategoryTable::countsOf(const QStringList& labels) const {
    // The spreadsheet is asked for a batch of counts at once (one call can cost far more than
    // one count); the blank category is counted on its own, as above.
    QVector<excel::Variant> criteria;
    for (const QString& label : labels) {
        if (label != kBlank)
            criteria.push_back(criterionForLabel(label));
    }
    QVector<double> batch;
    try {
        batch = m_app->countIfEach(*AnalysedRange, criteria);
    } catch (const excel::HostGone&) {
        throw;
    } catch (const excel::Error&) {
    }
    QVector<double> counts;
    qsizetype next = 0;
    for (const QString& label : labels) {
        if (label == kBlank || batch.size() != criteria.size()) {
            counts.push_back(countOf(label));
        } else {
            const double count = batch[next++];
            counts.push_back(std::isnan(count) ? 0.0 : count);
        }
    }
    return counts;
}

void CategoryTable::CountDiscrete() {
    m_main.clear();
    m_ui.setProgressVisible(true);
    CountLabels.clear();
    CountValues.clear();
    const int rows = std::min(CategoryCount, m_included.count());
    QStringList labels;
    for (int i = rows; i >= 1; --i) {
        if (m_included.checked(i - 1))
            labels << m_included.text(i - 1);
    }
    constexpr qsizetype kBatch = 256;
    QVector<double> counts;
    int shown = -1;
    for (qsizetype k = 0; k < labels.size(); ++k) {
        if (k % kBatch == 0)
            counts = countsOf(labels.mid(k, kBatch));
        const int value = int((k + 1) * 100 / std::max(1, CategoryCount));
        // The bar is drawn again only when it changes: at most a hundred times, not once for
        // each of thousands of categories.
        if (value != shown) {
            shown = value;
            m_ui.setProgress(value,
                             QStringLiteral("%1% of %2 categories").arg(value).arg(CategoryCount));
        }
        CountLabels.push_back(labels[k]);
        CountValues.push_back(counts[k % kBatch]);
    }
    m_ui.setProgressVisible(false);

    TotalCount = 0;
    for (double c : CountValues)
        TotalCount += c;
    Result = {};
    if (TotalCount == 0)
        return;

    QVector<excel::Variant> values;
    for (double c : CountValues)
        values.push_back(excel::Variant(c));
    Result.total = TotalCount;
    Result.largest = m_app->Max(values);
    // The categories in the order counted; the row with key "K<n>" stands for the n-th.
    std::vector<ParetoCategory> counted;
    const QLocale locale;
    for (int k = 0; k < CountValues.size(); ++k) {
        ParetoCategory category;
        category.label = CountLabels[k];
        category.key = QStringLiteral("K%1").arg(k + 1);
        category.count = CountValues[k];
        category.share = CountValues[k] / TotalCount;
        const QStringList texts = rowTexts(category, Result.largest, locale);
        const int row = m_main.add(1, category.key, texts[0]);
        for (int c : {1, 2, 4})
            m_main.setSubItem(row, c, texts[c]);
        counted.push_back(std::move(category));
    }
    m_main.clearSelection();
    m_ui.setTotalText(QStringLiteral("Total of count: ") + countText(TotalCount));
    SortByColumn(m_main, 2, 1, NumberSort, m_ui);
    // The list's order is the ranking.
    for (int row = 0; row < m_main.count(); ++row)
        Result.categories.push_back(counted[size_t(m_main.key(row).mid(1).toInt() - 1)]);
    AddToListView();
}

void CategoryTable::AddToListView() {
    m_main.setSorted(false);
    const QLocale locale;
    double running = 0;
    for (int row = 0; row < m_main.count() && size_t(row) < Result.categories.size(); ++row) {
        ParetoCategory& category = Result.categories[size_t(row)];
        running += category.count;
        category.cumulative = running / TotalCount;
        m_main.setSubItem(row, 3, formatPercent(category.cumulative, locale));
    }
}

int CategoryTable::tickedCount() const {
    int ticked = 0;
    for (int row = 0; row < m_included.count(); ++row)
        ticked += m_included.checked(row) ? 1 : 0;
    return ticked;
}

void CategoryTable::Refresh() {
    const int ticked = tickedCount();
    if (ticked == 0)
        return;
    m_ui.processEvents();
    CountDiscrete();
    m_ui.setCategoriesText(QStringLiteral("%1 categories selected").arg(ticked));
    m_ui.clearStatistics();
}

} // namespace analysis
