#include "engines/embedded/csv/CsvReader.h"

#include "engines/embedded/store/DistinctTexts.h"
#include "engines/embedded/FileRefusal.h"
#include "excel/TextForm.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>
#include <optional>

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

// Whether bytes are UTF-8 as the standard has it: no overlong forms, no surrogates, nothing past
// U+10FFFF, no sequence cut short. Runs of ASCII go eight bytes at a time.
bool isUtf8(const char* data, qsizetype size) {
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    const auto* end = p + size;
    while (p < end) {
        if (end - p >= 8) {
            quint64 word;
            std::memcpy(&word, p, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                p += 8;
                continue;
            }
        }
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        int more = 0;
        unsigned char low = 0x80, high = 0xBF; // the range of the byte after the first
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0)
                low = 0xA0; // overlong below
            else if (c == 0xED)
                high = 0x9F; // surrogates above
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0)
                low = 0x90;
            else if (c == 0xF4)
                high = 0x8F; // past U+10FFFF above
        } else {
            return false;
        }
        if (end - p <= more)
            return false;
        if (p[1] < low || p[1] > high)
            return false;
        for (int k = 2; k <= more; ++k) {
            if ((p[k] & 0xC0) != 0x80)
                return false;
        }
        p += more + 1;
    }
    return true;
}

// The parser works on the file's UTF-8 bytes: the separators are ASCII, so fields are found
// without decoding, and only the fields of the columns asked for become text.
class CsvParser {
public:
    CsvParser(const QByteArray& bytes, const QString& fileName, SheetData& sheet,
              const ReadLimits& limits)
        : m_data(bytes.constData())
        , m_size(bytes.size())
        , m_fileName(fileName)
        , m_sheet(sheet)
        , m_limits(limits) {
        if (limits.watchesValuesOf(sheet.name, true)) // the only sheet is the active one
            m_watch.emplace(limits, sheet.cells->sharedContext()->strings);
    }

    void run() {
        qsizetype i = 0;
        const qsizetype n = m_size;
        while (i < n) {
            if (m_data[i] == '"') {
                i = readQuoted(i);
            } else {
                const qsizetype start = i;
                i = fieldEnd(i);
                store(m_data + start, i - start);
            }
            if (i >= n)
                break;
            if (m_data[i] == ',') {
                ++i;
                ++m_column;
                if (i == n)
                    break; // a trailing comma ends with an empty field
            } else {
                // CR LF, LF or a lone CR ends the record.
                if (m_data[i] == '\r' && i + 1 < n && m_data[i + 1] == '\n')
                    ++i;
                ++i;
                nextRow();
            }
        }
    }

private:
    // Where the unquoted field at i ends: the next comma, CR or LF, or the end.
    qsizetype fieldEnd(qsizetype i) const {
        while (i < m_size) {
            const char c = m_data[i];
            if (c == ',' || c == '\n' || c == '\r')
                break;
            ++i;
        }
        return i;
    }

    qsizetype readQuoted(qsizetype i) {
        const int openingLine = m_line;
        QByteArray field;
        ++i;
        while (true) {
            if (i >= m_size)
                refuseFile(m_fileName, QStringLiteral("the quoted field that opens on line %1 is "
                                                      "never closed")
                                           .arg(openingLine));
            // The run up to the next quote or line break goes in at once.
            qsizetype run = i;
            while (run < m_size && m_data[run] != '"' && m_data[run] != '\n')
                ++run;
            field.append(m_data + i, run - i);
            i = run;
            if (i >= m_size)
                continue;
            if (m_data[i] == '\n') {
                ++m_line;
                field += '\n';
                ++i;
                continue;
            }
            if (i + 1 < m_size && m_data[i + 1] == '"') {
                field += '"';
                i += 2;
                continue;
            }
            ++i;
            break;
        }
        // Text after the closing quote ("abc"def) is kept as part of the field, as spreadsheets do.
        const qsizetype tail = i;
        i = fieldEnd(i);
        field.append(m_data + tail, i - tail);
        store(field.constData(), field.size());
        return i;
    }

    void nextRow() {
        ++m_row;
        ++m_line;
        m_column = 1;
    }

    // Quoted or not, a field that reads as a plain number is a number, as spreadsheets open it;
    // blanks around it or thousands separators keep it text.
    void store(const char* bytes, qsizetype length) {
        if (length == 0)
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
        m_text = QString::fromUtf8(bytes, length);
        Cell cell;
        double number = 0;
        if (excel::parsePlainNumber(m_text, number)) {
            cell.kind = CellKind::Number;
            cell.number = number;
        } else {
            cell.kind = CellKind::Text;
            cell.text = m_sheet.cells->sharedContext()->strings.intern(QStringView(m_text));
            if (m_watch && !m_watch->add(m_row, m_column, cell.text))
                throw TooManyValues(m_fileName, m_limits.mostValues);
        }
        m_sheet.cells->append(m_row, m_column, cell);
    }

    const char* m_data;
    qsizetype m_size;
    const QString& m_fileName;
    SheetData& m_sheet;
    const ReadLimits& m_limits;
    std::optional<DistinctTexts> m_watch;
    QString m_text; // the field being stored, its buffer reused
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
    if (!isUtf8(bytes.constData(), bytes.size()))
        refuseFile(fileName, QStringLiteral("it is not UTF-8 text; save it as \"CSV UTF-8\" and "
                                            "try again"));
    if (std::memchr(bytes.constData(), 0, size_t(bytes.size())))
        refuseFile(fileName, QStringLiteral("it holds binary data, not text"));

    WorkbookData book;
    book.name = fileName;
    book.path = info.absoluteFilePath();
    SheetData sheet;
    sheet.name = sheetNameFor(path);
    sheet.cells = std::make_shared<CellStore>(book.context);
    CsvParser(bytes, fileName, sheet, limits).run();
    sheet.cells->finishLoading();
    book.sheets.push_back(std::move(sheet));
    return book;
}

} // namespace embedded
