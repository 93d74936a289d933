#pragma once
// Streams one worksheet part into a cell store, with its saved selection and declared extent;
// and streams the shared-string table into the workbook's string pool.

#include "engines/embedded/store/DistinctTexts.h"
#include "engines/embedded/ReadLimits.h"
#include "engines/embedded/store/WorkbookData.h"
#include "engines/embedded/xlsx/SheetRules.h"
#include "engines/embedded/xlsx/XmlStream.h"

#include <QVector>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace embedded {

class SheetXmlReader : public XmlStream {
public:
    // dateStyles[i] tells whether cell style i shows numbers as dates; sharedStrings[i] is the
    // string pool's entry of shared string i. cellBudget is what is left of the workbook's cell
    // cap; the reader lowers it by what it stores.
    SheetXmlReader(const QString& fileName, SheetData& sheet, const std::vector<bool>& dateStyles,
                   const std::vector<quint32>& sharedStrings, const ReadLimits& limits,
                   qint64& cellBudget);

    // Reads the sheet; with plain true through the fast plain reader, and then false when the
    // part is beyond it (the sheet is then to be read anew with plain false).
    bool read(ZipPackage& package, bool plain = false);
    // The sheet holds the cells an analysis is to take (ReadLimits::mostValues): the read ends
    // with TooManyValues once they hold more different texts than it can list.
    void watchValues();

protected:
    void startElement(const char* name, const char** attributes) override;
    void endElement(const char* name) override;
    void characters(const char* data, int length) override;

private:
    enum class Collect : quint8 { None, Value, Formula, InlineText };
    struct SavedSelection {
        QString pane;
        QString activeCell;
        QString sqref;
    };

    // A row whose number is r (null: the one after the last).
    void startRow(const char* r);
    void readColumnWidth(const char** attributes);
    void startCell(const char** attributes);
    // A cell's start in three steps: opened, each attribute of a one-letter name (false when
    // the reader failed), all attributes read.
    void beginCell();
    bool cellAttribute(char key, const char* value, bool& hasRef);
    void endCellAttributes(bool hasRef);
    // Rows and cells of the common shapes, read straight from the part's bytes (the skim).
    size_t skim(const char* data, size_t size, const std::string& innermost, bool& closed,
                const char*& opened) override;
    const char* skimRowStart(const char* p, const char* end, bool& inRow);
    const char* skimCell(const char* p, const char* end);
    void finishCell();
    void storeCell(Cell& cell);
    // Counts a cell against the caps; false when a cap is passed (the reader failed).
    bool countCell();
    // A cell of a column not asked for: counted, and in the used range when it holds something
    // (a formula, an inline text, or a value of more than blanks).
    void passCell(std::string_view value);
    void storeText(const std::string& utf8, Cell& cell);
    bool parseCellRef(const char* ref, int& row, int& column);
    QString cellName() const;
    // Room in the store for the cells to come, made once: from the extent the sheet declares
    // (where the part's size makes it believable), or else from how many cells the part's first
    // bytes held.
    void sizeStore(const excel::CellRect& extent);
    void sizeStoreFromProgress(size_t unread); // unread: bytes fed but not yet parsed
    void applySelection();

    SheetData& m_sheet;
    const std::vector<bool>& m_dateStyles;
    const std::vector<quint32>& m_sharedStrings;
    ReadLimits m_limits;
    qint64& m_cellBudget;
    std::optional<DistinctTexts> m_watch;
    SheetRuleReader m_rules;

    int m_row = 0;
    int m_column = 0;
    char m_type[16] = {};
    int m_style = 0;
    bool m_hasFormula = false;
    bool m_inCell = false;
    bool m_passing = false; // the cell is in a column not asked for
    bool m_inInline = false;
    bool m_hadInline = false; // the cell held an inline text
    int m_phoneticDepth = 0;
    Collect m_collect = Collect::None;
    std::string m_value;
    std::string m_formula;
    std::string m_inlineText;
    qint64 m_cells = 0;
    qint64 m_partBytes = 0; // what the part's header says it unpacks to
    bool m_sized = false;

    int m_sheetViews = 0;
    bool m_inFirstView = false;
    QString m_activePane = QStringLiteral("topLeft");
    QVector<SavedSelection> m_selections;
};

// The shared strings, each kept once in the string pool (a part may repeat one text millions of
// times); entries[i] is where shared string i went. More than maxEntries refuses the file.
class SharedStringsReader : public XmlStream {
public:
    SharedStringsReader(const QString& fileName, const QString& partName, StringPool& pool,
                        std::vector<quint32>& entries, qint64 maxEntries);

protected:
    void startElement(const char* name, const char** attributes) override;
    void endElement(const char* name) override;
    void characters(const char* data, int length) override;

private:
    StringPool& m_pool;
    std::vector<quint32>& m_entries;
    qint64 m_maxEntries;
    bool m_inItem = false;
    bool m_inText = false;
    int m_phoneticDepth = 0;
    std::string m_text;
};

} // namespace embedded
