#pragma once

// A backup against a simulated controller on virtual time, and what the tests need to read its
// file back.

#include "link/PipeTransport.h"
#include "link/Session.h"
#include "panelfile/BlockRecord.h"
#include "panelfile/PanelBackup.h"
#include "panelfile/PanelFileHeader.h"
#include "sim/SimulatedController.h"
#include "tests/support/ScriptedUserInterface.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QSaveFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace vtl::test {

// The scripted user interface, plus actions run when a given status text appears (to make the
// controller misbehave at one particular block).
class HookedUserInterface final : public UserInterface {
public:
    MessageAnswer message(const QString& text, const QString& caption, MessageButtons buttons,
                          MessageIcon icon, const QString& = {}) override {
        return script.message(text, caption, buttons, icon);
    }
    void setTitle(const QString& title) override { script.setTitle(title); }
    void setWaitCursor(bool on) override { script.setWaitCursor(on); }
    void setStatus(const QString& text) override {
        script.setStatus(text);
        if (auto it = onStatus.find(text); it != onStatus.end()) it.value()();
    }

    ScriptedUserInterface script;
    QMap<QString, std::function<void()>> onStatus;
};

// Takes `budget` bytes, then refuses every write.
class FailingSaveFile final : public QSaveFile {
public:
    FailingSaveFile(const QString& name, qint64 budget) : QSaveFile(name), budget_(budget) {}

protected:
    qint64 writeData(const char* data, qint64 len) override {
        if (len > budget_) return -1;
        budget_ -= len;
        return QSaveFile::writeData(data, len);
    }

private:
    qint64 budget_;
};

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

class BackupRig {
public:
    explicit BackupRig(const sim::ControllerOptions& options) : sim(options) {
        state.PortName = QStringLiteral("sim");
        state.BaudRate = options.lineRate;
        state.PanelAddress = std::uint32_t(options.address);
    }

    // As the connect procedure leaves a LAN-framed controller.
    void connectLan() {
        state.LinkMode = LinkModeLan;
        const std::uint32_t code = std::uint32_t(sim.typeCode());
        state.PanelTypeCode = code;
        state.IsLanController = (code >= 490 && code <= 499) || (code >= 600 && code <= 699);
        state.IsBrinlet = code >= 600 && code <= 699;
        state.IsCode602 = code >= 602 && code <= 699;
    }
    // As the connect procedure leaves a sub panel: its status read, which sets the family flags
    // and hands the bus back.
    bool connectSub() {
        state.LinkMode = LinkModeSubLan;
        state.PollPending = 1;
        state.ReleasePending = 1;
        buffers->TransferLength = 0;
        const bool ok =
            session.exchange.PanelTransaction(std::uint8_t(state.PanelAddress), 0, 38, 0, 0);
        sim.clearFrames();
        return ok;
    }

    BackupOutcome backup(PanelFamily family, const QString& target) {
        PanelBackup backup(session, family);
        backup.setTimeSource(backupTime);
        return backup.run(target);
    }
    QString path(const QString& name = QStringLiteral("PANEL.PNL")) const {
        return dir.filePath(name);
    }
    QStringList dirEntries() const {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    sim::SimulatedController sim;
    VirtualClock clock;
    ConnectionState state;
    std::unique_ptr<TransferBuffers> buffers = std::make_unique<TransferBuffers>();
    HookedUserInterface ui;
    Session session{state, *buffers, clock, ui,
                    [this](const QString&) { return std::make_unique<PipeTransport>(sim, clock); }};
    QTemporaryDir dir;
};

} // namespace vtl::test
