#include "panels/TextEntryDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vtl {

TextEntryDialog::TextEntryDialog(const Texts& texts, const QString& text, int widthInChars,
                                 std::function<void(const QString&)> take, QWidget* parent)
    : QDialog(parent), field_(new QLineEdit(text)), take_(std::move(take)) {
    setWindowTitle(texts.caption);
    field_->setMinimumWidth(field_->fontMetrics().averageCharWidth() * widthInChars);

    auto* ok = new QPushButton(texts.ok);
    auto* cancel = new QPushButton(texts.cancel);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(texts.label));
    layout->addWidget(field_);
    layout->addLayout(buttons);
}

void TextEntryDialog::accept() {
    take_(field_->text());
    QDialog::accept();
}

} // namespace vtl
