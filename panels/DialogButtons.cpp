#include "panels/DialogButtons.h"

namespace vtl {

QPushButton* makeButton(const QString& text, const QString& name) {
    auto* button = new QPushButton(text);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

OperationButtons makeOperationButtons() {
    OperationButtons b{makeButton(QStringLiteral("&Load"), QStringLiteral("load")),
                       makeButton(QStringLiteral("&Send"), QStringLiteral("send")),
                       makeButton(QStringLiteral("Clea&r"), QStringLiteral("clear")),
                       makeButton(QStringLiteral("&Close"), QStringLiteral("close")),
                       new QHBoxLayout};
    for (auto* button : {b.load, b.send, b.clear, b.close})
        b.row->addWidget(button);
    return b;
}

} // namespace vtl
