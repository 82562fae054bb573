#pragma once

#include <QLineEdit>

namespace vtl {

// The access code box: hidden characters, centred, and letters turned to upper case as they are
// typed or pasted.
class AccessCodeEdit final : public QLineEdit {
    Q_OBJECT
public:
    explicit AccessCodeEdit(QWidget* parent = nullptr);
};

} // namespace vtl
