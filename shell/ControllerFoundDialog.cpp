#include "shell/ControllerFoundDialog.h"

#include "shell/ControllerWindows.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vtl {

ControllerFoundDialog::ControllerFoundDialog(const ConnectionState& state, ControllerWindow window,
                                             QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Vantrel"));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(describeController(state, window), this);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(this);
    auto* close = buttons->addButton(QStringLiteral("&Close"), QDialogButtonBox::RejectRole);
    close->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

} // namespace vtl
