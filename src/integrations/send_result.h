#pragma once

#include <QString>

namespace integrations {

// What became of one notice: ok, or why not, in words the operator can act
// on. The text never carries a password or a token.
struct SendResult {
    QString error;
    // The service took the whole wait limit without answering: asking it
    // again at once would most likely cost the operator another limit.
    bool unanswered = false;
    bool ok() const { return error.isEmpty(); }
};

} // namespace integrations
