#include "engines/uno/UnoWorkbook.h"

#include "engines/uno/UnoApplication.h"
#include "engines/uno/UnoWorksheet.h"

#include <com/sun/star/beans/PropertyAttribute.hpp>
#include <com/sun/star/beans/XPropertyContainer.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/document/XDocumentProperties.hpp>
#include <com/sun/star/document/XDocumentPropertiesSupplier.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/frame/XTitle.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/util/Date.hpp>
#include <com/sun/star/util/XModifiable.hpp>

#include <QDate>
#include <QFileInfo>
#include <QUrl>

namespace uno {

UnoWorkbook::UnoWorkbook(std::weak_ptr<UnoApplication> app,
                         std::shared_ptr<UnoConnection> connection,
                         Reference<css::sheet::XSpreadsheetDocument> document)
    : m_app(std::move(app))
    , m_connection(std::move(connection))
    , m_document(std::move(document)) {}

QString UnoWorkbook::filePath() const {
    return guarded(*m_connection, "FullName", [&] {
        const Reference<css::frame::XModel> model(m_document, UNO_QUERY_THROW);
        const QUrl url(fromOffice(model->getURL()));
        return url.isLocalFile() ? url.toLocalFile() : QString();
    });
}

void UnoWorkbook::Save() {
    if (filePath().isEmpty())
        throw excel::Error(QStringLiteral("Save"),
                           QStringLiteral("The workbook \"%1\" has no file yet; save it under a "
                                          "name with Save As.")
                               .arg(Name()));
    guarded(*m_connection, "Save",
            [&] { Reference<css::frame::XStorable>(m_document, UNO_QUERY_THROW)->store(); });
}

void UnoWorkbook::SaveAs(const QString& fileName) {
    const QFileInfo target(fileName);
    const QString suffix = target.suffix().toLower();
    const char* filter = suffix == QLatin1String("ods")   ? "calc8"
                         : suffix == QLatin1String("csv") ? "Text - txt - csv (StarCalc)"
                                                          : "Calc Office Open XML";
    guarded(*m_connection, "SaveAs", [&] {
        Sequence<css::beans::PropertyValue> arguments(2);
        arguments.getArray()[0] =
            property("FilterName", Any(rtl::OUString::createFromAscii(filter)));
        arguments.getArray()[1] = property("Overwrite", Any(true));
        Reference<css::frame::XStorable>(m_document, UNO_QUERY_THROW)
            ->storeAsURL(toOffice(QUrl::fromLocalFile(target.absoluteFilePath()).toString()),
                         arguments);
    });
}

bool UnoWorkbook::Saved() const {
    return guarded(*m_connection, "Saved", [&] {
        const Reference<css::util::XModifiable> modifiable(m_document, UNO_QUERY);
        return !modifiable.is() || !modifiable->isModified();
    });
}

namespace {

Reference<css::beans::XPropertyContainer> customProperties(
    const Reference<css::sheet::XSpreadsheetDocument>& document) {
    return Reference<css::document::XDocumentPropertiesSupplier>(document, UNO_QUERY_THROW)
        ->getDocumentProperties()
        ->getUserDefinedProperties();
}

} // namespace

QString UnoWorkbook::programSetting(const QString& name) const {
    return guarded(*m_connection, "programSetting", [&]() -> QString {
        const Reference<css::beans::XPropertySet> properties(customProperties(m_document),
                                                             UNO_QUERY_THROW);
        const rtl::OUString key = toOffice(name);
        if (!properties->getPropertySetInfo()->hasPropertyByName(key))
            return {};
        rtl::OUString value;
        properties->getPropertyValue(key) >>= value;
        return fromOffice(value);
    });
}

void UnoWorkbook::setProgramSetting(const QString& name, const QString& value) {
    guarded(*m_connection, "setProgramSetting", [&] {
        const Reference<css::util::XModifiable> modifiable(m_document, UNO_QUERY);
        const bool unchanged = modifiable.is() && !modifiable->isModified();
        const auto container = customProperties(m_document);
        const Reference<css::beans::XPropertySet> properties(container, UNO_QUERY_THROW);
        const rtl::OUString key = toOffice(name);
        if (properties->getPropertySetInfo()->hasPropertyByName(key))
            properties->setPropertyValue(key, Any(toOffice(value)));
        else
            container->addProperty(key, css::beans::PropertyAttribute::REMOVABLE,
                                   Any(toOffice(value)));
        if (unchanged)
            modifiable->setModified(false);
    });
}

QString UnoWorkbook::Name() const {
    const QString path = filePath();
    if (!path.isEmpty())
        return QFileInfo(path).fileName();
    return guarded(*m_connection, "Name", [&]() -> QString {
        const Reference<css::frame::XTitle> title(m_document, UNO_QUERY);
        return title.is() ? fromOffice(title->getTitle()) : QStringLiteral("Untitled");
    });
}

Reference<css::frame::XController> UnoWorkbook::controller() const {
    return guarded(*m_connection, "Windows", [&] {
        const Reference<css::frame::XModel> model(m_document, UNO_QUERY_THROW);
        return model->getCurrentController();
    });
}

void UnoWorkbook::Activate() {
    guarded(*m_connection, "Activate", [&] {
        const auto view = controller();
        if (view.is() && view->getFrame().is())
            view->getFrame()->activate();
    });
    if (const auto app = m_app.lock())
        app->attachTo(this);
}

std::shared_ptr<excel::Worksheet> UnoWorkbook::ActiveSheet() {
    return guarded(*m_connection, "ActiveSheet", [&]() -> std::shared_ptr<excel::Worksheet> {
        const Reference<css::sheet::XSpreadsheetView> view(controller(), UNO_QUERY);
        if (view.is())
            return sheetFor(view->getActiveSheet());
        return sheetAt(1);
    });
}

Reference<css::container::XIndexAccess> UnoWorkbook::sheets() const {
    return Reference<css::container::XIndexAccess>(m_document->getSheets(), UNO_QUERY_THROW);
}

int UnoWorkbook::sheetCount() const {
    return guarded(*m_connection, "Sheets", [&] { return int(sheets()->getCount()); });
}

std::shared_ptr<excel::Worksheet> UnoWorkbook::sheetAt(int index) const {
    return guarded(*m_connection, "Sheets", [&]() -> std::shared_ptr<excel::Worksheet> {
        const auto all = sheets();
        if (index < 1 || index > all->getCount())
            return nullptr;
        return sheetFor(Reference<css::sheet::XSpreadsheet>(all->getByIndex(index - 1),
                                                            UNO_QUERY_THROW));
    });
}

std::shared_ptr<UnoWorksheet>
UnoWorkbook::sheetFor(const Reference<css::sheet::XSpreadsheet>& sheet) const {
    // The office hands out a new object for a sheet each time it is asked: a sheet is known by
    // its place in the tabs, which the cached sheets are asked for now (they may have moved).
    const sal_Int16 index = indexOf(sheet);
    for (const auto& s : m_sheets) {
        try {
            if (indexOf(s->sheet()) == index)
                return s;
        } catch (const css::uno::RuntimeException&) {
            // A sheet deleted in the office: its object no longer answers.
        }
    }
    auto self = std::static_pointer_cast<UnoWorkbook>(
        std::const_pointer_cast<excel::Workbook>(shared_from_this()));
    m_sheets.push_back(std::make_shared<UnoWorksheet>(self, m_connection, sheet));
    return m_sheets.back();
}

sal_Int16 UnoWorkbook::indexOf(const Reference<css::sheet::XSpreadsheet>& sheet) const {
    const Reference<css::sheet::XCellRangeAddressable> addressable(sheet, UNO_QUERY_THROW);
    return addressable->getRangeAddress().Sheet;
}

std::shared_ptr<excel::Worksheet> UnoWorkbook::insertWorksheet(int index, const QString& name) {
    guarded(*m_connection, "Add", [&] {
        m_document->getSheets()->insertNewByName(toOffice(name), sal_Int16(index - 1));
    });
    return sheetAt(index);
}

void UnoWorkbook::moveSheet(const excel::Worksheet* sheet, int index) {
    const auto* own = dynamic_cast<const UnoWorksheet*>(sheet);
    if (!own)
        throw excel::Error(QStringLiteral("Move"),
                           QStringLiteral("the sheet belongs to another workbook"));
    guarded(*m_connection, "Move", [&] {
        // The office counts the destination with the sheet still in its place.
        const int from = indexOf(own->sheet());
        const int to = index - 1 <= from ? index - 1 : index;
        m_document->getSheets()->moveByName(toOffice(own->Name()), sal_Int16(to));
    });
}

Reference<css::beans::XPropertySet> UnoWorkbook::defaultCellStyle() const {
    const Reference<css::style::XStyleFamiliesSupplier> families(m_document, UNO_QUERY_THROW);
    const Reference<css::container::XNameAccess> cellStyles(
        families->getStyleFamilies()->getByName("CellStyles"), UNO_QUERY_THROW);
    return Reference<css::beans::XPropertySet>(cellStyles->getByName("Default"), UNO_QUERY);
}

QString UnoWorkbook::standardFontName() const {
    try {
        return guarded(*m_connection, "StandardFont", [&] {
            rtl::OUString name;
            defaultCellStyle()->getPropertyValue("CharFontName") >>= name;
            return fromOffice(name);
        });
    } catch (const excel::HostGone&) {
        throw;
    } catch (const excel::Error&) {
        return {};
    }
}

double UnoWorkbook::standardFontSize() const {
    try {
        return guarded(*m_connection, "StandardFontSize", [&] {
            float size = 0;
            defaultCellStyle()->getPropertyValue("CharHeight") >>= size;
            return double(size);
        });
    } catch (const excel::HostGone&) {
        throw;
    } catch (const excel::Error&) {
        return 0;
    }
}

double UnoWorkbook::nullDateOffset() const {
    if (!m_nullDateOffset) {
        m_nullDateOffset = guarded(*m_connection, "Value", [&] {
            const Reference<css::beans::XPropertySet> settings(m_document, UNO_QUERY_THROW);
            css::util::Date day(30, 12, 1899);
            settings->getPropertyValue("NullDate") >>= day;
            return double(QDate(1899, 12, 30).daysTo(QDate(day.Year, day.Month, day.Day)));
        });
    }
    return *m_nullDateOffset;
}

} // namespace uno
