#include "UnoHost.h"

#include "UnoApplication.h"
#include "UnoSupport.h"
#include "UnoWorkbook.h"
#include "excel/RunningApplications.h"

#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/XModel.hpp>

#include <QFileInfo>
#include <QHash>
#include <QUrl>

namespace uno {

namespace {

// One application per place the office listens at, for as long as its connection lives. Never
// destroyed: references into the office must not be released after the runtime has gone, at exit.
std::shared_ptr<UnoApplication> applicationAt(const QString& place) {
    static auto* running = new QHash<QString, std::shared_ptr<UnoApplication>>;
    auto app = running->value(place);
    if (app && !app->connection().lost() && app->connection().stillThere())
        return app;
    running->remove(place);
    const auto connection = UnoConnection::open(place);
    if (!connection)
        return nullptr;
    app = UnoApplication::create(connection, nullptr);
    running->insert(place, app);
    return app;
}

struct OpenDocument {
    Reference<css::sheet::XSpreadsheetDocument> document;
    QString path; // empty for a document never stored
};

std::vector<OpenDocument> openDocuments(UnoConnection& connection) {
    return guarded(connection, "Workbooks", [&] {
        std::vector<OpenDocument> found;
        const auto all = connection.desktop()->getComponents()->createEnumeration();
        while (all->hasMoreElements()) {
            try {
                Reference<css::sheet::XSpreadsheetDocument> document(all->nextElement(), UNO_QUERY);
                if (!document.is())
                    continue;
                const QUrl url(fromOffice(
                    Reference<css::frame::XModel>(document, UNO_QUERY_THROW)->getURL()));
                found.push_back({document, url.isLocalFile() ? url.toLocalFile() : QString()});
            } catch (const css::uno::RuntimeException&) {
                // closed while being listed
            }
        }
        return found;
    });
}

bool sameFile(const QString& a, const QString& b) {
    const QFileInfo x(a);
    const QFileInfo y(b);
    return x.exists() && y.exists() ? x.canonicalFilePath() == y.canonicalFilePath()
                                    : x.absoluteFilePath() == y.absoluteFilePath();
}

// The open document loaded from path, or null.
Reference<css::sheet::XSpreadsheetDocument> documentFrom(UnoConnection& connection,
                                                         const QString& path) {
    for (const auto& open : openDocuments(connection)) {
        if (!open.path.isEmpty() && sameFile(open.path, path))
            return open.document;
    }
    return nullptr;
}

QString placeOr(const QString& place) {
    return place.isEmpty() ? UnoConnection::configuredPlace() : place;
}

} // namespace

void registerUnoProvider(const QString& place) {
    excel::registerApplicationProvider(
        QStringLiteral("uno"), 10,
        [place](const QString& argument) -> std::shared_ptr<excel::Application> {
            const auto app = applicationAt(placeOr(place));
            if (!app)
                return nullptr;
            const QString path = excel::workbookPathFromArgument(argument);
            if (path.isEmpty()) {
                // The document the user works in; an office with none open is not the host.
                const auto book = app->ActiveWorkbook();
                if (!book)
                    return nullptr;
                book->Activate();
                return app;
            }
            const auto document = documentFrom(app->connection(), path);
            if (!document.is())
                return nullptr;
            app->workbookFor(document)->Activate();
            return app;
        });
}

std::shared_ptr<excel::Application> attachToOffice(const QString& place,
                                                   const QString& document) {
    const QString where = placeOr(place);
    const auto app = applicationAt(where);
    if (!app)
        throw excel::Error(QStringLiteral("Office"),
                           QStringLiteral("No LibreOffice is listening at \"%1\". Start the "
                                          "analysis from Calc's Tools menu once (it makes the "
                                          "office listen), or start LibreOffice with "
                                          "--accept=\"%1;urp;\".")
                               .arg(where));
    const auto open = openDocuments(app->connection());
    if (document.isEmpty()) {
        const auto book = app->ActiveWorkbook();
        if (!book)
            throw excel::Error(QStringLiteral("Office"),
                               QStringLiteral("LibreOffice has no spreadsheet open."));
        book->Activate();
        return app;
    }
    for (const auto& candidate : open) {
        const bool byPath = document.contains(QLatin1Char('/')) && !candidate.path.isEmpty() &&
                            sameFile(candidate.path, document);
        const bool byName = !document.contains(QLatin1Char('/')) &&
                            app->workbookFor(candidate.document)
                                    ->Name()
                                    .compare(document, Qt::CaseInsensitive) == 0;
        if (byPath || byName) {
            app->workbookFor(candidate.document)->Activate();
            return app;
        }
    }
    QStringList names;
    for (const auto& candidate : open)
        names << QLatin1Char('"') + app->workbookFor(candidate.document)->Name() + QLatin1Char('"');
    throw excel::Error(QStringLiteral("Office"),
                       names.isEmpty()
                           ? QStringLiteral("LibreOffice has no spreadsheet open.")
                           : QStringLiteral("LibreOffice has no spreadsheet \"%1\" open; it has "
                                            "%2.")
                                 .arg(document, names.join(QStringLiteral(", "))));
}

} // namespace uno
