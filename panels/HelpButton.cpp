#include "panels/HelpButton.h"

#include "link/UserInterface.h"
#include "panels/DialogButtons.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPushButton>

namespace vtl {

namespace {

// A key the focused control does not use travels up to the window, where this filter sees it.
class HelpKey final : public QObject {
public:
    HelpKey(QWidget& window, UserInterface& ui, QString page)
        : QObject(&window), ui_(ui), page_(std::move(page)) {}

    void open() const { ui_.openHelpPage(page_); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
            open();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    UserInterface& ui_;
    QString page_;
};

} // namespace

void addHelpKey(QWidget& window, UserInterface& ui, const QString& page) {
    window.installEventFilter(new HelpKey(window, ui, page));
}

QPushButton* addHelp(QWidget& window, UserInterface& ui, const QString& page) {
    auto* key = new HelpKey(window, ui, page);
    window.installEventFilter(key);
    auto* button = makeButton(QStringLiteral("&Help"), QStringLiteral("help"));
    QObject::connect(button, &QPushButton::clicked, key, [key] { key->open(); });
    return button;
}

} // namespace vtl
