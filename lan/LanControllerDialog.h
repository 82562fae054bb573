#pragma once

#include "lan/LanControllerOperations.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vtl {

class WindowOperationRunner;

class AddressSpinBox;
struct Session;

// The configuration window of a LAN or Brinlet controller: a view of LanControllerOperations.
// Whoever opens it calls start() (the first initialisation) and then exec().
class LanControllerDialog final : public QDialog {
    Q_OBJECT
public:
    explicit LanControllerDialog(Session& session, QWidget* parent = nullptr);

    void start();

    LanControllerView view() const;
    void showView(const LanControllerView& view);

    // The line between the backup and restore buttons, where their progress is written.
    QLineEdit* statusLine() const { return status_; }
    WindowOperationRunner& runner() const { return *runner_; }

    void load();
    void send();
    void clear();
    void editBacnet();
    // "Ethernet Configuration" stays disabled until the routing table window is offered here.
    void offerEthernet(bool on);

Q_SIGNALS:
    // The buttons whose work lives elsewhere: backup, restore and the routing table window.
    void backupRequested();
    void restoreRequested();
    void ethernetRequested();

private:
    void build();
    void applyForm(LanForm form);

    LanControllerOperations ops_;
    LanForm form_ = LanForm::Lan;

    QGroupBox* outer_ = nullptr;
    QLabel* note_ = nullptr;
    AddressSpinBox* address_ = nullptr;
    QCheckBox* lastPanel_ = nullptr;
    QCheckBox* modem_ = nullptr;
    QLineEdit* modemString_ = nullptr;
    QLineEdit* smtp_ = nullptr;
    QLabel* firmware_ = nullptr;
    QLineEdit* status_ = nullptr;
    WindowOperationRunner* runner_ = nullptr;
    QPushButton* send_ = nullptr;
    QPushButton* ethernet_ = nullptr;
    QPushButton *mainNetwork_ = nullptr, *computerA_ = nullptr, *computerB_ = nullptr,
                *subLanA_ = nullptr, *subLanB_ = nullptr, *bacnet_ = nullptr;
    QGroupBox *mainNetworkGroup_ = nullptr, *computerAGroup_ = nullptr, *computerBGroup_ = nullptr,
              *subLanBGroup_ = nullptr, *bacnetGroup_ = nullptr, *cardsGroup_ = nullptr,
              *smtpGroup_ = nullptr;
    std::array<QPushButton*, LanCardCount> cards_{};
    QString hiddenRate_; // byte 7 has no control
};

} // namespace vtl
