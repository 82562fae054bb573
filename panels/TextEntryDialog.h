#pragma once

#include <QDialog>

#include <functional>

class QLineEdit;

namespace vtl {

// A small modal editor of one text: a caption, a label, the field, and OK / Cancel. OK hands the
// text on; Cancel changes nothing.
class TextEntryDialog : public QDialog {
    Q_OBJECT
public:
    struct Texts {
        QString caption;
        QString label;
        QString ok;
        QString cancel;
    };

    TextEntryDialog(const Texts& texts, const QString& text, int widthInChars,
                    std::function<void(const QString&)> take, QWidget* parent);

    QLineEdit* field() const { return field_; }
    void accept() override;

private:
    QLineEdit* field_;
    std::function<void(const QString&)> take_;
};

} // namespace vtl
