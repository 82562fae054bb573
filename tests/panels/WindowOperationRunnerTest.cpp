// The runner on its own: a window's inputs held still while its work runs, one piece of work on
// the line program-wide, and a wait that holds when something else ends the event loop.
#include "panels/WindowOperationRunner.h"
#include "link/Clock.h"
#include "tests/support/ScriptedUserInterface.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <atomic>

namespace vtl {
namespace {

struct RunnerRig {
    RunnerRig() {
        auto* layout = new QVBoxLayout(&window);
        for (QWidget* w : std::initializer_list<QWidget*>{text, readOnlyText, spin, choice, check,
                                                          button, disabledButton})
            layout->addWidget(w);
        readOnlyText->setReadOnly(true);
        disabledButton->setEnabled(false);
        window.show();
    }
    // Runs `during` on the window's thread while the work runs, then lets the work end.
    bool runWhile(WindowOperationRunner& on, const std::function<void()>& during) {
        std::atomic<bool> release{false};
        QTimer::singleShot(20, [&] {
            during();
            release = true;
        });
        return on.run([&] {
            while (!release)
                QThread::msleep(5);
        });
    }

    test::ScriptedUserInterface ui;
    VirtualClock clock;
    QDialog window;
    QLineEdit* text = new QLineEdit;
    QLineEdit* readOnlyText = new QLineEdit;
    QSpinBox* spin = new QSpinBox;
    QComboBox* choice = new QComboBox;
    QCheckBox* check = new QCheckBox;
    QPushButton* button = new QPushButton;
    QPushButton* disabledButton = new QPushButton;
    WindowOperationRunner runner{&window, ui, clock};
};

struct InputState {
    bool textEditable, readOnlyTextEditable, spinEditable, choiceEnabled, checkEnabled,
        buttonEnabled, disabledButtonEnabled;
    bool operator==(const InputState&) const = default;
};

InputState stateOf(const RunnerRig& r) {
    return {!r.text->isReadOnly(),        !r.readOnlyText->isReadOnly(), !r.spin->isReadOnly(),
            r.choice->isEnabled(),        r.check->isEnabled(),          r.button->isEnabled(),
            r.disabledButton->isEnabled()};
}

TEST(WindowOperationRunner, HoldsTheWindowsInputsStillWhileItsWorkRuns) {
    RunnerRig r;
    InputState during{};
    EXPECT_TRUE(r.runWhile(r.runner, [&] { during = stateOf(r); }));
    EXPECT_EQ(during, (InputState{false, false, false, false, false, false, false}));
    // Afterwards every input is as it was, the ones that were held still before included.
    EXPECT_EQ(stateOf(r), (InputState{true, false, true, true, true, true, false}));
}

TEST(WindowOperationRunner, RefusesMoreWorkWhileAnyWindowsWorkRuns) {
    RunnerRig r;
    QDialog other;
    WindowOperationRunner otherRunner(&other, r.ui, r.clock);
    bool refused = false;
    bool otherWorkRan = false;
    bool busyDuring = false;
    EXPECT_TRUE(r.runWhile(r.runner, [&] {
        busyDuring = WindowOperationRunner::lineBusy();
        refused = !otherRunner.run([&] { otherWorkRan = true; });
    }));
    EXPECT_TRUE(busyDuring);
    EXPECT_TRUE(refused);
    EXPECT_FALSE(otherWorkRan);
    EXPECT_FALSE(WindowOperationRunner::lineBusy());
    EXPECT_TRUE(otherRunner.run([&] { otherWorkRan = true; }));
    EXPECT_TRUE(otherWorkRan);
}

// QCoreApplication::exit() ends every event loop of the thread, and each one started afterwards
// at once; run() still returns only when its work is over.
TEST(WindowOperationRunner, ReturnsOnlyAfterItsWorkWhenTheLoopIsEndedFromOutside) {
    RunnerRig r;
    std::atomic<bool> workOver{false};
    QTimer::singleShot(20, [] { QCoreApplication::exit(3); });
    r.runner.run([&] {
        QThread::msleep(300);
        workOver = true;
    });
    EXPECT_TRUE(workOver);
    // A run started after exit() waits for its work as well.
    bool second = false;
    r.runner.run([&] {
        QThread::msleep(50);
        second = true;
    });
    EXPECT_TRUE(second);
    EXPECT_FALSE(r.runner.busy());
    EXPECT_TRUE(r.text->isEnabled() && !r.text->isReadOnly());
    // Ends the exit() for the tests that follow: exec() forgets it on its way out.
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

} // namespace
} // namespace vtl
