#include "OfficeDocuments.h"

#include "excel/uno/UnoConnection.h"
#include "excel/uno/UnoSupport.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <QFileInfo>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>

namespace testsupport::office {

namespace {

using namespace uno;

UnoConnection& connection() {
    // Kept to the end of the process, as the backend keeps its own (see UnoHost).
    static auto* held = new std::shared_ptr<UnoConnection>;
    auto& link = *held;
    if (!link || link->lost())
        link = UnoConnection::open(UnoConnection::configuredPlace());
    if (!link)
        throw std::runtime_error("no office listens at " +
                                 UnoConnection::configuredPlace().toStdString());
    return *link;
}

css::beans::PropertyValue property(const char* name, Any value) {
    css::beans::PropertyValue p;
    p.Name = rtl::OUString::createFromAscii(name);
    p.Value = std::move(value);
    return p;
}

rtl::OUString urlOf(const QString& path) {
    return toOffice(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded));
}

Reference<css::frame::XModel> openDocument(const QString& path) {
    const QString wanted = QFileInfo(path).absoluteFilePath();
    const auto all = connection().desktop()->getComponents()->createEnumeration();
    while (all->hasMoreElements()) {
        const Reference<css::frame::XModel> model(all->nextElement(), UNO_QUERY);
        if (model.is() && QUrl(fromOffice(model->getURL())).toLocalFile() == wanted)
            return model;
    }
    return nullptr;
}

} // namespace

void loadHidden(const QString& path) {
    const Reference<css::frame::XComponentLoader> loader(connection().desktop(), UNO_QUERY_THROW);
    Sequence<css::beans::PropertyValue> args(1);
    args.getArray()[0] = property("Hidden", Any(true));
    const auto document = loader->loadComponentFromURL(urlOf(path), "_blank", 0, args);
    ASSERT_TRUE(document.is()) << "the office did not load " << path.toStdString();
}

void storeAs(const QString& path, const QString& target) {
    const Reference<css::frame::XStorable> storable(openDocument(path), UNO_QUERY_THROW);
    Sequence<css::beans::PropertyValue> args(2);
    args.getArray()[0] = property("FilterName", Any(rtl::OUString("Calc MS Excel 2007 XML")));
    args.getArray()[1] = property("Overwrite", Any(true));
    storable->storeToURL(urlOf(target), args);
}

void close(const QString& path) {
    try {
        const Reference<css::util::XCloseable> closeable(openDocument(path), UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
    } catch (const std::exception&) {
    } catch (const css::uno::Exception&) {
    }
}

} // namespace testsupport::office
