#include "app/Class1.h"

#include "app/Startup.h"

#include <QDBusConnection>

Class1::Class1(Startup& startup, QString argument, QObject* parent)
    : QObject(parent)
    , m_startup(startup)
    , m_argument(std::move(argument)) {}

bool Class1::publish() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    if (!bus.registerService(QStringLiteral("org.tallyvane.Tallyvane")))
        return false;
    return bus.registerObject(QStringLiteral("/Class1"), this,
                              QDBusConnection::ExportScriptableSlots);
}

QDBusVariant Class1::Merge(const QDBusVariant& ooo) {
    const QDBusVariant copy = ooo;
    Q_UNUSED(copy);
    m_startup.Main(m_argument);
    // Nothing to return; the bus cannot carry a variant without a value, so it holds "".
    return QDBusVariant(QVariant(QString()));
}
