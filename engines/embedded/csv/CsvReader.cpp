#include "engines/embedded/csv/CsvReader.h"

#include "engines/embedded/store/DistinctTexts.h"
#include "engines/embedded/FileRefusal.h"
#include "excel/TextForm.h"

#include <QFile>
#include <QFileInfo>
#include <QHashFunctions>
#include <climits>
#ifdef __SSE2__
#include <emmintrin.h>
#endif
#include <memory>
#include <cstring>
#include <optional>
#include <string>

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

// How much of bytes is UTF-8 as the standard has it (no overlong forms, no surrogates, nothing
// past U+10FFFF): all of it, or all but a sequence cut off by the end, which the next bytes may
// complete; -1 at the first byte that can be no part of it. Runs of ASCII go eight at a time.
qsizetype utf8Prefix(const char* data, qsizetype size) {
    const auto* begin = reinterpret_cast<const unsigned char*>(data);
    const auto* p = begin;
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
            return -1;
        }
        for (int k = 1; k <= more; ++k) {
            if (p + k == end)
                return p - begin; // cut off: the rest may come
            const unsigned char next = p[k];
            if (k == 1 ? (next < low || next > high) : (next & 0xC0) != 0x80)
                return -1;
        }
        p += more + 1;
    }
    return size;
}

// The texts of the columns read, by their bytes: each different text is decoded and put in the
// pool once, however many cells hold it.
class FieldTexts {
public:
    explicit FieldTexts(StringPool& pool)
        : m_pool(pool)
        , m_seed(quint64(QHashSeed::globalSeed()) | 1) {}

    quint32 intern(const char* bytes, size_t length) {
        const quint64 hash = hashOf(bytes, length);
        if ((m_taken + 1) * 2 > m_slots.size())
            grow();
        const size_t mask = m_slots.size() - 1;
        size_t i = size_t(hash) & mask;
        for (;; i = (i + 1) & mask) {
            const Slot& slot = m_slots[i];
            if (slot.length == 0)
                break;
            if (slot.hash == hash && slot.length == length &&
                std::memcmp(m_bytes.data() + slot.offset, bytes, length) == 0)
                return slot.entry;
        }
        const quint32 entry = m_pool.intern(QString::fromUtf8(bytes, qsizetype(length)));
        m_slots[i] = {hash, m_bytes.size(), length, entry};
        m_bytes.append(bytes, length);
        ++m_taken;
        return entry;
    }

private:
    struct Slot {
        quint64 hash = 0;
        size_t offset = 0;
        size_t length = 0; // 0: free (empty fields are never stored)
        quint32 entry = 0;
    };

    // Seeded per process, so that no file can be made to collide.
    quint64 hashOf(const char* p, size_t n) const {
        quint64 h = m_seed ^ (n * 0x9E3779B97F4A7C15ULL);
        quint64 word = 0;
        while (n >= 8) {
            std::memcpy(&word, p, 8);
            h = (h ^ word) * 0xBF58476D1CE4E5B9ULL;
            h ^= h >> 31;
            p += 8;
            n -= 8;
        }
        word = 0;
        std::memcpy(&word, p, n);
        h = (h ^ word) * 0x94D049BB133111EBULL;
        return h ^ (h >> 29);
    }

    void grow() {
        std::vector<Slot> old(std::max<size_t>(1024, m_slots.size() * 2));
        old.swap(m_slots);
        const size_t mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.length == 0)
                continue;
            size_t i = size_t(slot.hash) & mask;
            while (m_slots[i].length != 0)
                i = (i + 1) & mask;
            m_slots[i] = slot;
        }
    }

    StringPool& m_pool;
    quint64 m_seed;
    std::vector<Slot> m_slots;
    size_t m_taken = 0;
    std::string m_bytes; // every different text's bytes, one after the other
};

// Bytes read and not yet parsed: like a string, but grown without being filled first.
class PieceBuffer {
public:
    char* data() { return m_data.get(); }
    const char* data() const { return m_data.get(); }
    size_t size() const { return m_size; }
    char operator[](size_t i) const { return m_data[i]; }
    bool startsWith(const char* bytes, size_t length) const {
        return m_size >= length && std::memcmp(m_data.get(), bytes, length) == 0;
    }
    // Drops the first count bytes.
    void drop(size_t count) {
        std::memmove(m_data.get(), m_data.get() + count, m_size - count);
        m_size -= count;
    }
    // A new size; bytes added are left as they are, to be written.
    void resize(size_t size) {
        if (size > m_capacity) {
            const size_t capacity = std::max(size, m_capacity * 2);
            std::unique_ptr<char[]> grown(new char[capacity]);
            if (m_size > 0)
                std::memcpy(grown.get(), m_data.get(), m_size);
            m_data = std::move(grown);
            m_capacity = capacity;
        }
        m_size = size;
    }

private:
    std::unique_ptr<char[]> m_data;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

// The parser reads the file in pieces and works on its UTF-8 bytes: the separators are ASCII, so
// fields are found without decoding; a field of the columns asked for that reads as a plain
// number is parsed from its bytes, and a text is decoded once for all the cells that hold it.
class CsvParser {
public:
    CsvParser(QFile& file, const QString& fileName, SheetData& sheet, const ReadLimits& limits)
        : m_file(file)
        , m_fileSize(file.size())
        , m_fileName(fileName)
        , m_sheet(sheet)
        , m_limits(limits)
        , m_texts(sheet.cells->sharedContext()->strings) {
        if (limits.watchesValuesOf(sheet.name, true)) // the only sheet is the active one
            m_watch.emplace(limits, sheet.cells->sharedContext()->strings);
    }

    void run() {
        // The byte-order mark is looked for in the first three bytes, however small the pieces.
        do
            fill();
        while (m_buffer.size() < 3 && !m_atEnd);
        if (m_buffer.startsWith("\xEF\xBB\xBF", 3))
            m_pos = 3;
        while (true) {
            if (m_pos == m_buffer.size()) {
                if (m_atEnd)
                    break;
                fill();
                continue;
            }
            skipUnreadFields();
            if (m_pos == m_buffer.size())
                continue;
            const std::optional<size_t> end = field();
            if (!end) {
                // The field runs on past what has been read: read on, and take it again.
                fill();
                continue;
            }
            size_t i = *end;
            const size_t n = m_buffer.size();
            if (i == n)
                break; // the end of the file
            if (m_buffer[i] == ',') {
                ++i;
                ++m_column;
                m_pos = i;
                if (i == n && m_atEnd)
                    break; // a trailing comma ends with an empty field
                continue;
            }
            // CR LF, LF or a lone CR ends the record.
            if (m_buffer[i] == '\r' && i + 1 < n && m_buffer[i + 1] == '\n')
                ++i;
            m_pos = i + 1;
            nextRow();
        }
        flushUnread();
    }

private:
    // Appends the next piece of the file to what is left unread, checked as text first.
    void fill() {
        if (m_atEnd)
            return;
        if (m_pos > 0) {
            m_buffer.drop(m_pos);
            m_checked -= m_pos;
            m_pos = 0;
        }
        // A field longer than a piece is parsed again from its start after each read: the piece
        // is at least as long as what is left, so that it is read again a few times, not once
        // per piece (a never-closed quote in a large file would take hours).
        const size_t before = m_buffer.size();
        const qint64 piece = std::max<qint64>({1, m_limits.textPieceBytes, qint64(before)});
        m_buffer.resize(before + size_t(piece));
        // A short piece is read on until it is full or the file ends, so that the end is known
        // with the last bytes (a character cut off by it is then refused before anything else).
        qint64 got = 0;
        while (got < piece) {
            const qint64 n = m_file.read(m_buffer.data() + before + got, piece - got);
            if (n < 0)
                refuseFile(m_fileName, QStringLiteral("the file cannot be read (%1)")
                                           .arg(m_file.errorString()));
            if (n == 0) {
                m_atEnd = true;
                break;
            }
            got += n;
        }
        m_buffer.resize(before + size_t(got));
        m_read += got;
        if (m_read > m_limits.maxPartBytes)
            refuseFile(m_fileName,
                       QStringLiteral("the file is %1, more than the %2 a text file may be")
                           .arg(describeBytes(m_read), describeBytes(m_limits.maxPartBytes)));
        const qsizetype valid =
            utf8Prefix(m_buffer.data() + m_checked, qsizetype(m_buffer.size() - m_checked));
        if (valid < 0 || (m_atEnd && m_checked + size_t(valid) < m_buffer.size()))
            refuseFile(m_fileName, QStringLiteral("it is not UTF-8 text; save it as \"CSV UTF-8\" "
                                                  "and try again"));
        if (std::memchr(m_buffer.data() + before, 0, size_t(got)))
            refuseFile(m_fileName, QStringLiteral("it holds binary data, not text"));
        m_checked += size_t(valid);
        if (m_limits.progress &&
            !m_limits.progress(m_read, std::max(m_read, qint64(m_fileSize))))
            throw ReadCancelled(m_fileName);
        if (!m_sized && m_read >= qint64(4) << 20)
            sizeStore();
    }

    // Reads the field at m_pos and stores it; where it ends (at its separator, or the end of the
    // file), or none while the field or what ends it is not all read yet.
    std::optional<size_t> field() {
        const size_t n = m_buffer.size();
        const char* data = m_buffer.data();
        if (data[m_pos] != '"') {
            const size_t end = fieldEnd(m_pos);
            if (!ended(end))
                return std::nullopt;
            store(data + m_pos, end - m_pos);
            return end;
        }
        m_field.clear();
        int lines = 0;
        size_t i = m_pos + 1;
        while (true) {
            // The run up to the next quote or line break goes in at once.
            size_t run = i;
            while (run < n && data[run] != '"' && data[run] != '\n')
                ++run;
            m_field.append(data + i, run - i);
            i = run;
            if (i >= n) {
                if (!m_atEnd)
                    return std::nullopt;
                refuseFile(m_fileName, QStringLiteral("the quoted field that opens on line %1 is "
                                                      "never closed")
                                           .arg(m_line));
            }
            if (data[i] == '\n') {
                ++lines;
                m_field += '\n';
                ++i;
                continue;
            }
            if (i + 1 >= n && !m_atEnd)
                return std::nullopt; // a quote, or the first of two
            if (i + 1 < n && data[i + 1] == '"') {
                m_field += '"';
                i += 2;
                continue;
            }
            ++i;
            break;
        }
        // Text after the closing quote ("abc"def) is kept as part of the field, as spreadsheets do.
        const size_t end = fieldEnd(i);
        if (!ended(end))
            return std::nullopt;
        m_field.append(data + i, end - i);
        m_line += lines;
        store(m_field.data(), m_field.size());
        return end;
    }

    // Where the unquoted text at i ends: the next comma, CR or LF, or the end of what is read.
    // Sixteen bytes are compared at a time where the processor can.
    size_t fieldEnd(size_t i) const {
        const char* data = m_buffer.data();
        const size_t n = m_buffer.size();
#ifdef __SSE2__
        const __m128i comma = _mm_set1_epi8(',');
        const __m128i lf = _mm_set1_epi8('\n');
        const __m128i cr = _mm_set1_epi8('\r');
        while (i + 16 <= n) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
            const __m128i stops = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(bytes, comma), _mm_cmpeq_epi8(bytes, lf)),
                _mm_cmpeq_epi8(bytes, cr));
            const int mask = _mm_movemask_epi8(stops);
            if (mask != 0)
                return i + size_t(__builtin_ctz(unsigned(mask)));
            i += 16;
        }
#endif
        while (i < n) {
            const char c = data[i];
            if (c == ',' || c == '\n' || c == '\r')
                break;
            ++i;
        }
        return i;
    }

    // Whether a field that stops at end is whole: what ends it is read (a CR with the byte
    // after it, which may be its LF), or the file has ended.
    bool ended(size_t end) const {
        const size_t n = m_buffer.size();
        if (end == n)
            return m_atEnd;
        return m_buffer[end] != '\r' || end + 1 < n || m_atEnd;
    }

    void nextRow() {
        flushUnread();
        ++m_row;
        ++m_line;
        m_column = 1;
    }

    // Unquoted fields of columns not asked for, followed by a comma, as most are: counted and
    // passed in one go. The line's last field, and any other, is left to field().
    void skipUnreadFields() {
        const char* data = m_buffer.data();
        const size_t n = m_buffer.size();
        while (m_pos < n && (m_column < m_limits.firstColumn || m_column > m_limits.lastColumn) &&
               data[m_pos] != '"') {
            const size_t end = fieldEnd(m_pos);
            if (end == n || data[end] != ',')
                return;
            if (end > m_pos)
                countUnread();
            m_pos = end + 1;
            ++m_column;
        }
    }

    // A field that holds something, counted against the caps. Checked where a line holds
    // something: the line break that ends the last line of a full sheet opens no line.
    void countField() {
        if (m_row > excel::kMaxRows || m_column > excel::kMaxColumns ||
            m_cells >= m_limits.maxCellsPerSheet)
            refuseCount();
        ++m_cells;
    }

    [[noreturn]] [[gnu::cold]] [[gnu::noinline]] void refuseCount() const {
        if (m_row > excel::kMaxRows)
            refuseFile(m_fileName, QStringLiteral("it has more than %1 lines, the most a sheet "
                                                  "can hold")
                                       .arg(excel::kMaxRows));
        if (m_column > excel::kMaxColumns)
            refuseFile(m_fileName, QStringLiteral("line %1 has more than %2 fields, the most a "
                                                  "sheet can hold")
                                       .arg(m_line)
                                       .arg(excel::kMaxColumns));
        refuseFile(m_fileName,
                   QStringLiteral("it holds more than %1 cells").arg(m_limits.maxCellsPerSheet));
    }

    // A field of a column not asked for that holds something: counted, and in the used range,
    // not read.
    void countUnread() {
        countField();
        m_unreadLeft = std::min(m_unreadLeft, m_column);
        m_unreadRight = std::max(m_unreadRight, m_column);
    }

    // Quoted or not, a field that reads as a plain number is a number, as spreadsheets open it;
    // blanks around it or thousands separators keep it text.
    void store(const char* bytes, size_t length) {
        if (length == 0)
            return;
        if (m_column < m_limits.firstColumn || m_column > m_limits.lastColumn)
            return countUnread();
        countField();
        Cell cell;
        double number = 0;
        const char first = bytes[0];
        const bool mayBeNumber = (first >= '0' && first <= '9') || first == '-' || first == '+' ||
                                 first == '.';
        if (mayBeNumber && excel::parsePlainNumber(bytes, qsizetype(length), number)) {
            cell.kind = CellKind::Number;
            cell.number = number;
        } else {
            cell.kind = CellKind::Text;
            cell.text = m_texts.intern(bytes, length);
            if (m_watch && !m_watch->add(m_row, m_column, cell.text))
                throw TooManyValues(m_fileName, m_limits.mostValues);
        }
        m_sheet.cells->append(m_row, m_column, cell);
    }

    // The line's cells of columns not asked for, into the used range at once.
    void flushUnread() {
        if (m_unreadRight == 0)
            return;
        m_sheet.cells->widenUsedRect(m_row, m_unreadLeft);
        m_sheet.cells->widenUsedRect(m_row, m_unreadRight);
        m_unreadLeft = INT_MAX;
        m_unreadRight = 0;
    }

    // Room for each column's cells, made once from how many the first pieces held, rather than
    // as the columns grow.
    void sizeStore() {
        m_sized = true;
        const qint64 parsed = m_read - qint64(m_buffer.size() - m_pos);
        if (parsed <= 0 || m_fileSize <= m_read)
            return;
        m_sheet.cells->reserveAhead(m_limits.firstColumn, m_limits.lastColumn,
                                    1.05 * double(m_fileSize) / double(parsed));
    }

    QFile& m_file;
    qint64 m_fileSize;
    const QString& m_fileName;
    SheetData& m_sheet;
    const ReadLimits& m_limits;
    FieldTexts m_texts;
    std::optional<DistinctTexts> m_watch;
    PieceBuffer m_buffer; // what is read and not yet parsed, from m_pos on
    size_t m_pos = 0;
    size_t m_checked = 0; // how much of the buffer is known to be UTF-8
    qint64 m_read = 0;
    bool m_atEnd = false;
    bool m_sized = false;
    std::string m_field; // a quoted field as it reads
    int m_row = 1;
    int m_column = 1;
    int m_line = 1;
    qint64 m_cells = 0;
    int m_unreadLeft = INT_MAX;
    int m_unreadRight = 0;
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

    WorkbookData book;
    book.name = fileName;
    book.path = info.absoluteFilePath();
    SheetData sheet;
    sheet.name = sheetNameFor(path);
    sheet.cells = std::make_shared<CellStore>(book.context);
    CsvParser(file, fileName, sheet, limits).run();
    sheet.cells->finishLoading();
    book.sheets.push_back(std::move(sheet));
    return book;
}

} // namespace embedded
