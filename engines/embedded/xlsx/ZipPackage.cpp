#include "engines/embedded/xlsx/ZipPackage.h"

#include "engines/embedded/FileRefusal.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>
#include <zip.h>

namespace embedded {

namespace {

quint32 le16(const uchar* p) {
    return quint32(p[0]) | (quint32(p[1]) << 8);
}
quint32 le32(const uchar* p) {
    return le16(p) | (le16(p + 2) << 16);
}
quint64 le64(const uchar* p) {
    return quint64(le32(p)) | (quint64(le32(p + 4)) << 32);
}

} // namespace

ZipPackage::ZipPackage(const QString& path, const ReadLimits& limits)
    : m_fileName(QFileInfo(path).fileName())
    , m_limits(limits) {
    const QFileInfo info(path);
    if (info.size() > m_limits.maxFileBytes)
        refuseFile(m_fileName,
                   QStringLiteral("the file is %1, more than the %2 a workbook may be")
                       .arg(describeBytes(info.size()), describeBytes(m_limits.maxFileBytes)));
    checkEntryCount(path);
    int error = 0;
    m_zip = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
    if (!m_zip) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, error);
        const QString why = QString::fromUtf8(zip_error_strerror(&ze));
        zip_error_fini(&ze);
        refuseFile(m_fileName,
                   QStringLiteral("it is not a workbook file, or it is damaged (%1)").arg(why));
    }
}

ZipPackage::~ZipPackage() {
    if (m_zip)
        zip_discard(m_zip);
}

// The archive's directory is loaded whole when the archive is opened, so an archive with a
// huge number of entries must be turned away before that: read the entry count from the end
// record ourselves.
void ZipPackage::checkEntryCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        refuseFile(m_fileName,
                   QStringLiteral("the file cannot be read (%1)").arg(file.errorString()));
    // Password-protected workbooks and old .xls files are compound documents, not zip packages:
    // say so, rather than calling them damaged.
    if (file.peek(8) == QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8))
        refuseFile(m_fileName,
                   QStringLiteral("it is protected with a password, or it is in the old "
                                  ".xls format; save it without a password as an .xlsx "
                                  "workbook and try again"));
    const qint64 size = file.size();
    const qint64 tail = std::min<qint64>(size, 65535 + 22);
    file.seek(size - tail);
    const QByteArray bytes = file.read(tail);
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    qint64 eocd = -1;
    for (qint64 i = bytes.size() - 22; i >= 0; --i) {
        if (le32(data + i) == 0x06054b50) {
            eocd = i;
            break;
        }
    }
    if (eocd < 0)
        refuseFile(m_fileName,
                   QStringLiteral("it is not a workbook file, or it is damaged (no zip directory "
                                  "at its end; the file may be cut short)"));
    quint64 entries = le16(data + eocd + 10);
    if (entries == 0xFFFF && eocd >= 20 && le32(data + eocd - 20) == 0x07064b50) {
        // Zip64: the locator points at the larger end record.
        const quint64 at = le64(data + eocd - 20 + 8);
        uchar record[56];
        if (file.seek(qint64(at)) && file.read(reinterpret_cast<char*>(record), 56) == 56 &&
            le32(record) == 0x06064b50)
            entries = le64(record + 32);
    }
    if (entries > quint64(m_limits.maxEntries))
        refuseFile(m_fileName,
                   QStringLiteral("it holds %1 parts, more than the %2 a workbook may have")
                       .arg(QLocale(QLocale::English).toString(entries),
                            QLocale(QLocale::English).toString(m_limits.maxEntries)));
}

qint64 ZipPackage::locate(const QString& partName) const {
    const QByteArray name = partName.toUtf8();
    zip_int64_t index = zip_name_locate(m_zip, name.constData(), 0);
    if (index < 0)
        index = zip_name_locate(m_zip, name.constData(), ZIP_FL_NOCASE);
    return index;
}

std::optional<qint64> ZipPackage::sizeOf(qint64 index) const {
    zip_stat_t st;
    zip_stat_init(&st);
    if (index < 0 || zip_stat_index(m_zip, zip_uint64_t(index), 0, &st) != 0 ||
        !(st.valid & ZIP_STAT_SIZE))
        return std::nullopt;
    return qint64(std::min<zip_uint64_t>(st.size, zip_uint64_t(1) << 62));
}

qint64 ZipPackage::declaredSize(const QString& partName) const {
    return sizeOf(locate(partName)).value_or(0);
}

bool ZipPackage::contains(const QString& partName) const {
    return locate(partName) >= 0;
}

QByteArray ZipPackage::read(const QString& partName) {
    QByteArray out;
    const qint64 declared = declaredSize(partName);
    if (declared > m_limits.maxSmallPartBytes)
        refuseFile(m_fileName,
                   QStringLiteral("its part %1 would unpack to %2, more than the %3 allowed for it")
                       .arg(partName, describeBytes(declared),
                            describeBytes(m_limits.maxSmallPartBytes)));
    stream(partName, [&](const char* data, size_t size) {
        if (out.size() + qint64(size) > m_limits.maxSmallPartBytes)
            refuseFile(m_fileName,
                       QStringLiteral("its part %1 unpacks to more than the %2 allowed for it")
                           .arg(partName, describeBytes(m_limits.maxSmallPartBytes)));
        out.append(data, qsizetype(size));
    });
    return out;
}

void ZipPackage::stream(const QString& partName,
                        const std::function<void(const char* data, size_t size)>& sink) {
    const qint64 index = locate(partName);
    if (index < 0)
        refuseFile(m_fileName, QStringLiteral("it has no part %1").arg(partName));
    const std::optional<qint64> size = sizeOf(index);
    if (!size)
        refuseFile(m_fileName,
                   QStringLiteral("the size of its part %1 cannot be read").arg(partName));
    const qint64 declared = *size;
    if (declared > m_limits.maxPartBytes)
        refuseFile(m_fileName, QStringLiteral("its part %1 would unpack to %2, more than the %3 "
                                              "allowed for one part")
                                   .arg(partName, describeBytes(declared),
                                        describeBytes(m_limits.maxPartBytes)));
    if (m_totalRead + declared > m_limits.maxTotalBytes)
        refuseFile(m_fileName, QStringLiteral("it would unpack to more than %1 in all")
                                   .arg(describeBytes(m_limits.maxTotalBytes)));
    zip_file_t* file = zip_fopen_index(m_zip, zip_uint64_t(index), 0);
    if (!file)
        refuseFile(m_fileName, QStringLiteral("its part %1 cannot be unpacked (%2)")
                                   .arg(partName, QString::fromUtf8(zip_strerror(m_zip))));
    struct Closer {
        zip_file_t* f;
        ~Closer() { zip_fclose(f); }
    } closer{file};
    // The headers' sizes are not to be trusted: count what really comes out and stop as soon as
    // it goes past what was declared. A large part is unpacked on a second thread while this one
    // reads what came out before; a small one here, as the thread would cost more than it saves.
    static constexpr size_t kChunk = 256 * 1024;
    static constexpr qint64 kThreadedFrom = 4 * 1024 * 1024;
    qint64 actual = 0;
    QString damage;
    const auto unpack = [&](char* buffer) -> zip_int64_t {
        const zip_int64_t n = zip_fread(file, buffer, kChunk);
        if (n < 0) {
            damage = QStringLiteral("its part %1 is damaged (%2)")
                         .arg(partName, QString::fromUtf8(zip_file_strerror(file)));
            return -1;
        }
        actual += n;
        if (actual > declared) {
            damage = QStringLiteral("its part %1 is damaged: it unpacks to more bytes than its "
                                    "header declares (%2)")
                         .arg(partName, describeBytes(declared));
            return -1;
        }
        return n;
    };
    qint64 delivered = 0;
    const auto deliver = [&](const char* data, size_t n) {
        sink(data, n);
        delivered += qint64(n);
        if (m_limits.progress &&
            !m_limits.progress(m_totalRead + delivered, std::max(m_expected, m_totalRead + delivered)))
            throw ReadCancelled(m_fileName);
    };
    if (declared < kThreadedFrom) {
        std::unique_ptr<char[]> buffer(new char[kChunk]);
        while (true) {
            const zip_int64_t n = unpack(buffer.get());
            if (n < 0)
                refuseFile(m_fileName, damage);
            if (n == 0)
                break;
            deliver(buffer.get(), size_t(n));
        }
    } else {
        // Four buffers go round: the unpacking thread fills free ones, this one reads full ones
        // in order and hands them back.
        struct Relay {
            std::mutex mutex;
            std::condition_variable changed;
            std::deque<std::pair<char*, size_t>> full;
            std::vector<char*> free;
            bool finished = false; // the unpacking ended (at the end, or on damage)
            bool stop = false;     // the reading ended early: unpack no more
        } relay;
        std::vector<std::unique_ptr<char[]>> buffers;
        for (int i = 0; i < 4; ++i) {
            buffers.emplace_back(new char[kChunk]);
            relay.free.push_back(buffers.back().get());
        }
        std::thread unpacker([&] {
            while (true) {
                char* buffer = nullptr;
                {
                    std::unique_lock lock(relay.mutex);
                    relay.changed.wait(lock, [&] { return relay.stop || !relay.free.empty(); });
                    if (relay.stop)
                        break;
                    buffer = relay.free.back();
                    relay.free.pop_back();
                }
                const zip_int64_t n = unpack(buffer);
                std::lock_guard lock(relay.mutex);
                if (n <= 0)
                    break;
                relay.full.emplace_back(buffer, size_t(n));
                relay.changed.notify_all();
            }
            std::lock_guard lock(relay.mutex);
            relay.finished = true;
            relay.changed.notify_all();
        });
        struct Joiner {
            Relay& relay;
            std::thread& thread;
            ~Joiner() {
                {
                    std::lock_guard lock(relay.mutex);
                    relay.stop = true;
                }
                relay.changed.notify_all();
                thread.join();
            }
        } joiner{relay, unpacker};
        while (true) {
            std::pair<char*, size_t> piece{nullptr, 0};
            {
                std::unique_lock lock(relay.mutex);
                relay.changed.wait(lock, [&] { return relay.finished || !relay.full.empty(); });
                if (relay.full.empty())
                    break; // finished, and everything before the end or the damage was read
                piece = relay.full.front();
                relay.full.pop_front();
            }
            deliver(piece.first, piece.second);
            std::lock_guard lock(relay.mutex);
            relay.free.push_back(piece.first);
            relay.changed.notify_all();
        }
        if (!damage.isEmpty())
            refuseFile(m_fileName, damage);
    }
    if (actual < declared)
        refuseFile(m_fileName, QStringLiteral("its part %1 is damaged: it is shorter than its "
                                              "header declares")
                                   .arg(partName));
    m_totalRead += actual;
}

} // namespace embedded
