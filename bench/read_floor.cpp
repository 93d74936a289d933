// The floor of the read path: what a plain program must do at the least, with no checks, no
// cell store and no spreadsheet behind it, to give the same answer's raw material.
//   read_floor csv FILE FIELD   reads the file in pieces of 1 MB, finds field FIELD (from 1) of
//                               each line (no quoting), counts each different value in a hash
//                               table by its bytes and prints the counts, largest first
//   read_floor xlsx FILE PART   inflates PART in pieces of 256 KB (zlib, its checksum too) and
//                               counts the tags of what comes out
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>
#include <zip.h>
#include <zlib.h>

namespace {

struct Entry {
    unsigned long long hash = 0;
    size_t offset = 0;
    size_t length = 0;
    long count = 0; // 0: free
};

class Counts {
public:
    Counts()
        : m_slots(1 << 12) {}
    void add(const char* p, size_t n) {
        unsigned long long h = 1469598103934665603ULL;
        for (size_t i = 0; i < n; ++i)
            h = (h ^ static_cast<unsigned char>(p[i])) * 1099511628211ULL;
        size_t mask = m_slots.size() - 1;
        for (size_t i = h & mask;; i = (i + 1) & mask) {
            Entry& e = m_slots[i];
            if (e.count == 0) {
                e = {h, m_bytes.size(), n, 1};
                m_bytes.append(p, n);
                if (++m_taken * 2 > m_slots.size())
                    grow();
                return;
            }
            if (e.hash == h && e.length == n && std::memcmp(m_bytes.data() + e.offset, p, n) == 0) {
                ++e.count;
                return;
            }
        }
    }
    void print() const {
        std::vector<const Entry*> all;
        for (const Entry& e : m_slots)
            if (e.count)
                all.push_back(&e);
        std::sort(all.begin(), all.end(),
                  [](const Entry* a, const Entry* b) { return a->count > b->count; });
        for (const Entry* e : all)
            std::printf("%ld\t%.*s\n", e->count, int(e->length), m_bytes.data() + e->offset);
    }

private:
    void grow() {
        std::vector<Entry> old(m_slots.size() * 2);
        old.swap(m_slots);
        const size_t mask = m_slots.size() - 1;
        for (const Entry& e : old) {
            if (!e.count)
                continue;
            size_t i = e.hash & mask;
            while (m_slots[i].count)
                i = (i + 1) & mask;
            m_slots[i] = e;
        }
    }
    std::vector<Entry> m_slots;
    size_t m_taken = 0;
    std::string m_bytes;
};

int csv(const char* path, int field) {
    const int fd = open(path, O_RDONLY);
    if (fd < 0)
        return 1;
    Counts counts;
    std::vector<char> buffer(1 << 20);
    size_t kept = 0; // an unfinished line carried to the next piece
    while (true) {
        const ssize_t got = read(fd, buffer.data() + kept, buffer.size() - kept);
        if (got < 0)
            return 1;
        const size_t size = kept + size_t(got);
        size_t line = 0;
        while (true) {
            const void* nl = std::memchr(buffer.data() + line, '\n', size - line);
            if (!nl && got > 0)
                break;
            const size_t end = nl ? size_t(static_cast<const char*>(nl) - buffer.data()) : size;
            size_t start = line;
            for (int f = 1; f < field && start < end; ++f) {
                const void* comma = std::memchr(buffer.data() + start, ',', end - start);
                start = comma ? size_t(static_cast<const char*>(comma) - buffer.data()) + 1 : end;
            }
            const void* comma = std::memchr(buffer.data() + start, ',', end - start);
            const size_t stop = comma ? size_t(static_cast<const char*>(comma) - buffer.data()) : end;
            if (stop > start)
                counts.add(buffer.data() + start, stop - start);
            if (!nl)
                break;
            line = end + 1;
        }
        if (got == 0)
            break;
        kept = size - line;
        std::memmove(buffer.data(), buffer.data() + line, kept);
        if (kept == buffer.size())
            buffer.resize(buffer.size() * 2);
    }
    close(fd);
    counts.print();
    return 0;
}

int xlsx(const char* path, const char* part) {
    zip_t* z = zip_open(path, ZIP_RDONLY, nullptr);
    if (!z)
        return 1;
    zip_file_t* f = zip_fopen(z, part, ZIP_FL_COMPRESSED);
    if (!f)
        return 1;
    std::vector<unsigned char> in(1 << 16);
    std::vector<unsigned char> out(1 << 18);
    z_stream s{};
    inflateInit2(&s, -15);
    unsigned long crc = crc32(0, nullptr, 0);
    long tags = 0;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        if (s.avail_in == 0) {
            const zip_int64_t n = zip_fread(f, in.data(), in.size());
            if (n <= 0)
                break;
            s.next_in = in.data();
            s.avail_in = unsigned(n);
        }
        s.next_out = out.data();
        s.avail_out = unsigned(out.size());
        rc = inflate(&s, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END)
            return 1;
        const size_t n = out.size() - s.avail_out;
        crc = crc32(crc, out.data(), unsigned(n));
        for (const unsigned char* p = out.data(); (p = static_cast<const unsigned char*>(
                                                       std::memchr(p, '<', n - size_t(p - out.data()))));
             ++p)
            ++tags;
    }
    inflateEnd(&s);
    zip_fclose(f);
    zip_discard(z);
    std::printf("%ld tags, crc %08lx\n", tags, crc);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string_view(argv[1]) == "csv")
        return csv(argv[2], std::atoi(argv[3]));
    if (argc == 4 && std::string_view(argv[1]) == "xlsx")
        return xlsx(argv[2], argv[3]);
    std::fputs("usage: read_floor csv FILE FIELD | read_floor xlsx FILE PART\n", stderr);
    return 2;
}
