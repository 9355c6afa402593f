#pragma once

#include <QString>

namespace core {

// What the process remembers about the operator once signed in.
class Session {
public:
    QString signedInUser() const { return m_signedInUser; }
    void setSignedInUser(const QString& name) { m_signedInUser = name; }

private:
    QString m_signedInUser;
};

} // namespace core
