#pragma once

#include "link/UserSettings.h"

#include <QSettings>

#include <memory>

namespace vtl {

// The five remembered values of the connection window.
struct StoredSettings {
    int Baud = 0;      // baud list position
    int Port = 0;      // port list position as the list was then; -1 for none
    int Delay = 1;     // AddDelay
    int PanelType = 1; // 1 = "Sub LAN", 0 = "LAN"
    int USB = 0;       // UsbMode
};

// Values that are missing or unreadable take their defaults.
StoredSettings readSettings(QSettings& settings);
// Failures are not reported: the program works on with the values it has.
void writeSettings(QSettings& settings, const StoredSettings& values);

} // namespace vtl
