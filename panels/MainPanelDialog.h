#pragma once

#include "panels/MainPanelView.h"

#include <QDialog>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vtl {

class AddressSpinBox;
class MainPanelOperations;
class WindowOperationRunner;
struct Session;

// The configuration window of a main panel: a view of MainPanelOperations. Whoever opens it calls
// start() (firmware line and first read) and then exec().
class MainPanelDialog final : public QDialog {
    Q_OBJECT
public:
    explicit MainPanelDialog(Session& session, QWidget* parent = nullptr);
    explicit MainPanelDialog(MainPanelOperations& operations, QWidget* parent = nullptr);
    ~MainPanelDialog() override;

    void start();

    MainPanelView view() const;
    void showView(const MainPanelView& view);

    // The line between the backup and restore buttons, where their progress is written.
    QLineEdit* statusLine() const { return status_; }
    // Runs this window's exchanges off its thread; backup and restore go through it too.
    WindowOperationRunner& runner() const { return *runner_; }
    void setStatusText(const QString& text);

    void load();
    void send();
    void clear();
    void editModemString();
    void editPassword();

Q_SIGNALS:
    // The buttons whose work lives elsewhere: the routing table window, backup and restore.
    void ethernetRequested();
    void backupRequested();
    void restoreRequested();

private:
    void build();
    QWidget* buildPortGroup(int port, const QString& title, const QString& role);

    std::unique_ptr<MainPanelOperations> owned_;
    MainPanelOperations& ops_;

    QLabel* firmware_ = nullptr;
    AddressSpinBox* address_ = nullptr;
    QCheckBox* lastPanel_ = nullptr;
    QComboBox* inCards_ = nullptr;
    QComboBox* outCards_ = nullptr;
    std::array<QPushButton*, 5> baud_{};
    std::array<QPushButton*, 5> role_{};
    QLineEdit* status_ = nullptr;
    QPushButton* send_ = nullptr;
    WindowOperationRunner* runner_ = nullptr;
};

} // namespace vtl
