// The main of every test executable: a QApplication on the offscreen platform, settings and runtime
// files in a private temporary place, and GoogleTest.
#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

QtMessageHandler previousHandler = nullptr;

void filterNoise(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    // The offscreen platform warns about size hints it cannot propagate; that is not our fault.
    if (text.contains(QLatin1String("propagateSizeHints"))) return;
    if (previousHandler) previousHandler(type, context, text);
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    // Snapshots of the writes a test makes, its own and those of the programs it starts.
    qputenv("VTL_HISTORY_DIR", (runtime.path() + QStringLiteral("/history")).toLocal8Bit());
    QStandardPaths::setTestModeEnabled(true);
    previousHandler = qInstallMessageHandler(filterNoise);
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("QTZ"));
    QApplication::setApplicationName(QStringLiteral("VTL-tests"));
    return RUN_ALL_TESTS();
}
