#include "sim/HostLoop.h"
#include "sim/SimulatedController.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSaveFile>

#include <cstdio>

using namespace vtl::sim;

namespace {

// "38/0/0" as a record key.
std::optional<RecordKey> recordKeyOf(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('/'));
    if (parts.size() != 3) return std::nullopt;
    std::uint8_t values[3] = {};
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        const int value = parts[i].toInt(&ok);
        if (!ok || value < 0 || value > 255) return std::nullopt;
        values[i] = std::uint8_t(value);
    }
    return RecordKey{values[0], values[1], values[2]};
}

int fail(const QString& message) {
    std::fprintf(stderr, "vtl-sim: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vtl-sim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A simulated controller on a pseudo-terminal or TCP port."));
    parser.addHelpOption();
    const QCommandLineOption model(
        {QStringLiteral("model")},
        QStringLiteral("One of: %1.").arg(modelNames().join(QStringLiteral(", "))),
        QStringLiteral("MODEL"));
    const QCommandLineOption address({QStringLiteral("address")},
                                     QStringLiteral("Controller address."), QStringLiteral("N"),
                                     QStringLiteral("1"));
    const QCommandLineOption baud({QStringLiteral("baud")}, QStringLiteral("Line rate."),
                                  QStringLiteral("RATE"), QStringLiteral("19200"));
    const QCommandLineOption typeCode({QStringLiteral("type-code")},
                                      QStringLiteral("Type code reported to the type code read."),
                                      QStringLiteral("N"));
    const QCommandLineOption pty({QStringLiteral("pty")},
                                 QStringLiteral("Host on a new pseudo-terminal."));
    const QCommandLineOption tcp({QStringLiteral("tcp")},
                                 QStringLiteral("Host on 127.0.0.1:PORT (0: any free port)."),
                                 QStringLiteral("PORT"));
    const QCommandLineOption log({QStringLiteral("log")},
                                 QStringLiteral("Print every frame heard and sent on exit."));
    const QCommandLineOption subPanelType(
        {QStringLiteral("sub-panel-type")},
        QStringLiteral("Sub panels: the type reported by the read of table 5."),
        QStringLiteral("N"));
    const QCommandLineOption cleared(
        {QStringLiteral("cleared")},
        QStringLiteral("Start as after a clear: memory wiped, settings kept."));
    const QCommandLineOption dump(
        {QStringLiteral("dump")},
        QStringLiteral("On exit, write every record of the memory to FILE, one a line: "
                       "\"command point table length hex\"."),
        QStringLiteral("FILE"));
    const QCommandLineOption secondStation(
        {QStringLiteral("second-station")},
        QStringLiteral("Sub LAN: another station at address N talks on the bus too."),
        QStringLiteral("N"));
    const QCommandLineOption secondStationAfter(
        {QStringLiteral("second-station-after")},
        QStringLiteral("Sub LAN: the second station is heard only after N requests were served, "
                       "so that the program can connect first."),
        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption marker(
        {QStringLiteral("marker")},
        QStringLiteral("Sub LAN: station 0 sends a marker frame carrying VALUE."),
        QStringLiteral("VALUE"));
    const QCommandLineOption result(
        {QStringLiteral("result")},
        QStringLiteral("LAN controllers: the settings reply carries VALUE after the block."),
        QStringLiteral("VALUE"));
    const QCommandLineOption dropWrite(
        {QStringLiteral("drop-write")},
        QStringLiteral("Acknowledge the N-th record write but do not store it."),
        QStringLiteral("N"));
    const QCommandLineOption silentRead(
        {QStringLiteral("silent-read")},
        QStringLiteral("Leave every read of the record COMMAND/POINT/TABLE unanswered (may be "
                       "repeated)."),
        QStringLiteral("C/P/T"));
    const QCommandLineOption record(
        {QStringLiteral("record")},
        QStringLiteral("Start with the record COMMAND/POINT/TABLE holding the bytes HEX (may be "
                       "repeated)."),
        QStringLiteral("C/P/T=HEX"));
    parser.addOptions({model, address, baud, typeCode, subPanelType, pty, tcp, log, cleared, dump,
                       secondStation, secondStationAfter, marker, result, dropWrite, silentRead,
                       record});
    parser.process(app);

    const auto chosen = modelFromName(parser.value(model));
    if (!chosen)
        return fail(QStringLiteral("--model must be one of: %1")
                        .arg(modelNames().join(QStringLiteral(", "))));
    if (parser.isSet(pty) == parser.isSet(tcp))
        return fail(QStringLiteral("give exactly one of --pty and --tcp PORT"));
    bool ok = true;
    ControllerOptions options;
    options.model = *chosen;
    // In real time the program on the other end may be slowed by a busy machine: a poll waits
    // longer for its answer than on virtual time, so a late answer is not taken for a stray byte.
    options.pollWindowUs = 300'000;
    // A pseudo-terminal's bytes leave only when we read them: a run of the program that ends while
    // this process is not scheduled may close the line before its last bytes (the release of the
    // bus) are read, and they are lost. The bus then comes back after a few seconds of silence,
    // sooner than the next program's listening gives up (30 s), and later than any silence of a
    // program that holds the bus: a reply it waits for through other stations' traffic can take
    // 5.5 s before it is given up, and the release comes after that.
    options.busHoldTimeoutUs = 12'000'000;
    options.address = parser.value(address).toInt(&ok);
    if (!ok || options.address < 0 || options.address > 255)
        return fail(QStringLiteral("bad --address"));
    options.lineRate = parser.value(baud).toInt(&ok);
    if (!ok || options.lineRate <= 0) return fail(QStringLiteral("bad --baud"));
    if (parser.isSet(typeCode)) {
        options.typeCode = parser.value(typeCode).toInt(&ok);
        if (!ok || options.typeCode < 0 || options.typeCode > 65535)
            return fail(QStringLiteral("bad --type-code"));
    }
    if (parser.isSet(subPanelType)) {
        options.subPanelType = parser.value(subPanelType).toInt(&ok);
        if (!ok || options.subPanelType < 0 || options.subPanelType > 255)
            return fail(QStringLiteral("bad --sub-panel-type"));
    }
    if (parser.isSet(secondStation)) {
        options.secondStation = parser.value(secondStation).toInt(&ok);
        if (!ok || options.secondStation < 1 || options.secondStation > 255)
            return fail(QStringLiteral("bad --second-station"));
    }
    options.secondStationAfter = parser.value(secondStationAfter).toInt(&ok);
    if (!ok || options.secondStationAfter < 0)
        return fail(QStringLiteral("bad --second-station-after"));
    if (parser.isSet(marker)) {
        const int value = parser.value(marker).toInt(&ok);
        if (!ok || value < 0 || value > 255) return fail(QStringLiteral("bad --marker"));
        options.markerValue = std::uint8_t(value);
    }
    if (parser.isSet(result)) {
        const auto value = parser.value(result).toUInt(&ok);
        if (!ok) return fail(QStringLiteral("bad --result"));
        options.settingsResult = value;
    }
    for (const QString& key : parser.values(silentRead)) {
        const auto parsed = recordKeyOf(key);
        if (!parsed) return fail(QStringLiteral("bad --silent-read"));
        options.silentReads.append(*parsed);
    }
    QList<std::pair<RecordKey, QByteArray>> records;
    for (const QString& value : parser.values(record)) {
        const auto parsed = recordKeyOf(value.section(QLatin1Char('='), 0, 0));
        const QByteArray hex = value.section(QLatin1Char('='), 1).toLatin1();
        const QByteArray bytes = QByteArray::fromHex(hex);
        if (!parsed || !value.contains(QLatin1Char('=')) || bytes.toHex() != hex.toLower())
            return fail(QStringLiteral("bad --record"));
        records.append({*parsed, bytes});
    }
    int port = 0;
    if (parser.isSet(tcp)) {
        port = parser.value(tcp).toInt(&ok);
        if (!ok || port < 0 || port > 65535) return fail(QStringLiteral("bad --tcp port"));
    }

    stopOnSignals();

    SimulatedController controller(options);
    if (parser.isSet(cleared)) controller.memory().clear();
    for (const auto& [key, bytes] : records)
        controller.poke(key, bytes);
    if (parser.isSet(dropWrite)) {
        const int number = parser.value(dropWrite).toInt(&ok);
        if (!ok || number < 1) return fail(QStringLiteral("bad --drop-write"));
        controller.writeDrop.dropWrite(number);
    }
    const bool hosted =
        parser.isSet(pty) ? hostOnPty(controller) : hostOnTcp(controller, std::uint16_t(port));
    if (!hosted) return fail(QStringLiteral("cannot open the line"));

    if (parser.isSet(log))
        for (const FrameRecord& f : controller.frames())
            std::fprintf(stderr, "%lld %s %s: %s\n", static_cast<long long>(f.timeUs),
                         f.direction == FrameRecord::Direction::Heard ? "heard" : "sent",
                         qPrintable(f.note), f.bytes.toHex(' ').constData());
    if (parser.isSet(dump)) {
        QSaveFile file(parser.value(dump));
        if (!file.open(QIODevice::WriteOnly) || file.write(controller.memory().dump()) < 0 ||
            !file.commit())
            return fail(QStringLiteral("cannot write %1").arg(parser.value(dump)));
    }
    if (!controller.writeDrop.lost().isEmpty())
        std::fprintf(stderr, "dropped write %s\n", qPrintable(controller.writeDrop.lost()));
    const QStringList violations = controller.violations();
    for (const QString& v : violations)
        std::fprintf(stderr, "violation: %s\n", qPrintable(v));
    return violations.isEmpty() ? 0 : 1;
}
