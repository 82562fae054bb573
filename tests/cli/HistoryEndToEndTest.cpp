// vtl-cli history, undo and restore --backup-first against vtl-sim on a pseudo-terminal, in real
// time: a changed setting comes back, another controller is refused, a restore is backed up first.
#include "tests/support/Processes.h"
#include "tests/support/SimComplaints.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vtl::test::HistoryEndToEndTest {
namespace {

// The snapshots of one test in a folder of its own, for every program it starts.
struct OwnHistory {
    OwnHistory() : before(qgetenv("VTL_HISTORY_DIR")) {
        qputenv("VTL_HISTORY_DIR", dir.filePath(QStringLiteral("history")).toLocal8Bit());
    }
    ~OwnHistory() { qputenv("VTL_HISTORY_DIR", before); }
    QJsonArray list() const {
        const RunResult r = runProgram(QStringLiteral(VTL_CLI_EXE), {"history", "--json"});
        EXPECT_EQ(r.exitCode, 0) << qPrintable(r.err);
        return QJsonDocument::fromJson(r.out.toUtf8()).array();
    }
    QTemporaryDir dir;
    QByteArray before;
};

RunResult cli(const QString& port, const QStringList& args) {
    return runProgram(QStringLiteral(VTL_CLI_EXE),
                      args + QStringList{"--port", port, "--code", "QOV", "--baud", "19200"});
}

QString valueOf(const RunResult& r, const QString& key) {
    for (const QString& line : r.out.split(u'\n'))
        if (line.startsWith(key + QStringLiteral(": "))) return line.mid(key.size() + 2);
    return QStringLiteral("(none)");
}

SimProcess startSim(const char* model, const char* address, const QString& dump = {}) {
    QStringList args{"--model", model, "--address", address, "--baud", "19200", "--pty"};
    if (!dump.isEmpty()) args << "--dump" << dump;
    return SimProcess(QStringLiteral(VTL_SIM_EXE), args);
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

TEST(UndoEndToEnd, BringsAChangedSettingBack) {
    OwnHistory history;
    // The memory the controller must end with: an untouched twin's.
    const QString untouched = history.dir.filePath("untouched.txt");
    ASSERT_EQ(startSim("lan490", "9", untouched).stop(), 0);
    const QString dump = history.dir.filePath("memory.txt");
    SimProcess sim = startSim("lan490", "9", dump);
    ASSERT_FALSE(sim.port.isEmpty());
    const RunResult sent = cli(sim.port, {"settings", "--set", "computer-b=19200"});
    ASSERT_EQ(sent.exitCode, 0) << qPrintable(sent.err);
    ASSERT_EQ(valueOf(cli(sim.port, {"settings"}), "computer-b"), "19200");

    const QJsonArray kept = history.list();
    ASSERT_EQ(kept.size(), 1);
    const QJsonObject s = kept[0].toObject();
    EXPECT_EQ(s["operation"].toString(), "settings");
    EXPECT_EQ(s["controller"].toString(), "LAN controller");
    EXPECT_EQ(s["type-code"].toInt(), 490);
    EXPECT_EQ(s["address"].toInt(), 9);
    EXPECT_EQ(s["port"].toString(), sim.port);
    EXPECT_EQ(s["holds"].toString(), "settings");
    const RunResult table = runProgram(QStringLiteral(VTL_CLI_EXE), {"history"});
    EXPECT_TRUE(table.out.startsWith("ID  ")) << qPrintable(table.out);
    EXPECT_TRUE(table.out.contains(s["id"].toString() + "  ")) << qPrintable(table.out);

    // Without --yes the question is answered No and nothing is written.
    const RunResult asked = cli(sim.port, {"undo"});
    EXPECT_EQ(asked.exitCode, 1);
    EXPECT_TRUE(
        asked.err.contains("[Confirmation] Send The Snapshot Back To The Controller? -> No\n  "))
        << qPrintable(asked.err);
    EXPECT_EQ(valueOf(cli(sim.port, {"settings"}), "computer-b"), "19200");

    const RunResult undone = cli(sim.port, {"undo", "--yes"});
    ASSERT_EQ(undone.exitCode, 0) << qPrintable(undone.err);
    EXPECT_EQ(undone.out, "sent-back: " + s["id"].toString() + "\n");
    EXPECT_TRUE(undone.err.contains("[VTL] Configuration Sent\n")) << qPrintable(undone.err);
    EXPECT_EQ(valueOf(cli(sim.port, {"settings"}), "computer-b"), "9600");
    // The undo kept a snapshot of its own: undone once more, the change comes back.
    EXPECT_EQ(history.list().size(), 2);
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
    EXPECT_EQ(contents(dump), contents(untouched));
}

TEST(UndoEndToEnd, RefusesTheSnapshotOfAnotherControllerTypeOrAddress) {
    OwnHistory history;
    QString id;
    {
        SimProcess lan = startSim("lan490", "9");
        ASSERT_EQ(cli(lan.port, {"settings", "--set", "computer-b=19200"}).exitCode, 0);
        id = history.list()[0].toObject()["id"].toString();
    }
    struct Row {
        const char* model;
        const char* address;
        const char* answered;
    };
    for (const Row& row : {Row{"main", "9", "main panel (type 320) at address 9"},
                           Row{"lan490", "10", "LAN controller (type 490) at address 10"}}) {
        SimProcess other = startSim(row.model, row.address);
        const RunResult r = cli(other.port, {"undo", "--snapshot", id, "--yes"});
        EXPECT_EQ(r.exitCode, 1) << row.model;
        EXPECT_TRUE(r.err.contains(
            QStringLiteral("[VTL] Snapshot Is Of Another Controller. Nothing Sent.\n"
                           "  LAN controller (type 490) at address 9 expected, %1 answered\n")
                .arg(row.answered)))
            << qPrintable(r.err);
        EXPECT_FALSE(r.err.contains("Configuration Sent")) << row.model;
    }
    // A snapshot that is not there is refused before anything connects.
    const RunResult unknown = cli("/dev/null", {"undo", "--snapshot", "20990101-000000-0000"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_TRUE(unknown.err.startsWith("vtl-cli undo: no snapshot 20990101-000000-0000 in "))
        << qPrintable(unknown.err);
}

TEST(RestoreEndToEnd, BacksUpFirstAndStartsOnlyWhenThatBackupIsComplete) {
    OwnHistory history;
    QTemporaryDir dir;
    SimProcess sim(QStringLiteral(VTL_SIM_EXE),
                   {"--model", "sub4000", "--address", "7", "--baud", "38400", "--pty"});
    ASSERT_FALSE(sim.port.isEmpty());
    QString programErrors;
    const auto run = [&sim, &programErrors](QStringList args) {
        const RunResult result =
            runProgram(QStringLiteral(VTL_CLI_EXE), args << "--port" << sim.port << "--code"
                                                         << "QOV"
                                                         << "--sub-lan"
                                                         << "--baud"
                                                         << "38400");
        programErrors += result.err;
        return result;
    };
    const QString file = dir.filePath("PANEL7.PNL");
    ASSERT_EQ(run({"backup", "--out", file}).exitCode, 0);

    const QString backups = dir.filePath("backups");
    // A file cut short is refused before the backup: nothing is made, nothing sent.
    QFile whole(file);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    QFile cut(dir.filePath("CUT7.PNL"));
    ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
    cut.write(whole.readAll().chopped(3));
    cut.close();
    EXPECT_EQ(run({"restore", "--in", cut.fileName(), "--backup-first", backups}).exitCode, 1);
    EXPECT_FALSE(QDir(backups).exists());

    // A folder that cannot be made: no backup, so no restore.
    QFile(dir.filePath("blocker")).open(QIODevice::WriteOnly);
    const RunResult refused =
        run({"restore", "--in", file, "--backup-first", dir.filePath("blocker/backups")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_TRUE(refused.err.contains(
        QStringLiteral("[VTL] Backup Failed. Panel File Not Sent.\n  cannot create the folder %1\n")
            .arg(QDir::toNativeSeparators(dir.filePath("blocker/backups")))))
        << qPrintable(refused.err);
    EXPECT_FALSE(refused.err.contains("Sending")) << qPrintable(refused.err);
    EXPECT_TRUE(history.list().isEmpty());

    const RunResult restored = run({"restore", "--in", file, "--backup-first", backups});
    ASSERT_EQ(restored.exitCode, 0) << qPrintable(restored.err);
    const QStringList made = QDir(backups).entryList(QDir::Files);
    ASSERT_EQ(made.size(), 1);
    EXPECT_TRUE(made[0].startsWith("sub-panel-7-")) << qPrintable(made[0]);
    const QString backup = QDir(backups).filePath(made[0]);
    EXPECT_EQ(restored.out, "backup: " + backup + "\n");
    // The controller held what the file holds: the backup before the restore is the same.
    EXPECT_EQ(runProgram(QStringLiteral(VTL_CLI_EXE), {"diff", file, backup}).exitCode, 0);
    const QJsonArray kept = history.list();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_EQ(kept[0].toObject()["operation"].toString(), "restore");
    EXPECT_EQ(kept[0].toObject()["backup"].toString(), backup);
    const QStringList complaints = stopAndExplain(sim, programErrors);
    EXPECT_TRUE(complaints.isEmpty()) << qPrintable(complaints.join('\n'));
}

} // namespace
} // namespace vtl::test::HistoryEndToEndTest
