// Window titles and message box captions as the window system shows them: run on a real X server
// (xvfb-run), where Qt would append an application display name to every title it sends.
#include "shell/ApplicationIdentity.h"
#include "shell/QtUserInterface.h"
#include "tests/support/WhenModal.h"

#include <QDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace vtl {
namespace {

// The title the X server holds for a window, as a window manager would show it.
QString titleOnScreen(QWidget* window) {
    QGuiApplication::sync();
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window->winId()),
                                          QStringLiteral("_NET_WM_NAME")});
    xprop.waitForFinished(10000);
    const QString out = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    // _NET_WM_NAME(UTF8_STRING) = "VTL"
    return out.section(u'"', 1, -2);
}

struct WindowTitles : ::testing::Test {
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb") ||
            QStandardPaths::findExecutable(QStringLiteral("xprop")).isEmpty())
            GTEST_SKIP() << "needs an X server (xvfb-run) and xprop";
        setApplicationIdentity();
    }
};

TEST_F(WindowTitles, MessageBoxCaptionsAreShownExactly) {
    QtUserInterface ui;
    for (const QString caption : {"VTL", "Error ", "WARNING !", "Configuration Error"}) {
        QString seen;
        test::whenModal<QMessageBox>([&seen](QMessageBox* box) {
            seen = titleOnScreen(box);
            box->done(QMessageBox::Ok);
        });
        ui.message(QStringLiteral("Configuration Sent"), caption, MessageButtons::Ok,
                   MessageIcon::None);
        EXPECT_EQ(seen.toStdString(), caption.toStdString());
    }
}

TEST_F(WindowTitles, WindowTitlesAreShownExactly) {
    for (const QString title : {"Vantrel", "ModBus Setup", "BACnet", "Modem Initialization"}) {
        QDialog window;
        window.setWindowTitle(title);
        window.show();
        EXPECT_EQ(titleOnScreen(&window).toStdString(), title.toStdString());
    }
}

} // namespace
} // namespace vtl
