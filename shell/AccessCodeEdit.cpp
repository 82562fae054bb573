#include "shell/AccessCodeEdit.h"

#include <QValidator>

namespace vtl {
namespace {

class UpperCaseValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        // Case is folded one character at a time so the cursor position stays valid.
        for (QChar& c : input)
            c = c.toUpper();
        return Acceptable;
    }
};

} // namespace

AccessCodeEdit::AccessCodeEdit(QWidget* parent) : QLineEdit(parent) {
    setEchoMode(QLineEdit::Password);
    setAlignment(Qt::AlignCenter);
    setValidator(new UpperCaseValidator(this));
}

} // namespace vtl
