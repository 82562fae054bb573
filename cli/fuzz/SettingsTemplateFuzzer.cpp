// Takes arbitrary bytes as a settings template given to --apply and runs it as `vtl-cli settings`,
// `modbus` and `bacnet` do, on the kind of controller the first byte chooses: what the reader or
// the checks before connecting refuse is refused with a reason; what passes them goes through the
// window's own logic to a simulated controller on the virtual clock. Then: a refusal writes
// nothing; a template that changes nothing sends nothing; a failure says why; and once a template
// is sent, the controller read again shows every key the template holds at the value it gave and
// every other setting as it was. The controller must hear nothing against the protocol.
//
// The first byte chooses the controller, the command and how questions are answered; the rest is
// the template.
#include "cli/SettingsTemplate.h"
#include "cli/SettingsWindow.h"
#include "lan/LanControllerSettings.h"
#include "link/Clock.h"
#include "link/PipeTransport.h"
#include "panels/MainPanelMemory.h"
#include "panels/SubPanelOperations.h"
#include "sim/SimulatedController.h"

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace vtl;
using cli::SettingsCommand;

// Says which check failed: most are on one path of many, and the input alone does not tell.
void check(bool condition, unsigned line = __builtin_LINE()) {
    if (condition) return;
    std::fprintf(stderr, "check failed at line %u\n", line);
    std::abort();
}

constexpr sim::Model Models[] = {sim::Model::Main,    sim::Model::Lan490,  sim::Model::Lan600,
                                 sim::Model::Lan602,  sim::Model::Sub3000, sim::Model::Sub4000,
                                 sim::Model::Sub5000, sim::Model::Sub6000, sim::Model::Sub7000};
constexpr SettingsCommand Commands[] = {SettingsCommand::Settings, SettingsCommand::Modbus,
                                        SettingsCommand::Bacnet};

// Answers a question Yes (or OK) as --answer can, or else as nobody is there to ask; counts what
// it was told.
class AnsweringUi final : public UserInterface {
public:
    explicit AnsweringUi(bool yes) : yes_(yes) {}
    MessageAnswer message(const QString&, const QString&, MessageButtons buttons, MessageIcon,
                          const QString& = {}) override {
        ++messages;
        if (yes_ && buttons == MessageButtons::YesNo) return MessageAnswer::Yes;
        if (yes_ && buttons == MessageButtons::OkCancel) return MessageAnswer::Ok;
        return safeAnswer(buttons);
    }
    void setTitle(const QString&) override {}
    void setWaitCursor(bool) override {}
    void setStatus(const QString&) override {}

    int messages = 0;

private:
    bool yes_;
};

// One controller on an in-memory line.
struct Line {
    explicit Line(sim::Model model) : controller(options(model)) {}

    static sim::ControllerOptions options(sim::Model model) {
        sim::ControllerOptions o;
        o.model = model;
        o.address = 9;
        o.lineRate = 38400;
        return o;
    }

    VirtualClock clock;
    sim::SimulatedController controller;
};

// One run of vtl-cli on the line: its own connection, found as `--port sim` with the baud given
// finds it.
struct Run {
    Run(Line& line, bool answerYes)
        : ui(answerYes), session(state, buffers, line.clock, ui, [&line](const QString&) {
              return std::make_unique<PipeTransport>(line.controller, line.clock);
          }) {}

    std::optional<ControllerWindow> connect(int baudPosition, bool subLan) {
        std::optional<ControllerWindow> window;
        Connect(session, {OrdinaryAccessCode, QStringLiteral("sim"), baudPosition, subLan},
                [&](ControllerWindow found) { window = found; });
        return window;
    }

    ConnectionState state;
    TransferBuffers buffers;
    AnsweringUi ui;
    Session session;
    MainPanelMemory mainMemory;
    SubPanelMemory subMemory;
};

// The kind of controller a template may name, for the window found.
QString kindOf(const ConnectionState& state, ControllerWindow window) {
    switch (window) {
    case ControllerWindow::MainPanel:
        return QStringLiteral("main panel");
    case ControllerWindow::LanController:
        return state.IsBrinlet ? QStringLiteral("Brinlet controller")
                               : QStringLiteral("LAN controller");
    case ControllerWindow::SubPanel:
        return QStringLiteral("sub panel");
    }
    return {};
}

// Whether the read-out shows the value the template gave: numbers (and the octets of an address)
// by their value, flags by their state, ModBus's mode and format in any letter case, every other
// text exactly.
bool shows(const cli::Setting& shown, const QString& given, SettingsCommand command) {
    if (shown.json.isDouble())
        return cli::isDigits(given, 9) && given.toLongLong() == qint64(shown.json.toDouble());
    if (shown.json.isBool()) return cli::parseYesNo(given.toLower()) == shown.json.toBool();
    // An address's octets are numbers too: "10.01.2.3" is 10.1.2.3.
    if (const auto address = parseIpv4Address(given))
        return address == parseIpv4Address(shown.text);
    return shown.text.compare(given, command == SettingsCommand::Modbus ? Qt::CaseInsensitive
                                                                        : Qt::CaseSensitive) == 0;
}

const cli::Setting* find(const cli::SettingLines& lines, const QString& key) {
    for (const cli::Setting& line : lines)
        if (line.key == key) return &line;
    return nullptr;
}

// The settings as a later run reads them, given the line speed the first run followed the
// controller to (Auto Detect does not try the lowest).
cli::SettingLines readBack(Line& line, std::int32_t lineRate, SettingsCommand command,
                           bool subLan) {
    Run again(line, false);
    const auto rate = std::find(BaudListRates.begin() + 1, BaudListRates.end(), lineRate);
    check(rate != BaudListRates.end());
    const auto window = again.connect(int(rate - BaudListRates.begin()), subLan);
    check(window.has_value());
    QString why;
    const auto opened = cli::openSettingsWindow(command, *window, again.session, again.mainMemory,
                                                again.subMemory, why);
    check(opened && opened->read(why));
    return opened->lines();
}

// Each send keeps a snapshot first: in a folder of the target's own, emptied after each run.
QTemporaryDir& historyFolder() {
    static QTemporaryDir folder;
    return folder;
}

void emptyHistoryFolder() {
    const QString path = historyFolder().path() + QStringLiteral("/history");
    if (QDir(path).exists()) QDir(path).removeRecursively();
}

// One template on one controller, from reading it to reading the controller again.
void runTemplate(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return;
    // 27 pairs of controller and command; from 108 on (four rounds of them) questions get Yes.
    const sim::Model model = Models[data[0] % 9];
    const SettingsCommand command = Commands[(data[0] / 9) % 3];
    const bool answerYes = data[0] >= 27 * 4;
    const bool subLan = sim::isSubPanel(model);
    const QByteArray text(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));

    // Before connecting: the template read, and each change checked as --set checks it.
    const cli::TemplateRead read = cli::parseSettingsTemplate(
        text, QStringLiteral("t.json"), cli::descriptiveKeys(command, subLan));
    if (!read.settings) {
        check(!read.problem.isEmpty());
        return;
    }
    const cli::SettingsTemplate& settings = *read.settings;
    if (settings.controller && (*settings.controller == QLatin1String("sub panel")) != subLan)
        return;
    for (const auto& [key, value] : settings.changes) {
        check(!cli::descriptiveKeys(command, subLan).contains(key));
        if (!cli::settingProblem(command, subLan, key, value).isEmpty()) return;
    }
    if (!cli::changesProblem(command, settings.changes).isEmpty()) return;

    Line line(model);
    Run run(line, answerYes);
    const auto window = run.connect(3, subLan); // 38400
    check(window.has_value());
    if (settings.controller && *settings.controller != kindOf(run.state, *window)) return;
    QString why;
    const auto opened =
        cli::openSettingsWindow(command, *window, run.session, run.mainMemory, run.subMemory, why);
    if (!opened) return;

    const QByteArray memoryBefore = line.controller.memory().dump();
    const int messagesBefore = run.ui.messages;
    const cli::SettingsResult result =
        cli::runSettingsWindow(*opened, {settings.changes, false, true});
    check(line.controller.violations().isEmpty());
    using Status = cli::SettingsResult::Status;
    if (result.status == Status::Failed) {
        // On a line without faults only a check or a question answered No stops a send: it says
        // why and comes before the first write.
        check(!result.why.isEmpty() || run.ui.messages > messagesBefore);
        check(line.controller.memory().dump() == memoryBefore);
        return;
    }
    if (!result.sent) {
        // Refused, or nothing to change: nothing written.
        check(result.status == Status::Refused || result.differences.isEmpty());
        check(line.controller.memory().dump() == memoryBefore);
        return;
    }
    check(!result.differences.isEmpty());

    const cli::SettingLines after = readBack(line, run.state.BaudRate, command, subLan);
    check(line.controller.violations().isEmpty());
    for (const cli::Setting& before : result.before) {
        const cli::Setting* now = find(after, before.key);
        check(now != nullptr);
        const auto change = std::ranges::find_if(
            settings.changes, [&](const auto& c) { return c.first == before.key; });
        // A ModBus mode changed puts the format on the mode's first, as the window's buttons do.
        const bool follows =
            command == SettingsCommand::Modbus && before.key == QLatin1String("format") &&
            std::ranges::any_of(settings.changes,
                                [](const auto& c) { return c.first == QLatin1String("mode"); });
        const bool kept = change == settings.changes.end() ? now->text == before.text || follows
                                                           : shows(*now, change->second, command);
        if (!kept)
            std::fprintf(stderr, "%s: was %s, given %s, reads back %s\n", qPrintable(before.key),
                         qPrintable(before.text),
                         change == settings.changes.end() ? "nothing" : qPrintable(change->second),
                         qPrintable(now->text));
        check(kept);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    check(historyFolder().isValid());
    qputenv("VTL_HISTORY_DIR", (historyFolder().path() + QStringLiteral("/history")).toLocal8Bit());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    runTemplate(data, size);
    emptyHistoryFolder();
    return 0;
}
