#include "shell/Settings.h"

namespace vtl {
namespace {

int readInt(QSettings& settings, const QString& name, int fallback) {
    bool ok = false;
    const int value = settings.value(name).toInt(&ok);
    return ok ? value : fallback;
}

} // namespace

StoredSettings readSettings(QSettings& settings) {
    const StoredSettings defaults;
    StoredSettings values;
    values.Baud = readInt(settings, QStringLiteral("Baud"), defaults.Baud);
    values.Port = readInt(settings, QStringLiteral("Port"), defaults.Port);
    values.Delay = readInt(settings, QStringLiteral("Delay"), defaults.Delay);
    values.PanelType = readInt(settings, QStringLiteral("PanelType"), defaults.PanelType);
    values.USB = readInt(settings, QStringLiteral("USB"), defaults.USB);
    return values;
}

void writeSettings(QSettings& settings, const StoredSettings& values) {
    settings.setValue(QStringLiteral("Baud"), values.Baud);
    settings.setValue(QStringLiteral("Port"), values.Port);
    settings.setValue(QStringLiteral("PanelType"), values.PanelType);
    settings.setValue(QStringLiteral("USB"), values.USB);
    settings.setValue(QStringLiteral("Delay"), values.Delay);
    settings.sync();
}

} // namespace vtl
