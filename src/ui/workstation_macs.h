#pragma once

#include <QStringList>

namespace core {
class AdapterSource;
}

namespace ui {

class Dialogs;

// The workstation MAC list the login, the main window and the fault screen
// share: "" first, then every physical adapter's MAC. When the adapters
// cannot be read it says "Error! WMI not found!" and returns the list as far
// as it got (the empty entry).
QStringList macAddressWmi(const core::AdapterSource& adapters, Dialogs& dialogs);

// The last non-empty entry of that list.
QString workstationMacOf(const core::AdapterSource& adapters, Dialogs& dialogs);

} // namespace ui
