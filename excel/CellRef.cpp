#include "excel/CellRef.h"

#include <algorithm>

namespace excel {

std::optional<CellRect> CellRect::intersected(const CellRect& other) const {
    CellRect r{std::max(top, other.top), std::max(left, other.left), std::min(bottom, other.bottom),
               std::min(right, other.right)};
    if (r.top > r.bottom || r.left > r.right)
        return std::nullopt;
    return r;
}

QString columnLetters(int column) {
    QString letters;
    while (column > 0) {
        const int rem = (column - 1) % 26;
        letters.prepend(QChar(u'A' + rem));
        column = (column - 1) / 26;
    }
    return letters;
}

int columnFromLetters(QStringView letters) {
    if (letters.isEmpty() || letters.size() > 3)
        return 0;
    int column = 0;
    for (QChar ch : letters) {
        const char16_t c = ch.toUpper().unicode();
        if (c < u'A' || c > u'Z')
            return 0;
        column = column * 26 + (c - u'A' + 1);
    }
    return column <= kMaxColumns ? column : 0;
}

QString formatRect(const CellRect& rect, bool rowAbsolute, bool columnAbsolute) {
    const QString rowMark = rowAbsolute ? QStringLiteral("$") : QString();
    const QString colMark = columnAbsolute ? QStringLiteral("$") : QString();
    const auto col = [&](int c) { return colMark + columnLetters(c); };
    const auto row = [&](int r) { return rowMark + QString::number(r); };
    if (rect.wholeColumns() && !rect.wholeRows())
        return col(rect.left) + QLatin1Char(':') + col(rect.right);
    if (rect.wholeRows())
        return row(rect.top) + QLatin1Char(':') + row(rect.bottom);
    const QString first = col(rect.left) + row(rect.top);
    if (rect.top == rect.bottom && rect.left == rect.right)
        return first;
    return first + QLatin1Char(':') + col(rect.right) + row(rect.bottom);
}

namespace {

bool isPlainNameChar(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'.';
}

// "A1", "xfd1048576": letters then digits within the sheet's limits.
bool readsAsA1Cell(QStringView s) {
    qsizetype i = 0;
    while (i < s.size() && s[i].isLetter() && s[i].unicode() < 128)
        ++i;
    if (i == 0 || i == s.size() || columnFromLetters(s.left(i)) == 0)
        return false;
    bool ok = false;
    const int row = s.mid(i).toInt(&ok);
    return ok && row >= 1 && row <= kMaxRows &&
           std::all_of(s.begin() + i, s.end(), [](QChar c) { return c.isDigit(); });
}

// "R", "C", "R1C1", "RC2", "R3": what R1C1 notation could read as a reference.
bool readsAsR1C1(QStringView s) {
    qsizetype i = 0;
    const auto part = [&](char16_t letter) {
        if (i < s.size() && s[i].toUpper() == QChar(letter)) {
            ++i;
            while (i < s.size() && s[i].isDigit() && s[i].unicode() < 128)
                ++i;
            return true;
        }
        return false;
    };
    const bool r = part(u'R');
    const bool c = part(u'C');
    return (r || c) && i == s.size();
}

} // namespace

bool sheetNameNeedsQuotes(const QString& name) {
    if (name.isEmpty())
        return true;
    if (name.front().isDigit() || name.front() == u'.')
        return true;
    if (!std::all_of(name.begin(), name.end(), isPlainNameChar))
        return true;
    return readsAsA1Cell(name) || readsAsR1C1(name);
}

QString quotedSheetName(const QString& name) {
    if (!sheetNameNeedsQuotes(name))
        return name;
    QString escaped = name;
    escaped.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

QString externalSheetPrefix(const QString& bookName, const QString& sheetName) {
    QString inner = QLatin1Char('[') + bookName + QLatin1Char(']') + sheetName;
    const bool quote = sheetNameNeedsQuotes(sheetName) ||
                       !std::all_of(bookName.begin(), bookName.end(), isPlainNameChar);
    if (!quote)
        return inner;
    inner.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

namespace {

struct Cursor {
    QStringView s;
    qsizetype i = 0;
    bool atEnd() const { return i >= s.size(); }
    QChar peek() const { return atEnd() ? QChar() : s[i]; }
};

// One end of an area: "$A$1", "A", "$3". Any part may be missing; the caller decides what fits.
struct Endpoint {
    int column = 0;
    int row = 0;
};

std::optional<Endpoint> readEndpoint(Cursor& c) {
    Endpoint e;
    if (c.peek() == u'$')
        ++c.i;
    const qsizetype letterStart = c.i;
    while (!c.atEnd() && c.peek().isLetter() && c.peek().unicode() < 128)
        ++c.i;
    if (c.i > letterStart) {
        e.column = columnFromLetters(c.s.mid(letterStart, c.i - letterStart));
        if (e.column == 0)
            return std::nullopt;
    } else if (letterStart > 0 && c.s[letterStart - 1] == u'$' && !c.peek().isDigit()) {
        return std::nullopt;
    }
    if (c.peek() == u'$')
        ++c.i;
    const qsizetype digitStart = c.i;
    while (!c.atEnd() && c.peek().isDigit() && c.peek().unicode() < 128)
        ++c.i;
    if (c.i > digitStart) {
        bool ok = false;
        const qint64 row = c.s.mid(digitStart, c.i - digitStart).toLongLong(&ok);
        if (!ok || row < 1 || row > kMaxRows)
            return std::nullopt;
        e.row = int(row);
    }
    if (e.column == 0 && e.row == 0)
        return std::nullopt;
    return e;
}

std::optional<CellRect> readArea(Cursor& c) {
    const auto first = readEndpoint(c);
    if (!first)
        return std::nullopt;
    Endpoint second = *first;
    if (c.peek() != u':' && (!first->column || !first->row))
        return std::nullopt; // a lone column or row needs its range form, "A:A" or "3:3"
    if (c.peek() == u':') {
        ++c.i;
        const auto other = readEndpoint(c);
        if (!other)
            return std::nullopt;
        second = *other;
    }
    const bool bothCells = first->column && first->row && second.column && second.row;
    const bool bothColumns = first->column && !first->row && second.column && !second.row;
    const bool bothRows = !first->column && first->row && !second.column && second.row;
    CellRect r;
    if (bothCells)
        r = {first->row, first->column, second.row, second.column};
    else if (bothColumns)
        r = {1, first->column, kMaxRows, second.column};
    else if (bothRows)
        r = {first->row, 1, second.row, kMaxColumns};
    else
        return std::nullopt;
    if (r.top > r.bottom)
        std::swap(r.top, r.bottom);
    if (r.left > r.right)
        std::swap(r.left, r.right);
    return r;
}

// Reads "Sheet1!", "'My sheet'!", "[Book.xlsx]Sheet1!" or "'[My book.xlsx]My sheet'!" if present.
bool readSheetPrefix(Cursor& c, ParsedReference& out) {
    QString name;
    if (c.peek() == u'\'') {
        qsizetype i = 1;
        while (true) {
            if (i >= c.s.size())
                return false;
            if (c.s[i] == u'\'') {
                if (i + 1 < c.s.size() && c.s[i + 1] == u'\'') {
                    name += QLatin1Char('\'');
                    i += 2;
                    continue;
                }
                break;
            }
            name += c.s[i++];
        }
        if (i + 1 >= c.s.size() || c.s[i + 1] != u'!')
            return false;
        c.i = i + 2;
    } else {
        const qsizetype bang = c.s.indexOf(u'!');
        if (bang < 0)
            return true;
        name = c.s.left(bang).toString();
        if (name.contains(QLatin1Char('\'')) || name.contains(QLatin1Char(' ')))
            return false;
        c.i = bang + 1;
    }
    if (name.startsWith(QLatin1Char('['))) {
        const qsizetype close = name.indexOf(QLatin1Char(']'));
        if (close < 0)
            return false;
        out.book = name.mid(1, close - 1);
        name = name.mid(close + 1);
    }
    // No sheet can be named with these; a name holding one is no reference.
    if (name.isEmpty() || std::any_of(name.cbegin(), name.cend(), [](QChar ch) {
            return QStringView(u"[]:*?/\\").contains(ch);
        }))
        return false;
    out.sheet = name;
    return true;
}

} // namespace

std::optional<ParsedReference> parseReference(QStringView text) {
    const QString trimmed = text.trimmed().toString();
    const QStringView view(trimmed.startsWith(QLatin1Char('=')) ? QStringView(trimmed).mid(1)
                                                                : QStringView(trimmed));
    ParsedReference out;
    Cursor c{view};
    if (!readSheetPrefix(c, out))
        return std::nullopt;
    while (true) {
        while (c.peek() == u' ')
            ++c.i;
        const auto area = readArea(c);
        if (!area)
            return std::nullopt;
        out.areas.push_back(*area);
        while (c.peek() == u' ')
            ++c.i;
        if (c.atEnd())
            break;
        if (c.peek() != u',')
            return std::nullopt;
        ++c.i;
    }
    return out;
}

} // namespace excel
