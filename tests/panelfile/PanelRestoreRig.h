#pragma once

// A restore against a simulated controller on virtual time: panel files built with the file
// writers, the requests the controller heard, and status texts with the time they appeared.

#include "link/PipeTransport.h"
#include "link/Session.h"
#include "panelfile/BlockRecord.h"
#include "panelfile/PanelFileHeader.h"
#include "panelfile/PanelRestore.h"
#include "sim/SimulatedController.h"
#include "tests/support/ScriptedUserInterface.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QList>
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
    EXPECT_TRUE(
        writeHeader(file, QDateTime(QDate(2008, 6, 9), QTime(15, 7, 45)), familyCode, anyAddress));
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

// Remembers the virtual time of every status text.
class TimedUserInterface final : public UserInterface {
public:
    explicit TimedUserInterface(const Clock& clock) : clock_(clock) {}

    MessageAnswer message(const QString& text, const QString& caption, MessageButtons buttons,
                          MessageIcon icon, const QString& = {}) override {
        return script.message(text, caption, buttons, icon);
    }
    void setTitle(const QString& title) override { script.setTitle(title); }
    void setWaitCursor(bool on) override { script.setWaitCursor(on); }
    void setStatus(const QString& text) override {
        script.setStatus(text);
        statusTimesUs.append(clock_.nowUs());
        if (onStatus) onStatus(text);
    }

    std::int64_t statusTimeUs(const QString& text) const {
        const qsizetype i = script.statuses.indexOf(text);
        return i < 0 ? -1 : statusTimesUs[i];
    }

    ScriptedUserInterface script;
    QList<std::int64_t> statusTimesUs;
    // Runs after each text, e.g. to make the controller misbehave at one particular record.
    std::function<void(const QString&)> onStatus;

private:
    const Clock& clock_;
};

class RestoreRig {
public:
    explicit RestoreRig(sim::Model model, int address = 5) : sim(options(model, address)) {
        state.PortName = QStringLiteral("sim");
        state.BaudRate = sim.options().lineRate;
        state.PanelAddress = std::uint32_t(address);
        if (sim.subLan())
            connectSub();
        else
            connectLan();
    }

    static sim::ControllerOptions options(sim::Model model, int address) {
        sim::ControllerOptions o;
        o.model = model;
        o.address = address;
        o.lineRate = 19200;
        return o;
    }

    RestoreOutcome restore(PanelFamily family, const QString& path) {
        return PanelRestore(session, family).run(path);
    }

    // Every request the controller heard since the rig connected, as "command/point/table:length".
    QStringList requests() const {
        QStringList out;
        for (const auto& f : sim.framesNoted(QStringLiteral("request"))) {
            const QByteArray& b = f.bytes;
            const bool sub = sim.subLan();
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
    QStringList statuses() const { return ui.script.statuses; }
    QStringList messages() const { return ui.script.briefs(); }
    void answer(MessageAnswer a) { ui.script.answer(a); }

    sim::SimulatedController sim;
    VirtualClock clock;
    ConnectionState state;
    std::unique_ptr<TransferBuffers> buffers = std::make_unique<TransferBuffers>();
    TimedUserInterface ui{clock};
    Session session{state, *buffers, clock, ui,
                    [this](const QString&) { return std::make_unique<PipeTransport>(sim, clock); }};
    QTemporaryDir dir;

private:
    // As the connect procedure leaves a LAN-framed controller.
    void connectLan() {
        state.LinkMode = LinkModeLan;
        const std::uint32_t code = std::uint32_t(sim.typeCode());
        state.PanelTypeCode = code;
        state.IsLanController = (code >= 490 && code <= 499) || (code >= 600 && code <= 699);
        state.IsBrinlet = code >= 600 && code <= 699;
        state.IsCode602 = code >= 602 && code <= 699;
    }
    // As it leaves a sub panel: the status read set the family flags and handed the bus back.
    void connectSub() {
        state.LinkMode = LinkModeSubLan;
        state.PollPending = 1;
        state.ReleasePending = 1;
        buffers->TransferLength = 0;
        EXPECT_TRUE(
            session.exchange.PanelTransaction(std::uint8_t(state.PanelAddress), 0, 38, 0, 0));
        sim.clearFrames();
        ui.script.statuses.clear();
        ui.statusTimesUs.clear();
    }
};

} // namespace vtl::test
