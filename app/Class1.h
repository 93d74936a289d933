#pragma once
// The program's automation class on the session bus: another process calls Merge to run the
// start-up dispatch in this running instance, which then reuses its windows.

#include <QDBusVariant>
#include <QObject>
#include <QString>

class Startup;

class Class1 : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.tallyvane.Class1")

public:
    Class1(Startup& startup, QString argument, QObject* parent = nullptr);

    // Offers the object on the session bus; false (and nothing said) when there is no bus or
    // another instance holds the name.
    bool publish();

public slots:
    // ooo is taken and otherwise ignored: the dispatch reads this process's own argument string.
    Q_SCRIPTABLE QDBusVariant Merge(const QDBusVariant& ooo);

private:
    Startup& m_startup;
    QString m_argument;
};
