#pragma once
// What every part of the office backend needs: text between Qt and the office, cell blocks
// between the object model's numbering (from 1) and the office's (from 0), and one place where
// a failed call into the office becomes an excel::Error the user can read.

#include "engines/uno/UnoConnection.h"
#include "excel/CellRef.h"
#include "excel/Error.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/uno/Any.hxx>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/Sequence.hxx>
#include <rtl/ustring.hxx>

#include <QString>

namespace uno {

namespace css = com::sun::star;
using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

inline rtl::OUString toOffice(const QString& text) {
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(text.utf16()), sal_Int32(text.size()));
}

inline QString fromOffice(const rtl::OUString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getStr()), text.getLength());
}

// A named argument of an office call.
inline css::beans::PropertyValue property(const char* name, Any value) {
    css::beans::PropertyValue p;
    p.Name = rtl::OUString::createFromAscii(name);
    p.Value = std::move(value);
    return p;
}

inline excel::CellRect rectOf(const css::table::CellRangeAddress& a) {
    return {int(a.StartRow) + 1, int(a.StartColumn) + 1, int(a.EndRow) + 1, int(a.EndColumn) + 1};
}

inline css::table::CellRangeAddress addressOf(const excel::CellRect& r, sal_Int16 sheet) {
    return css::table::CellRangeAddress(sheet, sal_Int32(r.left - 1), sal_Int32(r.top - 1),
                                        sal_Int32(r.right - 1), sal_Int32(r.bottom - 1));
}

// Runs calls into the office for the object-model member named member. A connection that went
// away says so (and stays lost, as stillThere() marks it); any other refusal by the office ends the member with the
// office's reason.
template <class Work>
auto guarded(UnoConnection& connection, const char* member, Work&& work) -> decltype(work()) {
    const QString name = QString::fromLatin1(member);
    connection.throwIfLost(name);
    const UnoConnection::Call call;
    try {
        return work();
    } catch (const css::lang::DisposedException&) {
        if (call.timedOut() && !connection.stillThere())
            throw excel::HostGone(name, UnoConnection::notAnsweringMessage());
        // A document or sheet closed in the office is disposed too; only a desktop that no
        // longer answers means the office has gone.
        if (connection.stillThere())
            throw excel::Error(name, QStringLiteral("the workbook or sheet was closed in "
                                                    "LibreOffice"));
        throw excel::HostGone(name, UnoConnection::lostMessage());
    } catch (const css::uno::Exception& e) {
        if (call.timedOut() && !connection.stillThere())
            throw excel::HostGone(name, UnoConnection::notAnsweringMessage());
        if (!connection.stillThere())
            throw excel::HostGone(name, UnoConnection::lostMessage());
        const QString why = fromOffice(e.Message).trimmed();
        throw excel::Error(name, why.isEmpty()
                                     ? QStringLiteral("LibreOffice refused the request")
                                     : QStringLiteral("LibreOffice refused the request: %1").arg(why));
    }
}

} // namespace uno
