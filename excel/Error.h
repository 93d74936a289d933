#pragma once
// The failure of one object-model member: which member failed and why, in words a user can act on.

#include <QString>
#include <stdexcept>

namespace excel {

class Error : public std::runtime_error {
public:
    Error(QString member, QString message)
        : std::runtime_error((member + QStringLiteral(": ") + message).toStdString())
        , m_member(std::move(member))
        , m_message(std::move(message)) {}

    const QString& member() const { return m_member; }
    const QString& message() const { return m_message; }

private:
    QString m_member;
    QString m_message;
};

// The application the program is attached to has gone (its process ended or it closed the
// connection): nothing it held can be reached any more, so callers end what they were doing
// rather than carry on with the next step.
class HostGone : public Error {
public:
    using Error::Error;
};

} // namespace excel
