#pragma once

// Backups and restores against a simulated controller on virtual time, and the panel file bytes
// the tests write and read back.

#include "panelfile/BlockRecord.h"
#include "panelfile/PanelBackup.h"
#include "panelfile/PanelFileHeader.h"
#include "panelfile/PanelRestore.h"
#include "tests/support/FailingSaveFile.h"
#include "tests/support/SimSession.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QList>
#include <QSaveFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '[' << list.join(QStringLiteral(" | ")).toStdString() << ']';
}
QT_END_NAMESPACE

namespace vtl::test {

// The status a restore shows when its last record went out.
inline const QString Finished = QStringLiteral("Finished Sending Panel File.");

struct FileRecord {
    BlockRecordHeader header;
    QByteArray data;
};

struct ParsedPanelFile {
    HeaderReadResult header;
    QList<FileRecord> records;
    bool wellFormed = false; // every record complete, nothing after the last
};

inline ParsedPanelFile parsePanelFile(const QString& path, PanelFamily reader) {
    ParsedPanelFile parsed;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return parsed;
    parsed.header = readHeader(file, reader);
    if (!parsed.header.ok()) return parsed;
    auto buffer = std::make_unique<std::array<std::uint8_t, TransferBuffers::Size>>();
    for (;;) {
        const RecordReadResult r = readBlockRecord(file, *buffer);
        if (r.status == RecordStatus::EndOfFile) {
            parsed.wellFormed = file.atEnd();
            return parsed;
        }
        if (r.status != RecordStatus::Complete) return parsed;
        parsed.records.append({r.header, QByteArray(reinterpret_cast<const char*>(buffer->data()),
                                                    qsizetype(r.bytesInBuffer))});
    }
}

inline QByteArray record(int command, int point, int table, const QByteArray& data) {
    return encodeBlockRecordHeader({std::uint8_t(command), std::uint8_t(point), std::uint8_t(table),
                                    std::uint16_t(data.size())}) +
           data;
}

inline QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// 15:07:45 on 9 June 2008.
inline QDateTime backupTime() {
    return QDateTime(QDate(2008, 6, 9), QTime(15, 7, 45));
}
inline QByteArray expectedHeader(std::uint16_t familyCode, std::uint8_t anyAddress) {
    QByteArray h("QTZ PANEL FILE VERSION 01.00", 29);
    h += QByteArray("3:07:45 PM", 11);
    h += QByteArray("6/9/08", 7);
    h += char(familyCode & 0xFF);
    h += char(familyCode >> 8);
    h += QByteArray(2, '\0');
    h += char(anyAddress);
    return h;
}

struct FileRecordSpec {
    int command;
    int point;
    int table;
    QByteArray data;
};

// Writes a panel file the way a backup does; returns the path.
inline QString writePanelFile(const QTemporaryDir& dir, std::uint16_t familyCode,
                              std::uint8_t anyAddress, const QList<FileRecordSpec>& records,
                              const QByteArray& tail = {}) {
    static int serial = 0;
    const QString path = dir.filePath(QStringLiteral("P%1.PNL").arg(++serial));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_TRUE(writeHeader(file, backupTime(), familyCode, anyAddress));
    for (const auto& r : records)
        EXPECT_TRUE(writeBlockRecord(file, std::uint8_t(r.command), std::uint8_t(r.point),
                                     std::uint8_t(r.table), r.data));
    file.write(tail);
    return path;
}

inline QByteArray filled(int size, int value) {
    return QByteArray(size, char(value));
}

// Bytes that are neither all 0 nor all 255.
inline QByteArray content(int size, int seed = 1) {
    QByteArray data(size, '\0');
    for (int i = 0; i < size; ++i)
        data[i] = char(seed + i * 7);
    return data;
}

// A session on a simulated controller with a folder for panel files. Not yet connected.
struct BackupRig : SimSession {
    explicit BackupRig(const sim::ControllerOptions& options) : SimSession(options) {
        state.BaudRate = options.lineRate;
        state.PanelAddress = std::uint32_t(options.address);
    }

    BackupOutcome backup(PanelFamily family, const QString& target) {
        PanelBackup backup(session, family);
        backup.setTimeSource(backupTime);
        return backup.run(target);
    }
    RestoreOutcome restore(PanelFamily family, const QString& path) {
        return PanelRestore(session, family).run(path);
    }
    QString path(const QString& name = QStringLiteral("PANEL.PNL")) const {
        return dir.filePath(name);
    }
    QStringList dirEntries() const {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    // Every request the controller heard since the rig connected, as "command/point/table:length".
    QStringList requests() const {
        QStringList out;
        const bool sub = controller.subLan();
        for (const auto& f : controller.framesNoted(QStringLiteral("request"))) {
            const QByteArray& b = f.bytes;
            const qsizetype at = sub ? b.indexOf(QByteArray("EEE\x0E\x0F", 5)) + 5
                                     : b.indexOf(QByteArray("AAAAA12345")) + 10;
            if (at < 5 || b.size() < at + 5) continue;
            auto byte = [&b](qsizetype i) { return i < b.size() ? int(std::uint8_t(b[i])) : 0; };
            const int command = byte(at + 2);
            QString text =
                QStringLiteral("%1/%2/%3").arg(command).arg(byte(at + 3)).arg(byte(at + 4));
            if (command >= 100) {
                const qsizetype lengthAt =
                    at + 5 + (sub ? 1 : 0) + (!sub && ((byte(at) | byte(at + 1)) & 0x80) ? 1 : 0);
                text += QStringLiteral(":%1").arg(byte(lengthAt) | (byte(lengthAt + 1) << 8));
            }
            out << text;
        }
        return out;
    }
    // Runs `action` when this status text appears (on top of earlier such hooks).
    void whenStatus(const QString& status, std::function<void()> action) {
        ui.onStatus = [status, action, earlier = ui.onStatus](const QString& text) {
            if (earlier) earlier(text);
            if (text == status) action();
        };
    }
    // The controller ignores the request made after this status text.
    void silenceAt(const QString& status) {
        whenStatus(status, [this] {
            controller.faults.noAnswer = true;
            controller.faults.count = 1;
        });
    }
    QStringList messages() const { return ui.briefs(); }
    void answer(MessageAnswer a) { ui.answer(a); }

    QTemporaryDir dir;
};

// Connected at 19200 as the connect procedure leaves the controller.
struct RestoreRig : BackupRig {
    explicit RestoreRig(sim::Model model, int address = 5)
        : BackupRig(simOptions(model, address, 19200)) {
        if (controller.subLan())
            EXPECT_TRUE(connectSub());
        else
            connectLan();
    }
};

} // namespace vtl::test
