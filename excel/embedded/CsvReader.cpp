#include "CsvReader.h"

#include "FileRefusal.h"
#include "excel/TextForm.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace embedded {

namespace {

// A sheet name as the spreadsheet makes one from a file name: at most 31 characters, none of
// the characters a sheet name cannot hold.
QString sheetNameFor(const QString& path) {
    QString name = QFileInfo(path).completeBaseName();
    for (QChar& c : name) {
        if (QStringLiteral("[]:*?/\\").contains(c))
            c = u'_';
    }
    name = name.left(31);
    return name.isEmpty() ? QStringLiteral("Sheet1") : name;
}

class CsvParser {
public:
    CsvParser(const QString& text, const QString& fileName, SheetData& sheet,
              const ReadLimits& limits)
        : m_text(text)
        , m_fileName(fileName)
        , m_sheet(sheet)
        , m_limits(limits) {}

    void run() {
        qsizetype i = 0;
        const qsizetype n = m_text.size();
        while (i < n) {
            if (m_text[i] == u'"') {
                i = readQuoted(i);
            } else {
                const qsizetype start = i;
                while (i < n && m_text[i] != u',' && m_text[i] != u'\n' && m_text[i] != u'\r')
                    ++i;
                store(QStringView(m_text).mid(start, i - start));
            }
            if (i >= n)
                break;
            if (m_text[i] == u',') {
                ++i;
                ++m_column;
                if (i == n)
                    break; // a trailing comma ends with an empty field
            } else {
                // CR LF, LF or a lone CR ends the record.
                if (m_text[i] == u'\r' && i + 1 < n && m_text[i + 1] == u'\n')
                    ++i;
                ++i;
                nextRow();
            }
        }
    }

private:
    qsizetype readQuoted(qsizetype i) {
        const int openingLine = m_line;
        QString field;
        ++i;
        while (true) {
            if (i >= m_text.size())
                refuseFile(m_fileName, QStringLiteral("the quoted field that opens on line %1 is "
                                                      "never closed")
                                           .arg(openingLine));
            const QChar c = m_text[i];
            if (c == u'"') {
                if (i + 1 < m_text.size() && m_text[i + 1] == u'"') {
                    field += u'"';
                    i += 2;
                    continue;
                }
                ++i;
                break;
            }
            if (c == u'\n')
                ++m_line;
            field += c;
            ++i;
        }
        // Text after the closing quote ("abc"def) is kept as part of the field, as spreadsheets do.
        const qsizetype tail = i;
        while (i < m_text.size() && m_text[i] != u',' && m_text[i] != u'\n' && m_text[i] != u'\r')
            ++i;
        field += QStringView(m_text).mid(tail, i - tail);
        store(field);
        return i;
    }

    void nextRow() {
        ++m_row;
        ++m_line;
        m_column = 1;
    }

    // Quoted or not, a field that reads as a plain number is a number, as spreadsheets open it;
    // blanks around it or thousands separators keep it text.
    void store(QStringView field) {
        if (field.isEmpty())
            return;
        // Checked where a line holds something: the line break that ends the last line of a
        // full sheet opens no line.
        if (m_row > excel::kMaxRows)
            refuseFile(m_fileName, QStringLiteral("it has more than %1 lines, the most a sheet "
                                                  "can hold")
                                       .arg(excel::kMaxRows));
        if (m_column > excel::kMaxColumns)
            refuseFile(m_fileName, QStringLiteral("line %1 has more than %2 fields, the most a "
                                                  "sheet can hold")
                                       .arg(m_line)
                                       .arg(excel::kMaxColumns));
        if (++m_cells > m_limits.maxCellsPerSheet)
            refuseFile(
                m_fileName,
                QStringLiteral("it holds more than %1 cells").arg(m_limits.maxCellsPerSheet));
        if (m_column < m_limits.firstColumn || m_column > m_limits.lastColumn) {
            m_sheet.cells->widenUsedRect(m_row, m_column); // not asked for: counted, not read
            return;
        }
        Cell cell;
        double number = 0;
        if (excel::parsePlainNumber(field, number)) {
            cell.kind = CellKind::Number;
            cell.number = number;
        } else {
            cell.kind = CellKind::Text;
            cell.text = m_sheet.cells->sharedContext()->strings.intern(field);
        }
        m_sheet.cells->append(m_row, m_column, cell);
    }

    const QString& m_text;
    const QString& m_fileName;
    SheetData& m_sheet;
    const ReadLimits& m_limits;
    int m_row = 1;
    int m_column = 1;
    int m_line = 1;
    qint64 m_cells = 0;
};

} // namespace

WorkbookData readCsv(const QString& path, const ReadLimits& limits) {
    const QFileInfo info(path);
    const QString fileName = info.fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        refuseFile(fileName,
                   QStringLiteral("the file cannot be read (%1)").arg(file.errorString()));
    if (file.size() > limits.maxPartBytes)
        refuseFile(fileName,
                   QStringLiteral("the file is %1, more than the %2 a text file may be")
                       .arg(describeBytes(file.size()), describeBytes(limits.maxPartBytes)));
    QByteArray bytes = file.readAll();
    if (limits.progress && !limits.progress(bytes.size(), bytes.size()))
        throw ReadCancelled(fileName);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    if (decoder.hasError())
        refuseFile(fileName, QStringLiteral("it is not UTF-8 text; save it as \"CSV UTF-8\" and "
                                            "try again"));
    if (text.contains(QChar(0)))
        refuseFile(fileName, QStringLiteral("it holds binary data, not text"));

    WorkbookData book;
    book.name = fileName;
    book.path = info.absoluteFilePath();
    SheetData sheet;
    sheet.name = sheetNameFor(path);
    sheet.cells = std::make_shared<CellStore>(book.context);
    CsvParser(text, fileName, sheet, limits).run();
    sheet.cells->finishLoading();
    book.sheets.push_back(std::move(sheet));
    return book;
}

} // namespace embedded
