// The command line's --retries budget belongs to one question: a backup on the virtual clock,
// answered by the command line's own user interface, with transient failures at several blocks.
#include "cli/TerminalUserInterface.h"
#include "link/PipeTransport.h"
#include "link/Session.h"
#include "panelfile/PanelBackup.h"
#include "sim/SimulatedController.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '[' << list.join(QStringLiteral(" | ")).toStdString() << ']';
}
QT_END_NAMESPACE

namespace vtl::cli {
namespace {

// Passes everything to the command line's interface; at the given status texts the controller
// ignores the next `silentRequests` requests.
class FaultAtStatus final : public UserInterface {
public:
    FaultAtStatus(UserInterface& inner, sim::SimulatedController& controller, QStringList statuses,
                  int silentRequests)
        : inner_(inner), controller_(controller), statuses_(std::move(statuses)),
          silent_(silentRequests) {}

    MessageAnswer message(const QString& text, const QString& caption, MessageButtons buttons,
                          MessageIcon icon, const QString& detail) override {
        return inner_.message(text, caption, buttons, icon, detail);
    }
    void setTitle(const QString& title) override { inner_.setTitle(title); }
    void setWaitCursor(bool on) override { inner_.setWaitCursor(on); }
    void setFailureReason(const QString& reason) override { inner_.setFailureReason(reason); }
    void setStatus(const QString& text) override {
        if (statuses_.contains(text)) {
            controller_.faults.noAnswer = true;
            controller_.faults.count = silent_;
        }
        inner_.setStatus(text);
    }

private:
    UserInterface& inner_;
    sim::SimulatedController& controller_;
    QStringList statuses_;
    int silent_;
};

struct BackupWithFaults {
    BackupWithFaults(int retries, QStringList faultStatuses, int silentRequests)
        : terminal(err, retries),
          ui(terminal, controller, std::move(faultStatuses), silentRequests) {
        state.PortName = QStringLiteral("sim");
        state.BaudRate = 38400;
        state.PanelAddress = 5;
        state.LinkMode = LinkModeLan;
        state.PanelTypeCode = 320;
        terminal.setShowProgress(false);
    }
    static sim::ControllerOptions options() {
        sim::ControllerOptions o;
        o.model = sim::Model::Main;
        o.address = 5;
        o.lineRate = 38400;
        return o;
    }
    BackupOutcome run() {
        return PanelBackup(session, PanelFamily::Main).run(dir.filePath(QStringLiteral("P.PNL")));
    }
    // The messages, without the failure reasons beneath them.
    QStringList lines() const {
        QStringList all = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        all.removeIf(
            [](const QString& line) { return line.startsWith(QLatin1String("  reason: ")); });
        return all;
    }

    QString text;
    QTextStream err{&text};
    TerminalUserInterface terminal;
    VirtualClock clock;
    ConnectionState state;
    TransferBuffers buffers;
    sim::SimulatedController controller{options()};
    FaultAtStatus ui;
    Session session{state, buffers, clock, ui, [this](const QString&) {
                        return std::make_unique<PipeTransport>(controller, clock);
                    }};
    QTemporaryDir dir;
};

const QString RetryLine = QStringLiteral("[VTL] Problem Retrieving Data. -> Retry");

TEST(RetryBudget, EveryBlockStartsAgainAtN) {
    // Three blocks fail once each; one retry apiece is enough.
    BackupWithFaults t(
        1, {"Reading Outputs 1 of 4", "Reading Outputs 3 of 4", "Reading Inputs 2 of 4"}, 1);
    EXPECT_EQ(t.run(), BackupOutcome::Finished) << qPrintable(t.text);
    EXPECT_EQ(t.lines(), QStringList(3, RetryLine));
}

TEST(RetryBudget, OneBlockStillGivesUpAfterN) {
    // One block fails three times in a row: two retries, then the safe answer.
    BackupWithFaults t(2, {"Reading Inputs 2 of 4"}, 3);
    EXPECT_EQ(t.run(), BackupOutcome::Aborted);
    EXPECT_EQ(t.lines(),
              (QStringList{RetryLine, RetryLine, "[VTL] Problem Retrieving Data. -> Abort",
                           "[VTL] Panel File Creation Aborted."}));
}

} // namespace
} // namespace vtl::cli
