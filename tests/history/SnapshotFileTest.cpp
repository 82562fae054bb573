// The snapshot file: what it holds, what a reader refuses, and the folder that keeps them.
#include "history/HistoryFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vtl {
namespace {

Snapshot sample() {
    Snapshot s;
    s.time = QDateTime(QDate(2024, 3, 12), QTime(9, 30, 12, 345), Qt::OffsetFromUTC, 3600);
    s.operation = WriteOperation::Settings;
    s.port = QStringLiteral("tcp://10.0.0.5:4001");
    s.controller = {QStringLiteral("main panel"), false, 320, 1000, 5};
    s.movesTo = 6;
    s.records = {{127, commands::MainPanelSettings, 0, 0, QByteArray::fromHex("0302060c180c0105")},
                 {254, commands::Identification, 7, 0x34, QByteArray()}};
    return s;
}

TEST(SnapshotFile, ReadsBackWhatWasWritten) {
    Snapshot s = sample();
    s.id = QStringLiteral("20240312-093012-00ff");
    const QByteArray json = s.toJson();
    EXPECT_TRUE(json.contains("\"format\": \"VTL snapshot\"")) << json.constData();
    EXPECT_TRUE(json.contains("\"time\": \"2024-03-12T09:30:12.345+01:00\"")) << json.constData();
    EXPECT_TRUE(json.contains("\"data\": \"0302060c180c0105\"")) << json.constData();
    QString why;
    const auto back = Snapshot::fromJson(json, &why);
    ASSERT_TRUE(back) << qPrintable(why);
    EXPECT_EQ(back->id, s.id);
    EXPECT_EQ(back->time, s.time);
    EXPECT_EQ(back->port, s.port);
    EXPECT_EQ(back->controller, s.controller);
    EXPECT_EQ(back->movesTo, 6);
    EXPECT_EQ(back->records, s.records);
    EXPECT_EQ(back->holds(), QStringLiteral("settings, address and rate"));
}

TEST(SnapshotFile, RefusesWhatIsNoSnapshotOfThisVersion) {
    Snapshot s = sample();
    s.id = QStringLiteral("20240312-093012-00ff");
    const QByteArray good = s.toJson();
    struct Row {
        const char* name;
        QByteArray document;
        const char* why;
    };
    const auto changed = [&good](const char* from, const char* to) {
        QByteArray d = good;
        EXPECT_TRUE(d.contains(from)) << from;
        return d.replace(from, to);
    };
    const Row rows[] = {
        {"not JSON", "{", "not a JSON object"},
        {"another format", changed("VTL snapshot", "VTL site report"), "not a snapshot"},
        {"a later version", changed("\"version\": 1", "\"version\": 2"),
         "snapshot version 2; this program reads version 1"},
        {"no port", changed("\"port\": \"tcp://10.0.0.5:4001\"", "\"port\": \"\""),
         "id, time, operation or port missing"},
        {"unknown operation", changed("\"operation\": \"settings\"", "\"operation\": \"flash\""),
         "id, time, operation or port missing"},
        {"other framing", changed("\"framing\": \"lan\"", "\"framing\": \"rs485\""),
         "the controller is not described"},
        {"address over a byte", changed("\"address\": 5", "\"address\": 256"),
         "the controller is not described"},
        {"a record byte over 255", changed("\"command\": 38", "\"command\": 300"),
         "a record is damaged"},
        {"odd hex", changed("0302060c180c0105", "0302060c180c010"), "a record is damaged"},
        {"hex and a line break", changed("0302060c180c0105", "0302060c180c0105\\n"),
         "a record is damaged"},
        {"more data than a reply brings",
         changed("0302060c180c0105", QByteArray(2 * 4097, 'a').constData()), "a record is damaged"},
        {"moves to no address", changed("\"moves-to\": 6", "\"moves-to\": -1"),
         "moves-to is no address"},
        // Numbers past any integer are refused by their range, never converted.
        {"a version past any integer", changed("\"version\": 1", "\"version\": 2.2e40"),
         "snapshot version 2.2e+40; this program reads version 1"},
        {"an address past any integer", changed("\"address\": 5", "\"address\": -1e300"),
         "the controller is not described"},
    };
    for (const Row& row : rows) {
        QString why;
        EXPECT_FALSE(Snapshot::fromJson(row.document, &why)) << row.name;
        EXPECT_EQ(why, QString::fromLatin1(row.why)) << row.name;
    }
}

TEST(HistoryFolder, KeepsEachSnapshotInAFileOfItsOwnAndListsThemNewestFirst) {
    QTemporaryDir dir;
    const HistoryFolder folder(dir.filePath(QStringLiteral("made/on/demand")));
    Snapshot older = sample();
    Snapshot newer = sample();
    newer.time = older.time.addSecs(60);
    newer.operation = WriteOperation::Clear;
    QString why;
    ASSERT_TRUE(folder.save(older, &why)) << qPrintable(why);
    ASSERT_TRUE(folder.save(newer, &why)) << qPrintable(why);
    EXPECT_TRUE(older.id.startsWith(QStringLiteral("20240312-093012-"))) << qPrintable(older.id);
    EXPECT_NE(older.id, newer.id);
    // A file that is no snapshot is named, not taken.
    QFile stray(QDir(folder.path()).filePath(QStringLiteral("20240101-000000-0000.json")));
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    stray.write("{}");
    stray.close();

    const HistoryFolder::Listing listing = folder.list();
    ASSERT_EQ(listing.snapshots.size(), 2u);
    EXPECT_EQ(listing.snapshots[0].id, newer.id);
    EXPECT_EQ(listing.snapshots[1].id, older.id);
    EXPECT_EQ(listing.unreadable,
              QStringList{QStringLiteral("20240101-000000-0000.json: not a snapshot")});
    EXPECT_EQ(folder.load(older.id, &why)->records, older.records);
    EXPECT_FALSE(folder.load(QStringLiteral("../VTL"), &why));
    EXPECT_EQ(why, QStringLiteral("\"../VTL\" is not a snapshot id (YYYYMMDD-HHMMSS-XXXX)"));
    EXPECT_FALSE(folder.load(older.id + QLatin1Char('\n'), &why));
    EXPECT_EQ(why,
              QStringLiteral("\"%1\n\" is not a snapshot id (YYYYMMDD-HHMMSS-XXXX)").arg(older.id));
}

} // namespace
} // namespace vtl
