// Plays arbitrary bytes as the settings a controller reports to each configuration window (main
// panel, sub panel, ModBus Setup, LAN controller in each form, BACnet), shows them as the window
// would and sends them straight back, as a user pressing Send (or OK) at once. What goes out must be
// what came in, byte for byte, but for the few normalisations each window makes on purpose (an
// address held to its range, a flag sent as exactly 0 or 1, the bytes after a text's end); a second
// round trip must change nothing; and nothing a window refuses may be written.
//
// The first byte chooses the window, the rest is the reply.
#include "lan/BacnetDeviceSettings.h"
#include "lan/LanControllerSettings.h"
#include "link/Clock.h"
#include "link/ConnectionState.h"
#include "link/TransferBuffers.h"
#include "link/UserInterface.h"
#include "panels/MainPanelOperations.h"
#include "panels/ModbusSettings.h"
#include "panels/SubPanelSettings.h"

#include <QByteArray>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <span>

namespace {

using namespace vtl;

void check(bool condition) {
    if (!condition) std::abort();
}

QByteArray bytesOf(std::span<const std::uint8_t> in) {
    return QByteArray(reinterpret_cast<const char*>(in.data()), qsizetype(in.size()));
}

// `size` bytes of the input, zeros past its end.
QByteArray padded(std::span<const std::uint8_t> in, std::size_t size) {
    QByteArray out = bytesOf(in.first(std::min(in.size(), size)));
    out.append(QByteArray(qsizetype(size) - out.size(), '\0'));
    return out;
}

// ---- main panel: the window's own logic over a scripted exchange --------------------------------

struct MainPanelRun {
    std::optional<QByteArray> settingsWritten, modemWritten;
};

MainPanelRun mainPanelRoundTrip(const QByteArray& settings, const QByteArray& modem) {
    ConnectionState state;
    TransferBuffers buffers;
    VirtualClock clock;
    SilentUserInterface ui;
    MainPanelMemory memory;
    MainPanelRun run;
    const PanelExchange exchange = [&](std::uint8_t, std::uint8_t, std::uint8_t command,
                                       std::uint8_t point, std::uint8_t) {
        const QByteArray sent(reinterpret_cast<const char*>(buffers.TransferBuffer.data()),
                              qsizetype(buffers.TransferLength));
        const QByteArray* reply = nullptr;
        if (command == 38) reply = point == 49 ? &settings : &modem;
        if (command == 138) (point == 49 ? run.settingsWritten : run.modemWritten) = sent;
        if (reply) {
            std::copy(reply->begin(), reply->end(), buffers.ReplyBuffer.begin());
            buffers.TransferLength = std::uint32_t(reply->size());
        }
        return true;
    };
    MainPanelOperations ops(
        state, buffers, clock, ui, exchange, [](const PlannedWrite&) { return true; }, memory);
    MainPanelView view;
    ops.open(view);
    ops.send(view);
    return run;
}

void mainPanel(std::span<const std::uint8_t> in) {
    const QByteArray settings = padded(in, MainPanelSettings::Size);
    const QByteArray modem = padded(in.subspan(std::min<std::size_t>(in.size(), 18)), 32);

    // The block alone decodes and encodes exactly.
    const auto decoded = MainPanelSettings::decode(
        std::span<const std::uint8_t, MainPanelSettings::Size>(
            reinterpret_cast<const std::uint8_t*>(settings.constData()), MainPanelSettings::Size));
    const auto encoded = decoded.encode();
    check(bytesOf(encoded) == settings);

    const MainPanelRun run = mainPanelRoundTrip(settings, modem);
    // More than eight cards, or a count the lists do not hold, is refused before any write.
    const int in8 = std::uint8_t(settings[0]) <= MaxCards ? std::uint8_t(settings[0]) : -1;
    const int out8 = std::uint8_t(settings[1]) <= MaxCards ? std::uint8_t(settings[1]) : -1;
    if (!cardsFit(in8, out8)) {
        check(!run.settingsWritten && !run.modemWritten);
        return;
    }
    check(run.settingsWritten && run.modemWritten);
    check(*run.modemWritten == modem);
    QByteArray expected = settings;
    expected[7] = char(std::clamp<int>(std::uint8_t(settings[7]), 1, 125));
    expected[8] = char(settings[8] == 1 ? 1 : 0);
    check(*run.settingsWritten == expected);
    const MainPanelRun again = mainPanelRoundTrip(expected, modem);
    check(again.settingsWritten == expected);
}

// ---- sub panel: the settings byte of the identification reply and the address ------------------

void subPanel(std::span<const std::uint8_t> in) {
    const QByteArray b = padded(in, 2);
    const auto address = std::uint8_t(b[0]);
    const auto settings = std::uint8_t(b[1]);
    // What the window shows of the reply.
    const std::uint8_t code = (settings >> SubBaudCodeShift) & 0x07;
    const QString baudText = QString::number(subLineBaudRate(code));
    const bool lastPanel = settings & SubLastPanelBit;
    // What Send makes of it.
    const auto sentCode = subLineBaudCodeForText(baudText);
    check(sentCode.has_value());
    const std::uint8_t sent = subPanelSettingsByte(*sentCode, lastPanel);
    // Codes 6 and 7 run at 38400 and go back as 5; the bits Send does not own go back as 0.
    const std::uint8_t expected =
        std::uint8_t((std::min<int>(code, 5) << SubBaudCodeShift) | (settings & SubLastPanelBit));
    check(sent == expected);
    check(subLineBaudRate(*sentCode) == subLineBaudRate(code));
    check(clampSubPanelAddress(QString::number(address)) ==
          std::clamp<int>(address, 1, SubPanelMaxAddress));
}

// ---- ModBus Setup: the record, and an edit of it ------------------------------------------------

void modbus(std::span<const std::uint8_t> in) {
    const QByteArray b = padded(in, 4);
    ModbusBytes read{};
    std::copy_n(b.begin(), 4, read.begin());
    const ModbusView shown = modbusViewOf(read);
    check(modbusBytesOf(shown, read) == read);

    // Presses from the next bytes: mode, baud, data; what the user chose goes out, the rest stays.
    ModbusView edited = shown;
    const std::uint8_t presses = in.size() > 4 ? in[4] : 0;
    if (presses & 1) {
        edited.ascii = !edited.ascii;
        edited.dataText = modbusFormatForMode(edited.ascii);
    }
    for (int i = 0; i < ((presses >> 1) & 7); ++i)
        edited.baudText = nextModbusBaudText(edited.baudText);
    for (int i = 0; i < ((presses >> 4) & 7); ++i)
        edited.dataText = nextModbusFormatText(edited.dataText, edited.ascii);
    const ModbusBytes written = modbusBytesOf(edited, read);
    const ModbusView back = modbusViewOf(written);
    check(back.ascii == edited.ascii);
    if (edited.baudText == QLatin1String("???"))
        check(written[1] == read[1] && written[2] == read[2]);
    else
        check(back.baudText == edited.baudText);
    if (edited.dataText == QLatin1String("???"))
        check(written[3] == read[3]);
    else
        check(back.dataText == edited.dataText);
    check(modbusBytesOf(back, written) == written);
}

// ---- LAN controller, in each of its forms ------------------------------------------------------

void lanController(std::span<const std::uint8_t> in) {
    const LanForm form = LanForm(in.empty() ? 0 : in[0] % 3);
    const QByteArray b = padded(in.subspan(std::min<std::size_t>(in.size(), 1)), LanSettingsSize);
    LanSettingsBlock block{};
    std::copy_n(b.begin(), LanSettingsSize, block.begin());

    LanControllerView view;
    view.form = form;
    showLanSettings(block, view);
    const auto sent = lanSettingsToSend(view, block);
    check(sent.has_value()); // an address read is always one

    LanSettingsBlock expected = block;
    expected[LanOffset::Modem] = block[LanOffset::Modem] == 1 ? 1 : 0;
    expected[LanOffset::Address] = std::uint8_t(std::clamp<int>(block[LanOffset::Address], 1, 125));
    expected[LanOffset::LastPanel] = block[LanOffset::LastPanel] & 1;
    auto* text = expected.begin() + LanOffset::ModemString;
    std::fill(std::find(text, text + LanModemStringSize, std::uint8_t(0)), text + LanModemStringSize,
              std::uint8_t(0));
    if (form == LanForm::ModeParity) expected[LanOffset::SubLanB] = 0;
    check(*sent == expected);

    LanControllerView again;
    again.form = form;
    showLanSettings(*sent, again);
    check(lanSettingsToSend(again, *sent) == sent);
}

// ---- BACnet device settings ----------------------------------------------------------------------

// A text field as OK writes it back: up to the first zero of the characters shown, then zeros.
void expectText(QByteArray& expected, int at, int shown) {
    const QByteArray field = expected.mid(at, shown);
    const auto end = field.indexOf('\0');
    const int kept = end < 0 ? shown : int(end);
    expected.replace(at + kept, shown + 1 - kept, QByteArray(shown + 1 - kept, '\0'));
}

void bacnet(std::span<const std::uint8_t> in) {
    // As the window takes a read: at least 164 bytes, zeros past the reply's end.
    const QByteArray base = padded(in, std::max<std::size_t>(in.size(), BacnetBlockMinSize));
    const BacnetDeviceView view = showBacnetSettings(base);
    const BacnetEncoding sent = bacnetSettingsToSend(view, base);

    const auto at = [&base](int i) { return std::uint8_t(base[i]); };
    const std::uint32_t instance = std::uint32_t(at(0)) << 24 | std::uint32_t(at(1)) << 16 |
                                   std::uint32_t(at(2)) << 8 | at(3);
    const std::uint32_t apdu = std::uint32_t(at(158)) << 24 | std::uint32_t(at(159)) << 16 |
                               std::uint32_t(at(160)) << 8 | at(161);
    const bool nameEmpty = at(BacnetOffset::Name) == 0;
    const char* refusal = nullptr;
    if (nameEmpty && instance != 0 && instance <= MaxBacnetInstance)
        refusal = "Device Must Be Assigned A Name. Configuration NOT Sent.";
    else if (apdu < 50 || apdu > 60000)
        refusal = "Invalid APDU Timeout. Configuration NOT Sent.";
    else if (at(BacnetOffset::TokenTimeout) < 20 || at(BacnetOffset::TokenTimeout) > 100)
        refusal = "Invalid Token Timeout. Configuration NOT Sent.";
    else if (at(BacnetOffset::MaxMaster) > 127)
        refusal = "Invalid Max Master. Configuration NOT Sent.";
    if (refusal) {
        check(sent.refusal == QLatin1String(refusal) && sent.block.isEmpty());
        return;
    }
    check(sent.refusal.isEmpty());
    QByteArray expected = base;
    if (instance > MaxBacnetInstance) expected.replace(0, 4, QByteArray(4, '\0'));
    expectText(expected, BacnetOffset::Name, BacnetNameLength);
    expectText(expected, BacnetOffset::Location, BacnetTextLength);
    expectText(expected, BacnetOffset::Description, BacnetTextLength);
    check(sent.block == expected);
    const BacnetEncoding again = bacnetSettingsToSend(showBacnetSettings(sent.block), sent.block);
    check(again.refusal.isEmpty() && again.block == sent.block);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::span<const std::uint8_t> rest(data + 1, size - 1);
    switch (data[0] % 5) {
    case 0:
        mainPanel(rest);
        break;
    case 1:
        subPanel(rest);
        break;
    case 2:
        modbus(rest);
        break;
    case 3:
        lanController(rest);
        break;
    case 4:
        bacnet(rest);
        break;
    }
    return 0;
}
