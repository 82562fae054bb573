// The main panel, LAN controller and BACnet device windows' settings on the command line.
#include "cli/SettingsWindows.h"

#include "cli/LanSettingsKeys.h"
#include "cli/MainPanelSettingsKeys.h"
#include "lan/BacnetDeviceOperations.h"
#include "lan/LanControllerOperations.h"
#include "lan/LanControllerSettings.h"
#include "panels/ControllerText.h"
#include "panels/MainPanelOperations.h"

namespace vtl::cli {
namespace {

class MainPanelSettingsWindow final : public SettingsWindow {
public:
    MainPanelSettingsWindow(Session& session, MainPanelMemory& memory)
        : session_(session), ops_(session, memory) {}
    bool read(QString&) override { return ops_.load(view_); }
    SettingLines lines() const override {
        return mainPanelSettingLines(session_.state, view_, ops_.memory());
    }
    QString set(const QString& key, const QString& value) override {
        return setMainPanelSetting(view_, ops_.memory(), key, value);
    }
    bool send() override { return ops_.send(view_); }

private:
    Session& session_;
    MainPanelOperations ops_;
    MainPanelView view_;
};

class LanControllerSettingsWindow final : public SettingsWindow {
public:
    explicit LanControllerSettingsWindow(Session& session) : session_(session), ops_(session) {}
    bool read(QString&) override { return ops_.load(view_); }
    SettingLines lines() const override { return lanSettingLines(session_.state, view_); }
    QString set(const QString& key, const QString& value) override {
        return setLanSetting(view_, key, value);
    }
    bool send() override {
        if (!ops_.send(view_)) return false;
        // What went, as the window would show it when read back.
        view_.status.clear();
        showLanSettings(*ops_.lastSent(), view_);
        return true;
    }

private:
    Session& session_;
    LanControllerOperations ops_;
    LanControllerView view_;
};

// Sets one field as it could be typed into the window: numbers within their ranges, texts that fit
// their fields in the controller's characters. The name's check, which needs the instance read,
// is the window's.
QString setBacnetField(BacnetDeviceView& v, const QString& key, const QString& value) {
    struct Field {
        const char* key;
        QString BacnetDeviceView::*text;
        qint64 minimum, maximum; // a number; maximum 0: a text of `minimum` characters
    };
    static constexpr Field Fields[] = {
        {"instance", &BacnetDeviceView::instance, 0, MaxBacnetInstance},
        {"name", &BacnetDeviceView::name, BacnetNameLength, 0},
        {"location", &BacnetDeviceView::location, BacnetTextLength, 0},
        {"description", &BacnetDeviceView::description, BacnetTextLength, 0},
        {"apdu-timeout", &BacnetDeviceView::apduTimeout, 50, 60000},
        {"token-timeout", &BacnetDeviceView::tokenTimeout, 20, 100},
        {"max-master", &BacnetDeviceView::maxMaster, 0, 127},
    };
    for (const Field& f : Fields) {
        if (key != QLatin1String(f.key)) continue;
        QString why;
        if (f.maximum == 0) {
            why = controllerTextProblem(value, int(f.minimum));
        } else if (!isDigits(value, 7) || value.toLongLong() < f.minimum ||
                   value.toLongLong() > f.maximum) {
            why = QStringLiteral("a number from %1 to %2").arg(f.minimum).arg(f.maximum);
        }
        if (!why.isEmpty())
            return QStringLiteral("%1 takes %2, not %3").arg(key, why, quotedValue(value));
        v.*f.text = value;
        return {};
    }
    return QStringLiteral("unknown key %1").arg(key);
}

class BacnetSettingsWindow final : public SettingsWindow {
public:
    explicit BacnetSettingsWindow(Session& session) : lan_(session), ops_(session) {}
    bool read(QString&) override {
        // The BACnet window opens from the LAN controller window, which has read its settings.
        LanControllerView lanView;
        return lan_.load(lanView) && ops_.open(view_);
    }
    SettingLines lines() const override {
        return {Setting::number("instance", view_.instance),
                Setting::words("name", view_.name),
                Setting::words("location", view_.location),
                Setting::words("description", view_.description),
                Setting::number("apdu-timeout", view_.apduTimeout),
                Setting::number("token-timeout", view_.tokenTimeout),
                Setting::number("max-master", view_.maxMaster)};
    }
    QString set(const QString& key, const QString& value) override {
        return setBacnetField(view_, key, value);
    }
    bool send() override {
        if (ops_.ok(view_) != BacnetDeviceOperations::Outcome::Sent) return false;
        view_ = showBacnetSettings(ops_.lastSent());
        return true;
    }

private:
    LanControllerOperations lan_;
    BacnetDeviceOperations ops_;
    BacnetDeviceView view_;
};

} // namespace

std::unique_ptr<SettingsWindow> mainPanelSettingsWindow(Session& session, MainPanelMemory& memory) {
    return std::make_unique<MainPanelSettingsWindow>(session, memory);
}

std::unique_ptr<SettingsWindow> lanControllerSettingsWindow(Session& session) {
    return std::make_unique<LanControllerSettingsWindow>(session);
}

std::unique_ptr<SettingsWindow> bacnetSettingsWindow(Session& session) {
    return std::make_unique<BacnetSettingsWindow>(session);
}

QString controllerSettingProblem(const QString& key, const QString& value) {
    // Without knowing yet whether a main panel or a LAN controller answers: a key one of their
    // windows has, with a value that window could take.
    QString why = QStringLiteral("unknown key %1").arg(key);
    const bool mainKey = mainPanelSettingKeys().contains(key);
    if (mainKey) {
        why = mainPanelSettingProblem(key, value);
        if (why.isEmpty()) return {};
    }
    if (lanSettingKeys().contains(key)) {
        QString lanWhy = lanSettingProblem(key, value);
        if (lanWhy.isEmpty() || !mainKey) return lanWhy;
    }
    return why;
}

QString bacnetSettingProblem(const QString& key, const QString& value) {
    BacnetDeviceView view;
    return setBacnetField(view, key, value);
}

} // namespace vtl::cli
