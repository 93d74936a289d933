// The fast plain XML reader against the full parser: what it accepts reads the same, what is
// beyond it or wrong makes it give up (the full parser then reads and words the refusal), and the
// sheets real producers write stay within it.

#include "support/TestFiles.h"
#include "support/XmlDifferential.h"

#include <QDir>
#include <QDirIterator>
#include <gtest/gtest.h>

namespace {

using testsupport::compareXmlReaders;

const char* const kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";

TEST(PlainXml, ReadsWhatTheFullParserReadsInPiecesOfEverySize) {
    const QByteArray accepted[] = {
        QByteArray(kHead) + "<worksheet xmlns=\"urn:x\"><sheetData><row r=\"1\"><c r=\"A1\" "
                            "t=\"s\"><v>0</v></c></row></sheetData></worksheet>",
        "<x:worksheet xmlns:x='urn:x'><x:c r = 'A1' t=\"inlineStr\" ><x:is><x:t xml:space="
        "\"preserve\">  a &amp; b &lt;c&gt; &quot;d&quot; &apos;e&apos; &#65;&#x42;&#x1F600;"
        " </x:t></x:is></x:c ></x:worksheet >",
        "\xEF\xBB\xBF<?xml version='1.0'?><a b=\"line\r\nend&#10;\ttab\" c='&lt;&gt;'>x\r\ny\rz"
        "</a>\n\n",
        "<a>caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80 ]] ] >  </a>",
        "<a/>",
        "<a><b/><b></b><c d=\"1\" e=\"2\"/></a>",
        "<?xml version=\"1.0\" standalone='no' ?><a>\t</a>",
        // An encoding's name in any case, as the full parser takes it.
        "<?xml version=\"1.0\" encoding=\"Utf-8\" standalone=\"yes\"?><a/>",
        // Elements of plain text, read in one step, beside ones that are not.
        "<r><c r=\"A1\"><v>12</v></c><c><v></v><v> </v></c><t>a]</t><t>x&amp;y</t><t>1\n</t>"
        "<v>2</v ></r>",
        // Start tags read in place, beside ones that are not (two blanks, a tab, an entity).
        "<r a=\"1\"><c r=\"A1\" s=\"1\" t='s'><v>1</v></c><c r=\"B1\"/><d  a=\"1\"/>"
        "<e a=\"x\ty\" b=\"&lt;\"/><f a=\"1\" b=\"2\" ></f></r>",
    };
    for (const QByteArray& xml : accepted) {
        for (size_t step : {size_t(0), size_t(1), size_t(2), size_t(3), size_t(7), size_t(64)}) {
            const auto c = compareXmlReaders(xml, step);
            EXPECT_FALSE(c.plainGaveUp) << xml.toStdString() << " in pieces of " << step;
            EXPECT_FALSE(c.differs()) << xml.toStdString() << "\nplain:\n"
                                      << c.plain << "\nfull:\n" << c.full;
        }
    }
}

TEST(PlainXml, GivesUpOnWhatIsBeyondItOrWrong) {
    const QByteArray refused[] = {
        // Beyond the subset (the full parser reads these).
        "<a><!-- note --></a>", "<a><![CDATA[x]]></a>", "<a><?pi x?></a>",
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a/>", "<caf\xC3\xA9/>",
        "<!DOCTYPE a [<!ENTITY e \"x\">]><a>&e;</a>",
        // Wrong (the full parser refuses these).
        "<a></b>", "<a>", "<a/><b/>", "<a b=\"1\" b=\"2\"/>", "<a b=\"1\"c=\"2\"/>", "<a b=1/>",
        "<a b/>", "<a b=\"<\"/>", "<a>&bogus;</a>", "<a>&#0;</a>", "<a>&#xD800;</a>",
        "<a>&#x110000;</a>", "<a>& b</a>", "<a>]]></a>", "<a>\x01</a>", "<a>\xC3</a>",
        "<a>\xC0\xAF</a>", "<a>\xED\xA0\x80</a>", "<a>\xEF\xBF\xBF</a>", "text<a/>", "<a/>text",
        " <?xml version=\"1.0\"?><a/>", "<?xml version=\"1.1\"?><a/>", "<a", "</a>", "",
        "<1a/>", "<a b='1' / >", "\xEF\xBB\xBF\xEF\xBB\xBF<a/>",
        "<a><v>1</w></a>", "<a><v>1</v</a>",
        // A declaration's other values as written, in lower case only.
        "<?xml version=\"1.0\" standalone=\"YES\"?><a>1</a>",
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"No\"?><a/>",
    };
    for (const QByteArray& xml : refused) {
        for (size_t step : {size_t(0), size_t(1), size_t(5)}) {
            const auto c = compareXmlReaders(xml, step);
            EXPECT_TRUE(c.plainGaveUp) << xml.toStdString() << " in pieces of " << step;
            EXPECT_FALSE(c.differs()) << xml.toStdString();
        }
    }
}

// A start tag of very many attributes (a hostile part) is checked for a name given twice as the
// full parser checks it, and reads the same.
TEST(PlainXml, ATagOfManyAttributesReadsAsTheFullParserReadsIt) {
    QByteArray tag = "<row";
    for (int i = 0; i < 100000; ++i)
        tag += " a" + QByteArray::number(i, 36) + "=\"\"";
    const QByteArray distinct = "<sheetData>" + tag + "><c/></row></sheetData>";
    const auto c = compareXmlReaders(distinct, 4096);
    EXPECT_FALSE(c.plainGaveUp);
    EXPECT_FALSE(c.differs());
    const QByteArray twice = "<sheetData>" + tag + " a2s=\"1\"><c/></row></sheetData>";
    const auto d = compareXmlReaders(twice, 4096);
    EXPECT_TRUE(d.plainGaveUp);
    EXPECT_TRUE(d.fullRefused);
    EXPECT_FALSE(d.differs());
}

// The sheets of real workbooks (four producers, the sample) are read by the plain reader, so
// that the fast path is the one users get, and read as the full parser reads them.
TEST(PlainXml, RealProducersSheetsStayWithinIt) {
    QStringList books = {QStringLiteral(TALLYVANE_SAMPLE)};
    QDirIterator it(testsupport::producerWorkbooksDir(), {"*.xlsx"}, QDir::Files);
    while (it.hasNext())
        books << it.next();
    int sheets = 0;
    for (const QString& book : books) {
        for (const auto& [name, entry] : testsupport::entries(book)) {
            if (!name.startsWith("xl/worksheets/sheet") || !name.endsWith(".xml"))
                continue;
            const auto c = compareXmlReaders(testsupport::partText(book, name), 4096);
            EXPECT_FALSE(c.plainGaveUp) << book.toStdString() << " " << name.toStdString();
            EXPECT_FALSE(c.differs()) << book.toStdString() << " " << name.toStdString();
            ++sheets;
        }
    }
    EXPECT_GE(sheets, 2);
}

} // namespace
