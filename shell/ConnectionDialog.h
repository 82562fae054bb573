#pragma once

#include "link/Connect.h"
#include "link/Session.h"
#include "shell/Settings.h"

#include <QDialog>
#include <QSettings>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace vtl {

class WindowOperationRunner;

class AccessCodeEdit;

// The main window: access code, port, speed and kind of connection, and OK to connect. It restores
// the remembered settings when it is made and stores them when it is closed.
class ConnectionDialog final : public QDialog {
    Q_OBJECT
public:
    // Everything is shown and asked through session.ui; the remembered values live in settings.
    ConnectionDialog(Session& session, QSettings& settings, QWidget* parent = nullptr);

    // Opens the configuration window of the controller OK found; without one OK only connects.
    void setWindowOpener(OpenControllerWindow opener) { windowOpener_ = std::move(opener); }

    // What OK would hand to Connect now.
    ConnectRequest request() const;

    QLineEdit* accessCodeBox() const;
    QPushButton* okButton() const { return ok_; }
    QPushButton* closeButton() const { return close_; }
    QRadioButton* lanButton() const { return lan_; }
    QRadioButton* subLanButton() const { return subLan_; }
    QComboBox* portList() const { return ports_; }
    QComboBox* baudList() const { return bauds_; }
    QCheckBox* usbBox() const { return usb_; }
    QCheckBox* delayBox() const { return delay_; }
    QAction* aboutAction() const { return about_; }
    // Runs the window's work on the line, one piece at a time.
    WindowOperationRunner* runner() const { return runner_; }

    void reject() override;

    static const QStringList& baudListTexts();

private:
    void buildControls();
    void restoreSettings();
    void fillPortList();
    void saveSettings();
    void showSubLanWarning();
    void connectToController();

    Session& session_;
    OpenControllerWindow windowOpener_;
    QSettings& settings_;

    AccessCodeEdit* accessCode_ = nullptr;
    QPushButton* ok_ = nullptr;
    WindowOperationRunner* runner_ = nullptr;
    QPushButton* close_ = nullptr;
    QRadioButton* lan_ = nullptr;
    QRadioButton* subLan_ = nullptr;
    QComboBox* ports_ = nullptr;
    QComboBox* bauds_ = nullptr;
    QCheckBox* usb_ = nullptr;
    QCheckBox* delay_ = nullptr;
    QToolButton* aboutButton_ = nullptr;
    QAction* about_ = nullptr;
};

} // namespace vtl
