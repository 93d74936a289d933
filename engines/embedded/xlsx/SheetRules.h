#pragma once
// The conditional formats of a worksheet part as the sheet reader meets them: each
// conditionalFormatting element of the sheet (not those of extensions) with its cells, and what
// this program can draw of it: a rule that fills the cells containing a text, written as
// spreadsheets write "text contains" (type containsText with its text) or as the expression
// NOT(ISERROR(SEARCH("text",A1))) that stands for it.

#include "engines/embedded/store/WorkbookData.h"

#include <string>
#include <vector>

namespace embedded {

class SheetRuleReader {
public:
    // An element's start and end by local name; false when it is none of the rule's elements.
    bool start(const char* local, const char** attributes);
    bool end(const char* local);
    // Whether the text met now belongs to a rule's formula.
    bool collectsText() const { return m_inFormula; }
    void text(const char* data, int length) { m_formula.append(data, size_t(length)); }

    std::vector<StoredRule> rules;

private:
    int m_extensions = 0; // depth inside extLst: rules there are the extension's own
    bool m_open = false;  // inside a conditionalFormatting element
    bool m_expression = false;
    bool m_inFormula = false;
    int m_expressionDxf = -1;
    std::string m_formula;
};

// The text that NOT(ISERROR(SEARCH("text",A1))) looks for, its escapes undone ("" and ~); empty
// when the formula is not of that form.
QString searchedText(const QString& formula, bool& matches);

} // namespace embedded
