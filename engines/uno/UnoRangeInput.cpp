// The range input box over the office: the user picks the range in the office's own window, in
// its range selection mode (the small bar with the prompt that the office's dialogs use), and
// the program waits for the answer without blocking its own windows.

#include "engines/uno/UnoApplication.h"
#include "engines/uno/UnoSupport.h"
#include "engines/uno/UnoWorkbook.h"
#include "engines/uno/UnoWorksheet.h"

#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/XRangeSelection.hpp>
#include <com/sun/star/sheet/XRangeSelectionListener.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <cppuhelper/implbase1.hxx>
#include <rtl/ref.hxx>

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <mutex>

namespace uno {

namespace {

// Hears how the range selection ended; the office calls it on a thread of the connection.
class RangeListener : public cppu::WeakImplHelper1<css::sheet::XRangeSelectionListener> {
public:
    enum class State { Waiting, Done, Aborted };

    void SAL_CALL done(const css::sheet::RangeSelectionEvent& event) override {
        const std::lock_guard lock(m_mutex);
        m_descriptor = fromOffice(event.RangeDescriptor);
        m_state = State::Done;
    }
    void SAL_CALL aborted(const css::sheet::RangeSelectionEvent&) override {
        const std::lock_guard lock(m_mutex);
        m_state = State::Aborted;
    }
    void SAL_CALL disposing(const css::lang::EventObject&) override {
        const std::lock_guard lock(m_mutex);
        if (m_state == State::Waiting)
            m_state = State::Aborted;
    }

    State state(QString* descriptor) const {
        const std::lock_guard lock(m_mutex);
        if (descriptor)
            *descriptor = m_descriptor;
        return m_state;
    }

private:
    mutable std::mutex m_mutex;
    State m_state = State::Waiting;
    QString m_descriptor;
};

} // namespace

std::optional<excel::Range> UnoApplication::pickRange(const QString& prompt, const QString& title) {
    const auto book = std::static_pointer_cast<UnoWorkbook>(ActiveWorkbook());
    if (!book)
        throw excel::Error(QStringLiteral("InputBox"),
                           QStringLiteral("LibreOffice has no spreadsheet open."));
    const Reference<css::frame::XModel> model(book->document(), UNO_QUERY_THROW);
    const rtl::Reference<RangeListener> listener(new RangeListener);
    const Reference<css::sheet::XRangeSelection> selection = guarded(*m_connection, "InputBox", [&] {
        // A document loaded without a window (hidden) has a controller but nowhere to pick in.
        const auto controller = model->getCurrentController();
        const Reference<css::sheet::XRangeSelection> picker(controller, UNO_QUERY);
        const auto window = controller.is() ? controller->getFrame()->getContainerWindow() : nullptr;
        const Reference<css::awt::XWindow2> shown(window, UNO_QUERY);
        if (!picker.is() || !shown.is() || !shown->isVisible())
            throw excel::Error(QStringLiteral("InputBox"),
                               QStringLiteral("the document \"%1\" has no window to pick a range in")
                                   .arg(book->Name()));
        picker->addRangeSelectionListener(Reference<css::sheet::XRangeSelectionListener>(listener.get()));
        // The user answers in the office's window: it comes to the front.
        const Reference<css::awt::XTopWindow> top(window, UNO_QUERY);
        if (top.is())
            top->toFront();
        Sequence<css::beans::PropertyValue> arguments(3);
        arguments.getArray()[0] =
            property("Title", Any(toOffice(title.isEmpty() ? prompt : title + QStringLiteral(": ") + prompt)));
        arguments.getArray()[1] = property("CloseOnMouseRelease", Any(false));
        arguments.getArray()[2] = property("SingleCellMode", Any(false));
        picker->startRangeSelection(arguments);
        return picker;
    });

    // Waits with this program's windows still drawn (without an application object, as in a
    // command, it sleeps); the office gone ends the wait.
    const auto waitingOn = [&](int ticks) {
        if (listener->state(nullptr) != RangeListener::State::Waiting)
            return false;
        return ticks % 20 != 0 || m_connection->stillThere();
    };
    if (QCoreApplication::instance()) {
        QEventLoop loop;
        QTimer poll;
        int ticks = 0;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (!waitingOn(++ticks))
                loop.quit();
        });
        poll.start(50);
        loop.exec();
    } else {
        for (int ticks = 1; waitingOn(ticks); ++ticks)
            QThread::msleep(50);
    }
    QString descriptor;
    const auto state = listener->state(&descriptor);
    if (state == RangeListener::State::Waiting) // only an office gone ends the wait so
        throw excel::HostGone(QStringLiteral("InputBox"), UnoConnection::lostMessage());
    try {
        selection->removeRangeSelectionListener(Reference<css::sheet::XRangeSelectionListener>(listener.get()));
    } catch (const css::uno::Exception&) {
    }
    if (state != RangeListener::State::Done || descriptor.isEmpty())
        return std::nullopt;

    // The office describes the range as its formulas write it ("$'Defect log'.$C$1:$C$200").
    return guarded(*m_connection, "InputBox", [&]() -> std::optional<excel::Range> {
        const Reference<css::lang::XMultiServiceFactory> factory(book->document(), UNO_QUERY_THROW);
        const Reference<css::beans::XPropertySet> conversion(
            factory->createInstance("com.sun.star.table.CellRangeAddressConversion"), UNO_QUERY_THROW);
        css::table::CellRangeAddress address;
        try {
            conversion->setPropertyValue("UserInterfaceRepresentation", Any(toOffice(descriptor)));
            conversion->getPropertyValue("Address") >>= address;
        } catch (const css::lang::IllegalArgumentException&) {
            throw excel::Error(QStringLiteral("InputBox"),
                               QStringLiteral("\"%1\" is not one block of cells; pick one block.")
                                   .arg(descriptor));
        }
        const Reference<css::container::XIndexAccess> sheets(book->document()->getSheets(),
                                                             UNO_QUERY_THROW);
        const Reference<css::sheet::XSpreadsheet> sheet(sheets->getByIndex(address.Sheet),
                                                        UNO_QUERY_THROW);
        return excel::Range(book->sheetFor(sheet), QVector<excel::CellRect>{rectOf(address)});
    });
}

} // namespace uno
