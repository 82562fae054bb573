#include "shell/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>

namespace vtl {
namespace {

// Missing or unreadable values take their defaults; the others, and what was written, are kept.
TEST(StoredSettingsFile, ReadsBackWithDefaults) {
    struct Row {
        const char* name;
        const char* file; // nullptr: written by writeSettings; "": no file
        StoredSettings expected;
    };
    const StoredSettings written{8, -1, 0, 0, 1};
    for (const Row& row : {Row{"missing", "", {0, 0, 1, 1, 0}},
                           Row{"unreadable",
                               "[General]\nBaud=seven\nPort=4\nDelay=\nPanelType=0\nUSB=1\n",
                               {0, 4, 1, 0, 1}},
                           Row{"written", nullptr, written}}) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("VTL.conf"));
        if (!row.file) {
            QSettings settings(path, QSettings::IniFormat);
            writeSettings(settings, written);
        } else if (*row.file) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(row.file);
        }
        QSettings settings(path, QSettings::IniFormat);
        const StoredSettings v = readSettings(settings);
        const StoredSettings& e = row.expected;
        EXPECT_EQ((std::array{v.Baud, v.Port, v.Delay, v.PanelType, v.USB}),
                  (std::array{e.Baud, e.Port, e.Delay, e.PanelType, e.USB}));
    }
}

#ifndef Q_OS_WIN
TEST(UserSettings, LiveInTheUserConfigurationDirectoryNotTheWorkingDirectory) {
    const auto settings = openUserSettings();
    EXPECT_EQ(settings->format(), QSettings::NativeFormat);
    EXPECT_TRUE(settings->fileName().endsWith(QStringLiteral("/QTZ/VTL.conf")))
        << settings->fileName().toStdString();
    EXPECT_FALSE(settings->fileName().startsWith(QDir::currentPath() + QLatin1Char('/')));
    EXPECT_FALSE(settings->fileName().contains(QLatin1String("HKEY")));
}
#endif

} // namespace
} // namespace vtl
