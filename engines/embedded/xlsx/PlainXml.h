#pragma once
// A fast reader of plain XML, for the parts that hold most of a workbook's bytes (worksheets).
// It reads the strict subset that spreadsheet producers write: an optional UTF-8 declaration,
// elements, attributes, text, the five entities of XML and character references; and it checks
// what it reads as a conforming parser would (names, nesting, quotes, characters, UTF-8,
// duplicate attributes). Anything beyond the subset (comments, CDATA, processing instructions,
// document types, other encodings, names beyond ASCII, an oddly large token), and anything it
// finds wrong, makes it give up without a word: the caller then reads the part again with the
// full parser, which accepts what XML allows and words every refusal.

#include <functional>
#include <string>
#include <vector>

namespace embedded {

class PlainXml {
public:
    struct Handlers {
        std::function<void(const char* name, const char** attributes)> start;
        std::function<void(const char* name)> end;
        std::function<void(const char* data, int length)> text;
        const bool* stopped; // set when a handler refused: read no further
        // Optional: at a start tag inside the element named innermost, takes a run of whole
        // tokens of a grammar of its own in one go and says how many bytes it took (0: none;
        // the tag is read as usual). It may close innermost (closed) and leave one element it
        // opened still open (opened, its name); it must take only well-formed XML, and tell
        // the handlers itself what it read. data[size] is a NUL, to stop scans at the end.
        std::function<size_t(const char* data, size_t size, const std::string& innermost,
                             bool& closed, const char*& opened)>
            skim = {};
    };

    explicit PlainXml(Handlers handlers);

    // The part's bytes in order, in pieces of any size.
    void feed(const char* data, size_t size);
    // The end of the part.
    void finish();
    // Whether it gave up: the part must be read again by the full parser.
    bool gaveUp() const { return m_gaveUp; }

private:
    enum class Phase { Prolog, Content, Epilog };
    enum class Step { Done, NeedMore, GiveUp };

    void process(bool final);
    Step declaration();
    // The handlers' own reading of a run of tokens; false when they took none.
    bool skimmed();
    // <name>text</name> with no attributes and plain text, as most of a sheet's cells hold:
    // read in one go when it is all in the buffer; false to read it token by token.
    bool leaf();
    // A start tag whose attributes are set apart by one space and hold plain characters only,
    // all in the buffer: read in place (its names and values ended by NULs written over the
    // bytes after them); false to read it token by token.
    bool plainStartTag();
    // The start tag read: the handlers told, the element opened (or closed when empty).
    void started(const char* elementName, size_t nameLength, bool empty);
    Step startTag();
    // Whether the start tag just read names an attribute twice; linear in their number, as a
    // hostile part may hold a tag of a hundred thousand.
    bool hasDuplicateName() const;
    Step endTag();
    Step text(size_t end);
    // Appends the character an entity or character reference stands for; at points at "&".
    Step entity(size_t& at, std::string& out) const;
    bool name(size_t& at) const;

    Handlers m_handlers;
    std::string m_buffer;
    size_t m_pos = 0;
    Phase m_phase = Phase::Prolog;
    bool m_atStart = true; // nothing read yet: a declaration may come
    bool m_hadBom = false;
    bool m_gaveUp = false;
    std::vector<std::string> m_open; // names of the open elements
    std::string m_scratch;           // the start tag's name and attributes, each ended by NUL
    std::vector<size_t> m_offsets;
    std::vector<const char*> m_attributes;
    std::string m_text;
};

} // namespace embedded
