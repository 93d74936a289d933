#pragma once
// Sets the default locale for the life of one test and puts the previous one back.

#include <QLocale>

namespace testsupport {

class LocaleGuard {
public:
    explicit LocaleGuard(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleGuard() { QLocale::setDefault(m_previous); }
    LocaleGuard(const LocaleGuard&) = delete;
    LocaleGuard& operator=(const LocaleGuard&) = delete;

private:
    QLocale m_previous;
};

} // namespace testsupport
