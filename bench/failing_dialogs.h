#pragma once

#include "ui/dialogs.h"

#include <cstdio>

namespace bench {

// A benchmark drives a screen that should show no message; one that does
// ran into an error, and the run is void.
class FailingDialogs final : public ui::Dialogs {
public:
    void message(const QString& text, const QString&, ui::Icon) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        failed = true;
    }
    bool askYesNo(const QString&, const QString&) override { return false; }
    bool failed = false;
};

} // namespace bench
