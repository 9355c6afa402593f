#pragma once

#include <QString>

namespace integrations {

// What became of one notice: ok, or why not, in words the operator can act
// on. The text never carries a password or a token.
struct SendResult {
    QString error;
    bool ok() const { return error.isEmpty(); }
};

} // namespace integrations
