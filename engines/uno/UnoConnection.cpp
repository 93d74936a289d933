#include "engines/uno/UnoConnection.h"

#include "engines/uno/UnoSupport.h"

#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <cppuhelper/bootstrap.hxx>

#include <QThread>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace uno {

namespace {

// The office's runtime in this process, started once and kept to the end (never released: the
// runtime is gone by the time static objects are destroyed). Without URE_BOOTSTRAP the runtime
// knows none of the office's types, and the first call that needs one fails inside the bridge.
Reference<css::uno::XComponentContext> localContext() {
    static const auto* context = new Reference<css::uno::XComponentContext>([] {
        ::setenv("URE_BOOTSTRAP",
                 "vnd.sun.star.pathname:" TALLYVANE_OFFICE_PROGRAM_DIR "/fundamentalrc", 0);
        try {
            return cppu::defaultBootstrap_InitialComponentContext();
        } catch (const css::uno::Exception&) {
            return Reference<css::uno::XComponentContext>();
        }
    }());
    return *context;
}

// Ends the bridges to the office as the process ends, before the runtime's libraries are torn
// down: a bridge's reader thread would otherwise go on handling the office's last messages while
// their static data is destroyed, and the process crashed there now and then after its work was
// done. Disposing a bridge stops and joins its threads; the office sees the connection close.
void endBridges() {
    try {
        const auto bridges =
            css::bridge::BridgeFactory::create(localContext())->getExistingBridges();
        for (const auto& bridge : bridges) {
            const Reference<css::lang::XComponent> component(bridge, UNO_QUERY);
            if (component.is())
                component->dispose();
        }
    } catch (const css::uno::Exception&) {
        // Nothing more can be done at exit.
    }
}

// The watchdog of the calls into the office: while a call runs, a thread of its own waits for
// the limit to pass without a call beginning or ending, and then cuts every connection to the
// office, which ends the waiting call with an error. A stopped office would otherwise keep the
// program waiting for ever.
struct Watchdog {
    std::mutex mutex;
    std::condition_variable wake;
    int depth = 0;
    std::chrono::steady_clock::time_point lastProgress;
    int limitSeconds = 30;
    quint64 cuts = 0;
    bool started = false;
};

Watchdog& watchdog() {
    static auto* w = new Watchdog; // never destroyed: its thread may outlive static objects
    return *w;
}

void watch() {
    Watchdog& w = watchdog();
    std::unique_lock<std::mutex> lock(w.mutex);
    for (;;) {
        if (w.depth == 0) {
            w.wake.wait(lock);
            continue;
        }
        const auto deadline = w.lastProgress + std::chrono::seconds(w.limitSeconds);
        if (std::chrono::steady_clock::now() < deadline) {
            w.wake.wait_until(lock, deadline);
            continue;
        }
        ++w.cuts;
        w.lastProgress = std::chrono::steady_clock::now();
        lock.unlock();
        endBridges();
        lock.lock();
    }
}

int limitFromEnvironment(int fallback) {
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("TALLYVANE_UNO_TIMEOUT", &ok);
    return ok && seconds > 0 ? seconds : fallback;
}

} // namespace

int UnoConnection::callLimitSeconds() {
    return limitFromEnvironment(30);
}

int UnoConnection::connectLimitSeconds() {
    return limitFromEnvironment(10);
}

QString UnoConnection::notAnsweringMessage() {
    return QStringLiteral("LibreOffice did not answer (it may be stopped or hung); this program "
                          "gave up after waiting %1 seconds and closed the connection.")
        .arg(callLimitSeconds());
}

UnoConnection::Call::Call(int limitSeconds) {
    Watchdog& w = watchdog();
    const std::lock_guard<std::mutex> lock(w.mutex);
    if (!w.started) {
        std::thread(watch).detach();
        w.started = true;
    }
    m_generation = w.cuts;
    m_outerLimit = w.limitSeconds;
    w.limitSeconds = limitSeconds;
    ++w.depth;
    w.lastProgress = std::chrono::steady_clock::now();
    w.wake.notify_all();
}

UnoConnection::Call::~Call() {
    Watchdog& w = watchdog();
    const std::lock_guard<std::mutex> lock(w.mutex);
    --w.depth;
    w.limitSeconds = m_outerLimit;
    w.lastProgress = std::chrono::steady_clock::now();
    w.wake.notify_all();
}

bool UnoConnection::Call::timedOut() const {
    Watchdog& w = watchdog();
    const std::lock_guard<std::mutex> lock(w.mutex);
    return w.cuts != m_generation;
}

QString UnoConnection::configuredPlace() {
    const QString place = qEnvironmentVariable("TALLYVANE_UNO_CONNECT").trimmed();
    return place.isEmpty() ? QStringLiteral("pipe,name=tallyvane") : place;
}

std::shared_ptr<UnoConnection> UnoConnection::open(const QString& place) {
    const auto local = localContext();
    if (!local.is())
        return nullptr;
    QString url = place;
    if (!url.startsWith(QLatin1String("uno:")))
        url = QStringLiteral("uno:%1;urp;StarOffice.ComponentContext").arg(place);
    // Nobody listening is known at once; an office that listens but is busy (closing a
    // document, starting) can refuse a moment, and is asked again a few times. One that does not
    // answer at all (stopped) is given up.
    const Call call(connectLimitSeconds());
    for (int attempt = 0; attempt < 5; ++attempt) {
        try {
            const auto resolver = css::bridge::UnoUrlResolver::create(local);
            Reference<css::uno::XComponentContext> remote(resolver->resolve(toOffice(url)),
                                                          UNO_QUERY);
            if (!remote.is())
                return nullptr;
            // Registered after the runtime started, so run before its libraries go.
            static const bool ending = std::atexit(endBridges) == 0;
            Q_UNUSED(ending);
            auto connection = std::make_shared<UnoConnection>();
            connection->m_place = place;
            connection->m_context = remote;
            connection->m_desktop = css::frame::Desktop::create(remote);
            return connection;
        } catch (const css::connection::NoConnectException&) {
            return nullptr;
        } catch (const css::uno::Exception&) {
            if (call.timedOut())
                throw excel::HostGone(
                    QStringLiteral("Office"),
                    QStringLiteral("LibreOffice listens at \"%1\" but did not answer within %2 "
                                   "seconds (it may be stopped or hung).")
                        .arg(place)
                        .arg(connectLimitSeconds()));
            QThread::msleep(200);
        }
    }
    return nullptr;
}

Reference<css::lang::XMultiComponentFactory> UnoConnection::factory() const {
    return m_context->getServiceManager();
}

Reference<css::sheet::XFunctionAccess> UnoConnection::functions() {
    if (!m_functions.is())
        m_functions.set(factory()->createInstanceWithContext("com.sun.star.sheet.FunctionAccess",
                                                             m_context),
                        UNO_QUERY_THROW);
    return m_functions;
}

void UnoConnection::throwIfLost(const QString& member) const {
    if (m_lost)
        throw excel::HostGone(member, QStringLiteral("The spreadsheet is gone: LibreOffice closed "
                                                  "the connection. Open the workbook in "
                                                  "LibreOffice and start the analysis again."));
}

bool UnoConnection::stillThere() {
    if (m_lost)
        return false;
    const Call call;
    try {
        m_desktop->getCurrentComponent();
        return true;
    } catch (const css::uno::Exception&) {
        m_lost = true;
        return false;
    }
}

} // namespace uno
