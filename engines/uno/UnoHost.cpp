#include "engines/uno/UnoHost.h"

#include "engines/uno/UnoApplication.h"
#include "engines/uno/UnoSupport.h"
#include "engines/uno/UnoWorkbook.h"
#include "excel/RunningApplications.h"


#include <QFileInfo>
#include <QHash>

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

bool sameFile(const QString& a, const QString& b) {
    const QFileInfo x(a);
    const QFileInfo y(b);
    return x.exists() && y.exists() ? x.canonicalFilePath() == y.canonicalFilePath()
                                    : x.absoluteFilePath() == y.absoluteFilePath();
}

// The open workbook loaded from path, or null.
std::shared_ptr<UnoWorkbook> workbookFrom(const UnoApplication& app, const QString& path) {
    for (const auto& book : app.openWorkbooks()) {
        const QString file = book->filePath();
        if (!file.isEmpty() && sameFile(file, path))
            return book;
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
            const auto book = workbookFrom(*app, path);
            if (!book)
                return nullptr;
            book->Activate();
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
    if (document.isEmpty()) {
        const auto book = app->ActiveWorkbook();
        if (!book)
            throw excel::Error(QStringLiteral("Office"),
                               QStringLiteral("LibreOffice has no spreadsheet open."));
        book->Activate();
        return app;
    }
    // A path names the file the document was loaded from; a plain name, the document's name.
    const auto open = app->openWorkbooks();
    std::shared_ptr<UnoWorkbook> found;
    if (document.contains(QLatin1Char('/'))) {
        found = workbookFrom(*app, document);
    } else {
        for (const auto& book : open) {
            if (book->Name().compare(document, Qt::CaseInsensitive) == 0)
                found = found ? found : book;
        }
    }
    if (found) {
        found->Activate();
        return app;
    }
    QStringList names;
    for (const auto& book : open)
        names << QLatin1Char('"') + book->Name() + QLatin1Char('"');
    throw excel::Error(QStringLiteral("Office"),
                       names.isEmpty()
                           ? QStringLiteral("LibreOffice has no spreadsheet open.")
                           : QStringLiteral("LibreOffice has no spreadsheet \"%1\" open; it has "
                                            "%2.")
                                 .arg(document, names.join(QStringLiteral(", "))));
}

} // namespace uno
