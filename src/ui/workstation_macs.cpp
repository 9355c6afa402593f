#include "ui/workstation_macs.h"

#include "core/workstation.h"
#include "ui/dialogs.h"

namespace ui {

QStringList macAddressWmi(const core::AdapterSource& adapters, Dialogs& dialogs) {
    const auto found = adapters.adapters();
    if (!found) {
        dialogs.message(QStringLiteral("Error! WMI not found!"));
        return {QString()};
    }
    return core::macAddressList(*found);
}

QString workstationMacOf(const core::AdapterSource& adapters, Dialogs& dialogs) {
    return core::workstationMac(macAddressWmi(adapters, dialogs));
}

} // namespace ui
