#include "engines/embedded/xlsx/XlsxPackage.h"

#include "engines/embedded/ReplacementFile.h"
#include "engines/embedded/xlsx/SheetPartLayout.h"
#include "excel/Error.h"

#include <QFile>
#include <cerrno>
#include <unistd.h>
#include <zip.h>

namespace embedded {

const QByteArray kRelTypes = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

namespace {

const char* const kRelNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char* const kMainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

// A workbook package with nothing in it but what every workbook needs.
std::map<QString, QByteArray> emptyPackage() {
    const QByteArray decl = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
    std::map<QString, QByteArray> parts;
    parts[QStringLiteral("[Content_Types].xml")] =
        decl +
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"rels\" "
        "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
        "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/xl/workbook.xml\" "
        "ContentType=\"application/"
        "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
        "<Override PartName=\"/xl/styles.xml\" "
        "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
        "</Types>";
    parts[QStringLiteral("_rels/.rels")] =
        decl +
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"" +
        kRelTypes +
        "officeDocument\" Target=\"xl/workbook.xml\"/>"
        "</Relationships>";
    parts[QStringLiteral("xl/workbook.xml")] =
        decl + "<workbook xmlns=\"" + kMainNs + "\" xmlns:r=\"" + kRelNs +
        "\">"
        "<bookViews><workbookView activeTab=\"0\"/></bookViews><sheets/></workbook>";
    parts[QStringLiteral("xl/_rels/workbook.xml.rels")] =
        decl +
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"" +
        kRelTypes +
        "styles\" Target=\"styles.xml\"/>"
        "</Relationships>";
    parts[QStringLiteral("xl/styles.xml")] =
        decl + "<styleSheet xmlns=\"" + kMainNs +
        "\">"
        "<fonts count=\"1\"><font><sz val=\"11\"/><color theme=\"1\"/><name val=\"Calibri\"/>"
        "<family val=\"2\"/><scheme val=\"minor\"/></font></fonts>"
        "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill>"
        "<fill><patternFill patternType=\"gray125\"/></fill></fills>"
        "<borders count=\"1\"><border><left/><right/><top/><bottom/><diagonal/></border></borders>"
        "<cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
        "borderId=\"0\"/></cellStyleXfs>"
        "<cellXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" "
        "xfId=\"0\"/></cellXfs>"
        "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" "
        "builtinId=\"0\"/></cellStyles>"
        "</styleSheet>";
    return parts;
}


// libzip writes the new archive through this into the replacement file, instead of making a
// temporary file of its own beside it (which a killed save would leave behind).
struct FileSink {
    ReplacementFile* file;
    zip_error_t error;
};

zip_int64_t fileSink(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto* sink = static_cast<FileSink*>(state);
    const int fd = sink->file->fd();
    const auto failed = [&](int code) {
        zip_error_set(&sink->error, code, errno);
        return zip_int64_t(-1);
    };
    switch (command) {
    case ZIP_SOURCE_SUPPORTS:
        return ZIP_SOURCE_SUPPORTS_WRITABLE;
    case ZIP_SOURCE_STAT: {
        // An empty file: the archive is made anew.
        auto* st = ZIP_SOURCE_GET_ARGS(zip_stat_t, data, length, &sink->error);
        if (!st)
            return -1;
        zip_stat_init(st);
        st->size = 0;
        st->valid |= ZIP_STAT_SIZE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&sink->error, data, length);
    case ZIP_SOURCE_OPEN:
    case ZIP_SOURCE_CLOSE:
    case ZIP_SOURCE_FREE:
    case ZIP_SOURCE_COMMIT_WRITE:
    case ZIP_SOURCE_REMOVE:
        return 0;
    case ZIP_SOURCE_READ:
        return 0; // nothing to read: the archive is written anew
    case ZIP_SOURCE_SEEK:
    case ZIP_SOURCE_TELL:
        return 0;
    case ZIP_SOURCE_BEGIN_WRITE:
    case ZIP_SOURCE_ROLLBACK_WRITE:
        if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0)
            return failed(ZIP_ER_WRITE);
        return 0;
    case ZIP_SOURCE_WRITE: {
        const char* bytes = static_cast<const char*>(data);
        zip_uint64_t left = length;
        while (left > 0) {
            const ssize_t n = ::write(fd, bytes, left);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                if (n == 0)
                    errno = ENOSPC;
                return failed(ZIP_ER_WRITE);
            }
            bytes += n;
            left -= zip_uint64_t(n);
        }
        return zip_int64_t(length);
    }
    case ZIP_SOURCE_SEEK_WRITE: {
        auto* args = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &sink->error);
        if (!args)
            return -1;
        if (::lseek(fd, off_t(args->offset), args->whence) < 0)
            return failed(ZIP_ER_SEEK);
        return 0;
    }
    case ZIP_SOURCE_TELL_WRITE: {
        const off_t at = ::lseek(fd, 0, SEEK_CUR);
        return at < 0 ? failed(ZIP_ER_TELL) : zip_int64_t(at);
    }
    default:
        zip_error_set(&sink->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

} // namespace

void failSave(const QString& why) {
    throw excel::Error(QStringLiteral("Save"), why);
}

QString folderOf(const QString& part) {
    const qsizetype slash = part.lastIndexOf(u'/');
    return slash < 0 ? QString() : part.left(slash + 1);
}

QString relsOf(const QString& part) {
    return folderOf(part) + QStringLiteral("_rels/") + part.mid(folderOf(part).size()) +
           QStringLiteral(".rels");
}

QString resolveTarget(const QString& fromPart, const QString& target) {
    QString path = target.startsWith(u'/') ? target.mid(1) : folderOf(fromPart) + target;
    QStringList out;
    for (const QString& piece : path.split(u'/', Qt::SkipEmptyParts)) {
        if (piece == QLatin1String(".."))
            !out.isEmpty() ? out.removeLast() : void();
        else if (piece != QLatin1String("."))
            out << piece;
    }
    return out.join(u'/');
}

Package::Package(const SaveRequest& request) {
    if (request.sourcePackage.isEmpty()) {
        m_memory = emptyPackage();
        for (const auto& entry : m_memory)
            m_names << entry.first;
        return;
    }
    m_source = std::make_unique<ZipPackage>(request.sourcePackage, ReadLimits());
    int error = 0;
    m_zip = zip_open(QFile::encodeName(request.sourcePackage).constData(), ZIP_RDONLY, &error);
    if (!m_zip)
        failSave(QStringLiteral("the workbook file could not be read again"));
    const zip_int64_t n = zip_get_num_entries(m_zip, 0);
    for (zip_int64_t i = 0; i < n; ++i)
        m_names << QString::fromUtf8(zip_get_name(m_zip, zip_uint64_t(i), 0));
}

Package::~Package() {
    if (m_zip)
        zip_discard(m_zip);
}

bool Package::contains(const QString& name) const {
    if (m_new.count(name))
        return true;
    for (const QString& n : m_names) {
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString Package::actualName(const QString& name) const {
    for (const QString& n : m_names) {
        if (n == name)
            return n;
    }
    for (const QString& n : m_names) {
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return n;
    }
    return name;
}

QByteArray Package::read(const QString& name) {
    const QString actual = actualName(name);
    if (auto it = m_changed.find(actual); it != m_changed.end())
        return it->second;
    if (auto it = m_new.find(name); it != m_new.end())
        return it->second;
    if (!m_source)
        return m_memory.at(actual);
    return readWholePart(*m_source, actual);
}

void Package::replace(const QString& name, const QByteArray& bytes) {
    const QString actual = actualName(name);
    if (m_new.count(name)) {
        m_new[name] = bytes;
        return;
    }
    // A small part edited back to what it was is copied as it is; a large one (a sheet that was
    // spliced) always differs, and reading it again to compare would cost as much as writing it.
    constexpr qsizetype kCompareUpTo = 1 << 20;
    if (m_source && bytes.size() <= kCompareUpTo && readWholePart(*m_source, actual) == bytes) {
        m_changed.erase(actual); // back to what it was: copied as it is
        return;
    }
    m_changed[actual] = bytes;
}

void Package::add(const QString& name, const QByteArray& bytes) {
    if (!m_new.count(name))
        m_newOrder << name;
    m_new[name] = bytes;
}

void Package::write(ReplacementFile& file) {
    FileSink sink{&file, {}};
    zip_error_init(&sink.error);
    zip_source_t* target = zip_source_function_create(&fileSink, &sink, nullptr);
    zip_t* out = target ? zip_open_from_source(target, ZIP_CREATE | ZIP_TRUNCATE, nullptr) : nullptr;
    if (!out) {
        if (target)
            zip_source_free(target);
        zip_error_fini(&sink.error);
        failSave(QStringLiteral("a temporary file could not be made beside the workbook"));
    }
    const auto addBuffer = [&](const QString& name, const QByteArray& bytes) {
        m_keep.push_back(bytes);
        zip_source_t* src =
            zip_source_buffer(out, m_keep.back().constData(), zip_uint64_t(bytes.size()), 0);
        const zip_int64_t index =
            src ? zip_file_add(out, name.toUtf8().constData(), src, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            if (src)
                zip_source_free(src);
            zip_discard(out);
            failSave(QStringLiteral("the part %1 could not be written").arg(name));
        }
        // Large parts are packed at the fastest level: a spliced million-cell sheet would
        // otherwise take seconds to compress for a few bytes changed.
        constexpr qsizetype kFastAbove = 4 << 20;
        if (bytes.size() > kFastAbove)
            zip_set_file_compression(out, zip_uint64_t(index), ZIP_CM_DEFLATE, 1);
    };
    m_keep.reserve(m_changed.size() + m_new.size() + m_memory.size() + 1);
    for (int i = 0; i < m_names.size(); ++i) {
        const QString& name = m_names[i];
        if (auto it = m_changed.find(name); it != m_changed.end()) {
            addBuffer(name, it->second);
        } else if (!m_zip) {
            addBuffer(name, m_memory.at(name));
        } else {
            // The entry's compressed bytes as they are.
            zip_source_t* src = zip_source_zip(out, m_zip, zip_uint64_t(i), 0, 0, -1);
            const zip_int64_t index =
                src ? zip_file_add(out, zip_get_name(m_zip, zip_uint64_t(i), ZIP_FL_ENC_RAW), src,
                                   ZIP_FL_ENC_RAW)
                    : -1;
            if (index < 0) {
                if (src)
                    zip_source_free(src);
                zip_discard(out);
                failSave(QStringLiteral("the part %1 could not be copied").arg(name));
            }
            // An entry keeps its method: one stored without compression stays stored, byte for
            // byte, instead of being packed anew.
            zip_stat_t st;
            zip_stat_init(&st);
            if (zip_stat_index(m_zip, zip_uint64_t(i), 0, &st) == 0 &&
                (st.valid & ZIP_STAT_COMP_METHOD) && st.comp_method == ZIP_CM_STORE)
                zip_set_file_compression(out, zip_uint64_t(index), ZIP_CM_STORE, 0);
        }
    }
    for (const QString& name : m_newOrder)
        addBuffer(name, m_new.at(name));
    if (zip_close(out) < 0) {
        const QString why = QString::fromUtf8(zip_strerror(out));
        zip_discard(out);
        zip_error_fini(&sink.error);
        failSave(QStringLiteral("the new file could not be finished (%1)").arg(why));
    }
    zip_error_fini(&sink.error);
}

Rels::Rels(const QByteArray& bytes, const QString& file, const QString& part)
    : xml(bytes, file, part) {
    for (const pugi::xml_node& r : xml.root().children())
        if (r.type() == pugi::node_element)
            ids.insert(QString::fromUtf8(r.attribute("Id").value()));
}

QString Rels::targetOfType(const char* type, const QString& fromPart) const {
    for (const pugi::xml_node& r : xml.root().children()) {
        const QByteArray t = r.attribute("Type").value();
        if (t == type || t.endsWith(QByteArray("/") + type))
            return resolveTarget(fromPart, QString::fromUtf8(r.attribute("Target").value()));
    }
    return {};
}

QString Rels::add(const QByteArray& type, const QString& target) {
    int n = 1;
    while (ids.contains(QStringLiteral("rId%1").arg(n)))
        ++n;
    const QString id = QStringLiteral("rId%1").arg(n);
    ids.insert(id);
    pugi::xml_node r = xml.root().append_child((xml.prefix() + "Relationship").constData());
    r.append_attribute("Id") = id.toUtf8().constData();
    r.append_attribute("Type") = (kRelTypes + type).constData();
    r.append_attribute("Target") = xmlEscape(target).constData();
    return id;
}

} // namespace embedded
