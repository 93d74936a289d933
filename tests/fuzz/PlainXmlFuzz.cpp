// Differential: the fast plain XML reader against the full parser on any bytes. Whatever the plain
// reader accepts, the full parser must accept and read to the same events; the first input byte
// sets the size of the pieces the plain reader is fed in, to reach every buffer boundary.
#include "support/XmlDifferential.h"

#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const size_t step = data[0] % 17; // 0: all at once
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const testsupport::XmlComparison c = testsupport::compareXmlReaders(bytes, step);
    if (c.differs()) {
        std::fprintf(stderr, "plain:\n%s\nfull (%s):\n%s\n", c.plain.c_str(),
                     c.fullRefused ? "refused" : "read", c.full.c_str());
        abort();
    }
    return 0;
}
