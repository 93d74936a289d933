#include "support/OfficeDocuments.h"

#include "engines/uno/UnoConnection.h"
#include "engines/uno/UnoSupport.h"

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/deployment/DeploymentException.hpp>
#include <com/sun/star/deployment/ExtensionManager.hpp>
#include <com/sun/star/frame/DispatchHelper.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/sheet/XSpreadsheetView.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/task/XAbortChannel.hpp>
#include <com/sun/star/task/XInteractionApprove.hpp>
#include <com/sun/star/task/XInteractionHandler.hpp>
#include <com/sun/star/ucb/XCommandEnvironment.hpp>
#include <com/sun/star/ucb/XProgressHandler.hpp>
#include <cppuhelper/implbase3.hxx>
#include <com/sun/star/ui/test/XUIObject.hpp>
#include <com/sun/star/ui/test/XUITest.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>
#include <com/sun/star/container/XHierarchicalNameAccess.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <QFileInfo>
#include <QThread>
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
    if (!link || link->lost() || !link->stillThere())
        link = UnoConnection::open(UnoConnection::configuredPlace());
    if (!link)
        throw std::runtime_error("no office listens at " +
                                 UnoConnection::configuredPlace().toStdString());
    return *link;
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

// What unopkg's -s does: every question of the installation (the office asks whether to install)
// is answered yes; progress is not shown.
class ApprovingEnvironment
    : public cppu::WeakImplHelper3<css::ucb::XCommandEnvironment, css::task::XInteractionHandler,
                                  css::ucb::XProgressHandler> {
public:
    Reference<css::task::XInteractionHandler> SAL_CALL getInteractionHandler() override {
        return this;
    }
    Reference<css::ucb::XProgressHandler> SAL_CALL getProgressHandler() override { return this; }
    void SAL_CALL handle(const Reference<css::task::XInteractionRequest>& request) override {
        for (const auto& continuation : request->getContinuations()) {
            const Reference<css::task::XInteractionApprove> approve(continuation, UNO_QUERY);
            if (approve.is()) {
                approve->select();
                return;
            }
        }
    }
    void SAL_CALL push(const Any&) override {}
    void SAL_CALL update(const Any&) override {}
    void SAL_CALL pop() override {}
};

} // namespace

void loadHidden(const QString& path) {
    const Reference<css::frame::XComponentLoader> loader(connection().desktop(), UNO_QUERY_THROW);
    Sequence<css::beans::PropertyValue> args(1);
    args.getArray()[0] = property("Hidden", Any(true));
    const auto document = loader->loadComponentFromURL(urlOf(path), "_blank", 0, args);
    ASSERT_TRUE(document.is()) << "the office did not load " << path.toStdString();
}

void loadOnScreen(const QString& path) {
    const Reference<css::frame::XComponentLoader> loader(connection().desktop(), UNO_QUERY_THROW);
    const auto document =
        loader->loadComponentFromURL(urlOf(path), "_default", 0, Sequence<css::beans::PropertyValue>());
    ASSERT_TRUE(document.is()) << "the office did not load " << path.toStdString();
}

void addExtension(const QString& oxt) {
    try {
        const auto manager = css::deployment::ExtensionManager::get(connection().context());
        const auto added = manager->addExtension(
            urlOf(oxt), Sequence<css::beans::NamedValue>(), "user",
            Reference<css::task::XAbortChannel>(), new ApprovingEnvironment);
        ASSERT_TRUE(added.is()) << "the office did not add " << oxt.toStdString();
    } catch (const css::deployment::DeploymentException& e) {
        css::uno::Exception cause;
        e.Cause >>= cause;
        FAIL() << "the office did not add " << oxt.toStdString() << ": "
               << fromOffice(e.Message).toStdString() << " (" << fromOffice(cause.Message).toStdString()
               << ")";
    } catch (const css::uno::Exception& e) {
        FAIL() << "the office did not add " << oxt.toStdString() << ": "
               << fromOffice(e.Message).toStdString();
    }
}

void select(const QString& path, const QString& reference) {
    const auto model = openDocument(path);
    ASSERT_TRUE(model.is());
    const Reference<css::sheet::XSpreadsheetView> view(model->getCurrentController(), UNO_QUERY_THROW);
    const Reference<css::table::XCellRange> sheet(view->getActiveSheet(), UNO_QUERY_THROW);
    Reference<css::view::XSelectionSupplier>(view, UNO_QUERY_THROW)
        ->select(Any(sheet->getCellRangeByName(toOffice(reference))));
}

void zoom(const QString& path, int percent) {
    const auto model = openDocument(path);
    ASSERT_TRUE(model.is());
    const Reference<css::beans::XPropertySet> view(model->getCurrentController(), UNO_QUERY_THROW);
    view->setPropertyValue("ZoomType", Any(sal_Int16(3))); // by value
    view->setPropertyValue("ZoomValue", Any(sal_Int16(percent)));
}

void answerRangeSelection(const QString& prompt, const QString& reference) {
    // Through the office's own driver of its windows (the one its interface tests use).
    const Reference<css::ui::test::XUITest> ui(
        connection().factory()->createInstanceWithContext("com.sun.star.ui.test.UITest",
                                                          connection().context()),
        UNO_QUERY_THROW);
    Reference<css::ui::test::XUIObject> bar;
    for (int tries = 0; tries < 300 && !bar.is(); ++tries) {
        QThread::msleep(100);
        const auto top = ui->getTopFocusWindow();
        if (!top.is())
            continue;
        for (const auto& state : top->getState()) {
            rtl::OUString text;
            if (state.Name == "Text" && (state.Value >>= text) && fromOffice(text).contains(prompt))
                bar = top;
        }
    }
    ASSERT_TRUE(bar.is()) << "the office's range bar did not show";
    if (!reference.isEmpty()) {
        Sequence<css::beans::PropertyValue> typed(1);
        typed.getArray()[0] = property("TEXT", Any(toOffice(reference)));
        bar->getChild("assign")->executeAction("TYPE", typed);
    }
    bar->getChild(rtl::OUString::createFromAscii(reference.isEmpty() ? "cancel" : "ok"))
        ->executeAction("CLICK", Sequence<css::beans::PropertyValue>());
}

QString setting(const QString& node, const QString& path) {
    const Reference<css::lang::XMultiServiceFactory> provider(
        connection().factory()->createInstanceWithContext(
            "com.sun.star.configuration.ConfigurationProvider", connection().context()),
        UNO_QUERY_THROW);
    css::beans::NamedValue where;
    where.Name = "nodepath";
    where.Value <<= toOffice(node);
    Sequence<Any> arguments(1);
    arguments.getArray()[0] <<= where;
    const Reference<css::container::XHierarchicalNameAccess> access(
        provider->createInstanceWithArguments("com.sun.star.configuration.ConfigurationAccess",
                                              arguments),
        UNO_QUERY_THROW);
    if (!access->hasByHierarchicalName(toOffice(path)))
        return {};
    rtl::OUString value;
    access->getByHierarchicalName(toOffice(path)) >>= value;
    return fromOffice(value);
}

void dispatch(const QString& path, const QString& url) {
    const auto model = openDocument(path);
    ASSERT_TRUE(model.is());
    const Reference<css::frame::XDispatchProvider> frame(model->getCurrentController()->getFrame(),
                                                         UNO_QUERY_THROW);
    css::frame::DispatchHelper::create(connection().context())
        ->executeDispatch(frame, toOffice(url), "", 0, Sequence<css::beans::PropertyValue>());
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
