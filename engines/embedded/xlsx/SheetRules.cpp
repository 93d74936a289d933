#include "engines/embedded/xlsx/SheetRules.h"

#include "engines/embedded/xlsx/SheetPartLayout.h"
#include "engines/embedded/xlsx/XmlStream.h"

#include <QRegularExpression>
#include <cstring>

namespace embedded {

namespace {

int number(const char* text, int fallback) {
    if (!text)
        return fallback;
    bool ok = false;
    const int n = QByteArray(text).toInt(&ok);
    return ok ? n : fallback;
}

} // namespace

QString searchedText(const QString& formula, bool& matches) {
    static const QRegularExpression form(
        QStringLiteral("^\\s*NOT\\s*\\(\\s*ISERROR\\s*\\(\\s*SEARCH\\s*\\(\\s*\"((?:[^\"]|\"\")*)\"\\s*,"
                       "\\s*\\$?[A-Za-z]{1,3}\\$?[0-9]+\\s*\\)\\s*\\)\\s*\\)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = form.match(formula);
    matches = m.hasMatch();
    if (!matches)
        return {};
    QString text = m.captured(1).replace(QStringLiteral("\"\""), QStringLiteral("\""));
    // SEARCH's own escapes: "~" before "*", "?" and "~" stands for the character itself.
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'~' && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}

bool SheetRuleReader::start(const char* local, const char** attributes) {
    if (std::strcmp(local, "extLst") == 0) {
        ++m_extensions;
        return true;
    }
    if (m_extensions > 0)
        return false;
    if (std::strcmp(local, "conditionalFormatting") == 0) {
        StoredRule rule;
        if (const char* sqref = attribute(attributes, "sqref"))
            rule.ranges = parseSqref(QByteArray(sqref));
        rules.push_back(rule);
        m_open = true;
        return true;
    }
    if (!m_open)
        return false;
    if (std::strcmp(local, "cfRule") == 0) {
        StoredRule& rule = rules.back();
        const char* type = attribute(attributes, "type");
        const char* op = attribute(attributes, "operator");
        const char* text = attribute(attributes, "text");
        m_expression = false;
        if (rule.contains)
            return true; // the first rule that can be drawn is the one drawn
        if (type && std::strcmp(type, "containsText") == 0 && text &&
            (!op || std::strcmp(op, "containsText") == 0)) {
            rule.contains = true;
            rule.containsText = decodeEscapes(QString::fromUtf8(text));
            rule.dxfId = number(attribute(attributes, "dxfId"), -1);
        } else if (type && std::strcmp(type, "expression") == 0) {
            m_expression = true;
            m_expressionDxf = number(attribute(attributes, "dxfId"), -1);
            m_formula.clear();
        }
        return true;
    }
    if (std::strcmp(local, "formula") == 0 && m_expression) {
        m_inFormula = true;
        return true;
    }
    return false;
}

bool SheetRuleReader::end(const char* local) {
    if (std::strcmp(local, "extLst") == 0) {
        --m_extensions;
        return true;
    }
    if (m_extensions > 0 || !m_open)
        return false;
    if (std::strcmp(local, "formula") == 0 && m_inFormula) {
        m_inFormula = false;
        bool matches = false;
        const QString text = searchedText(decodeEscapes(QString::fromUtf8(m_formula)), matches);
        StoredRule& rule = rules.back();
        if (matches && !rule.contains) {
            rule.contains = true;
            rule.containsText = text;
            rule.dxfId = m_expressionDxf;
        }
        return true;
    }
    if (std::strcmp(local, "cfRule") == 0) {
        m_expression = false;
        return true;
    }
    if (std::strcmp(local, "conditionalFormatting") == 0) {
        m_open = false;
        return true;
    }
    return false;
}

} // namespace embedded
