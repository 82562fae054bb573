#include "shell/Settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vtl {
namespace {

struct SettingsFixture : ::testing::Test {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("VTL.conf"));
};

TEST_F(SettingsFixture, MissingValuesTakeTheirDefaults) {
    QSettings settings(path, QSettings::IniFormat);
    const StoredSettings v = readSettings(settings);
    EXPECT_EQ(v.Baud, 0);
    EXPECT_EQ(v.Port, 0);
    EXPECT_EQ(v.Delay, 1);
    EXPECT_EQ(v.PanelType, 1);
    EXPECT_EQ(v.USB, 0);
}

TEST_F(SettingsFixture, UnreadableValuesTakeTheirDefaultsOthersAreKept) {
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[General]\nBaud=seven\nPort=4\nDelay=\nPanelType=0\nUSB=1\n");
    }
    QSettings settings(path, QSettings::IniFormat);
    const StoredSettings v = readSettings(settings);
    EXPECT_EQ(v.Baud, 0);
    EXPECT_EQ(v.Port, 4);
    EXPECT_EQ(v.Delay, 1);
    EXPECT_EQ(v.PanelType, 0);
    EXPECT_EQ(v.USB, 1);
}

TEST_F(SettingsFixture, WrittenValuesReadBackFromANewObject) {
    {
        QSettings settings(path, QSettings::IniFormat);
        writeSettings(settings, {8, -1, 0, 0, 1});
    }
    QSettings settings(path, QSettings::IniFormat);
    const StoredSettings v = readSettings(settings);
    EXPECT_EQ(v.Baud, 8);
    EXPECT_EQ(v.Port, -1);
    EXPECT_EQ(v.Delay, 0);
    EXPECT_EQ(v.PanelType, 0);
    EXPECT_EQ(v.USB, 1);
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
