#pragma once

#include "routing/RoutingTableOperations.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vtl {

class WindowOperationRunner;

struct Session;

// The "IP Routing Table" window: a view of RoutingTableOperations, four rows at a time. Whoever
// opens it calls start() (the opening read) and then exec().
class RoutingTableDialog final : public QDialog {
    Q_OBJECT
public:
    // Returns the chosen path, or an empty text when the user cancelled.
    using FileChooser = std::function<QString()>;

    explicit RoutingTableDialog(Session& session, QWidget* parent = nullptr);
    ~RoutingTableDialog() override;

    RoutingTableOperations& operations() { return ops_; }
    // The system's file dialogs unless replaced (tests).
    void setFileChoosers(FileChooser save, FileChooser open);

    void start();
    void load();
    void send();
    void clear();
    void saveFile();
    void openFile();
    void step(int delta);

private:
    struct RowControls {
        QLabel* label = nullptr;
        QLineEdit* ip = nullptr;
        QLineEdit* mac = nullptr;
        QLineEdit* gateway = nullptr;
        QCheckBox* broadcast = nullptr;
        QComboBox* interval = nullptr;
    };

    void build();
    QLayout* buildPaging();
    void wireRow(int row);
    void showPage();
    // Send and File Save only once the rows hold a table the user meant.
    void enableWrites();
    // After a refused Send or File Save: the page and the field of the text that was refused.
    void showProblem();
    // Takes the focus off the controls, so that an edit in progress is stored by its handler;
    // `keep` keeps it (the page number being stepped).
    void commitEdit(QWidget* keep = nullptr);
    QString askFile(bool save);

    RoutingTableOperations ops_;
    WindowOperationRunner* runner_ = nullptr;
    FileChooser chooseSave_;
    FileChooser chooseOpen_;
    std::array<RowControls, routing::PageSize> rows_{};
    QGroupBox* gatewayGroup_ = nullptr;
    QGroupBox* broadcastGroup_ = nullptr;
    QLineEdit* subnetMask_ = nullptr;
    QLineEdit* mtu_ = nullptr;
    QSpinBox* page_ = nullptr;
    QPushButton* send_ = nullptr;
    QPushButton* fileSave_ = nullptr;
};

} // namespace vtl
