// Differential: the fast plain XML reader against the full parser on any bytes. Whatever the plain
// reader accepts, the full parser must accept and read to the same events; the first input byte
// sets the size of the pieces the plain reader is fed in, to reach every buffer boundary. When
// the second byte has its top bit set, it chooses an XML declaration put before the rest, built
// from the spellings producers and typing slips give (cases, quotes, blanks), so that every
// declaration the plain reader might take is tried against the full parser.
#include "support/XmlDifferential.h"

#include <cstdio>

namespace {

// Bit 0: the version; bits 1-2: the encoding; bits 3-5: the standalone value; bit 6: the quote.
QByteArray declaration(uint8_t choice) {
    static const char* const versions[] = {"1.0", "1.1"};
    static const char* const encodings[] = {nullptr, "UTF-8", "utf-8", "ISO-8859-1"};
    static const char* const standalones[] = {nullptr, "yes", "no", "YES", "No", "yEs", "NO", " yes"};
    const char quote = (choice & 0x40) ? '\'' : '"';
    QByteArray d = "<?xml version=";
    d += quote;
    d += versions[choice & 1];
    d += quote;
    if (const char* e = encodings[(choice >> 1) & 3])
        d += QByteArray(" encoding=") + quote + e + quote;
    if (const char* s = standalones[(choice >> 3) & 7])
        d += QByteArray(" standalone=") + quote + s + quote;
    return d + "?>";
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t step = data[0] % 17; // 0: all at once
    QByteArray bytes;
    if (size >= 2 && (data[1] & 0x80))
        bytes = declaration(data[1]) + QByteArray(reinterpret_cast<const char*>(data + 2),
                                                  qsizetype(size - 2));
    else
        bytes = QByteArray(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const testsupport::XmlComparison c = testsupport::compareXmlReaders(bytes, step);
    if (c.differs()) {
        std::fprintf(stderr, "plain:\n%s\nfull (%s):\n%s\n", c.plain.c_str(),
                     c.fullRefused ? "refused" : "read", c.full.c_str());
        abort();
    }
    return 0;
}
