#pragma once
// The link to a running office over its UNO connection: found through the URL resolver on a
// named pipe or a socket, with the office's desktop and its worksheet functions. Once the office
// has gone, every later call says so instead of waiting on a dead bridge.

#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/XMultiComponentFactory.hpp>
#include <com/sun/star/sheet/XFunctionAccess.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>

#include <QString>
#include <memory>

namespace uno {

class UnoConnection {
public:
    // Where the program looks for the office: TALLYVANE_UNO_CONNECT when set ("pipe,name=X" or
    // "socket,host=H,port=N"), otherwise the pipe "tallyvane".
    static QString configuredPlace();
    // The connection to the office listening at place, or null when none listens there (or the
    // office's runtime cannot start in this process).
    static std::shared_ptr<UnoConnection> open(const QString& place);
    static QString lostMessage() { return QStringLiteral("LibreOffice closed the connection."); }

    const QString& place() const { return m_place; }
    com::sun::star::uno::Reference<com::sun::star::uno::XComponentContext> context() const {
        return m_context;
    }
    com::sun::star::uno::Reference<com::sun::star::frame::XDesktop2> desktop() const {
        return m_desktop;
    }
    com::sun::star::uno::Reference<com::sun::star::lang::XMultiComponentFactory> factory() const;
    // The office's worksheet functions (made on first use).
    com::sun::star::uno::Reference<com::sun::star::sheet::XFunctionAccess> functions();

    // How long one call into the office may take, in seconds: TALLYVANE_UNO_TIMEOUT where set,
    // else 30 (10 for reaching the office at all). Past it the office counts as not answering
    // (stopped, or hung): the connection is cut, which ends the waiting call, and later calls
    // say the spreadsheet is gone.
    static int callLimitSeconds();
    static int connectLimitSeconds();
    static QString notAnsweringMessage();

    bool lost() const { return m_lost; }
    // Raises the error that says the office is gone, for a member called after it went.
    void throwIfLost(const QString& member) const;
    // A cheap call that fails when the office is gone; the connection is lost from then on.
    bool stillThere();

    // Times one call (or a group of calls) into the office: while one runs, a watchdog cuts
    // every connection to the office when no call has begun or ended for the limit.
    class Call {
    public:
        explicit Call(int limitSeconds = callLimitSeconds());
        ~Call();
        Call(const Call&) = delete;
        Call& operator=(const Call&) = delete;
        // Whether the watchdog cut the connections since this call began.
        bool timedOut() const;

    private:
        quint64 m_generation;
        int m_outerLimit;
    };

private:
    QString m_place;
    com::sun::star::uno::Reference<com::sun::star::uno::XComponentContext> m_context;
    com::sun::star::uno::Reference<com::sun::star::frame::XDesktop2> m_desktop;
    com::sun::star::uno::Reference<com::sun::star::sheet::XFunctionAccess> m_functions;
    bool m_lost = false;
};

} // namespace uno
