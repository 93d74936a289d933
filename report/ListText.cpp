#include "ListText.h"

namespace report {

namespace {

QString field(const QString& text) {
    if (!text.contains(QLatin1Char('\t')) && !text.contains(QLatin1Char('\r')) &&
        !text.contains(QLatin1Char('\n')) && !text.startsWith(QLatin1Char('"')) &&
        !text.startsWith(QLatin1Char('=')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace

QString listText(const platform::ListViewModel& list) {
    const QString crlf = QStringLiteral("\r\n");
    QString text;
    for (int c = 0; c < list.columns(); ++c)
        text += field(list.column(c).caption) + QLatin1Char('\t');
    text += crlf;
    for (int row = 0; row < list.count(); ++row) {
        text += field(list.text(row));
        for (int c = 1; c < list.columns(); ++c)
            text += QLatin1Char('\t') + field(list.subItem(row, c));
        text += crlf;
    }
    return text + crlf;
}

} // namespace report
