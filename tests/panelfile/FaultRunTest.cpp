// Backups and restores of every family against a controller that misbehaves at random blocks, on
// virtual time and at a fixed seed, answered by a user who retries, ignores or gives up at random.
// Whatever happens: no hang, every failure reported, "Finished" only over a file or a controller
// that got everything the user did not skip, and an existing backup file never damaged.
#include "tests/panelfile/PanelRig.h"
#include "tests/support/MemoryDump.h"

#include <gtest/gtest.h>

#include <random>

namespace vtl::test {
namespace {

using sim::Model;

struct Family {
    Model model;
    PanelFamily family;
};

void PrintTo(const Family& f, std::ostream* os) {
    *os << sim::modelName(f.model).toStdString();
}

// One way for the controller to spoil the exchanges after a given status text.
struct Fault {
    const char* name;
    void (*apply)(sim::Faults&);
};

const Fault Faults[] = {
    {"garbage before the preamble", [](sim::Faults& f) { f.garbageBeforePreamble = 40; }},
    {"corrupt data byte", [](sim::Faults& f) { f.corruptDataByte = true; }},
    {"corrupt sum", [](sim::Faults& f) { f.corruptSum = true; }},
    {"corrupt header check", [](sim::Faults& f) { f.corruptHeaderCheck = true; }},
    {"dropped answer", [](sim::Faults& f) { f.dropAnswer = true; }},
    {"ignored request", [](sim::Faults& f) { f.noAnswer = true; }},
    {"late answer", [](sim::Faults& f) { f.delayUs = 3'000'000; }},
    {"length over 4096", [](sim::Faults& f) { f.length4097 = true; }},
};

// A user at the keyboard: Retry most of the time, sometimes Ignore or Abort; Yes to the
// questions of a restore, so that everything is sent.
struct User {
    explicit User(std::mt19937& rng) : rng_(rng) {}
    MessageAnswer operator()(const QString&, MessageButtons buttons) {
        switch (buttons) {
        case MessageButtons::YesNo:
            return MessageAnswer::Yes;
        case MessageButtons::OkCancel:
            return MessageAnswer::Ok;
        case MessageButtons::RetryCancel:
            return pick() < 8 ? MessageAnswer::Retry : MessageAnswer::Cancel;
        case MessageButtons::AbortRetryIgnore: {
            const int p = pick();
            if (p < 7) return MessageAnswer::Retry;
            if (p < 9) {
                ++ignored;
                return MessageAnswer::Ignore;
            }
            return MessageAnswer::Abort;
        }
        case MessageButtons::Ok:
            break;
        }
        return MessageAnswer::Ok;
    }
    int pick() { return std::uniform_int_distribution<int>(0, 9)(rng_); }
    int ignored = 0;

private:
    std::mt19937& rng_;
};

// Spoils the exchanges after a few statuses chosen at random among those a clean run shows.
void plantFaults(BackupRig& rig, const QStringList& statuses, std::mt19937& rng,
                 QStringList& planted) {
    for (int i = 0; i < 3; ++i) {
        const QString at =
            statuses[std::uniform_int_distribution<qsizetype>(0, statuses.size() - 1)(rng)];
        const Fault& fault =
            Faults[std::uniform_int_distribution<std::size_t>(0, std::size(Faults) - 1)(rng)];
        const int count = std::uniform_int_distribution<int>(1, 3)(rng);
        planted << QStringLiteral("%1 x%2 at \"%3\"").arg(fault.name).arg(count).arg(at);
        rig.whenStatus(at, [&rig, &fault, count] {
            rig.controller.faults = {};
            fault.apply(rig.controller.faults);
            rig.controller.faults.count = count;
        });
    }
}

constexpr int Trials = 10;
// Far beyond any honest run: a hang would go past it.
constexpr std::int64_t TimeLimitUs = 4LL * 3600 * 1'000'000;

class FaultRun : public ::testing::TestWithParam<Family> {};

TEST_P(FaultRun, BackupsNeverCallAFailureFinishedNorDamageTheOldFile) {
    const Family& f = GetParam();
    const bool sub = f.family == PanelFamily::Sub;
    // The clean run: the file every complete backup must equal.
    RestoreRig clean(f.model);
    if (sub) clean.answer(MessageAnswer::Yes);
    ASSERT_EQ(clean.backup(f.family, clean.path()), BackupOutcome::Finished);
    const QByteArray reference = readAll(clean.path());
    const QStringList statuses = clean.ui.statuses.filter(QStringLiteral(" of "));
    ASSERT_FALSE(statuses.isEmpty());

    std::mt19937 rng(20261207u + unsigned(f.model));
    for (int trial = 0; trial < Trials; ++trial) {
        RestoreRig rig(f.model);
        User user(rng);
        rig.ui.decide = [&user](const QString& t, MessageButtons b) { return user(t, b); };
        QStringList planted;
        plantFaults(rig, statuses, rng, planted);
        const QByteArray old("an earlier backup that must survive");
        {
            QFile file(rig.path());
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(old);
        }
        const auto start = rig.clock.nowUs();
        const BackupOutcome outcome = rig.backup(f.family, rig.path());
        const QString context =
            planted.join(QStringLiteral("; ")) + "\n" + rig.messages().join('\n');
        EXPECT_LT(rig.clock.nowUs() - start, TimeLimitUs) << qPrintable(context);
        const bool finishedShown =
            rig.ui.statuses.contains(QStringLiteral("Finished Creating Panel File"));
        EXPECT_EQ(finishedShown, outcome == BackupOutcome::Finished) << qPrintable(context);
        if (outcome != BackupOutcome::Finished) {
            EXPECT_EQ(readAll(rig.path()), old) << qPrintable(context);
        } else if (user.ignored == 0) {
            EXPECT_EQ(readAll(rig.path()), reference) << qPrintable(context);
        }
        // Every failed exchange is put to the user.
        const int problems = int(rig.messages().filter(QStringLiteral("Problem")).size());
        EXPECT_EQ(problems, rig.ui.failures) << qPrintable(context);
    }
}

TEST_P(FaultRun, RestoresNeverCallAFailureFinished) {
    const Family& f = GetParam();
    const bool sub = f.family == PanelFamily::Sub;
    RestoreRig original(f.model);
    if (sub) original.answer(MessageAnswer::Yes);
    ASSERT_EQ(original.backup(f.family, original.path()), BackupOutcome::Finished);
    const QByteArray before = original.controller.memory().dump();

    // The clean restore, for the statuses it shows.
    RestoreRig clean(f.model);
    clean.ui.decide = [](const QString&, MessageButtons) { return MessageAnswer::Yes; };
    if (sub) clean.controller.memory().clear();
    ASSERT_EQ(clean.restore(f.family, original.path()), RestoreOutcome::Finished)
        << qPrintable(clean.messages().join('\n'));
    const QStringList statuses = clean.ui.statuses.filter(QStringLiteral("Sending"));
    ASSERT_FALSE(statuses.isEmpty());

    std::mt19937 rng(20261208u + unsigned(f.model));
    for (int trial = 0; trial < Trials; ++trial) {
        RestoreRig twin(f.model);
        if (sub) twin.controller.memory().clear();
        User user(rng);
        twin.ui.decide = [&user](const QString& t, MessageButtons b) { return user(t, b); };
        QStringList planted;
        plantFaults(twin, statuses, rng, planted);
        const auto start = twin.clock.nowUs();
        const RestoreOutcome outcome = twin.restore(f.family, original.path());
        const QString context =
            planted.join(QStringLiteral("; ")) + "\n" + twin.messages().join('\n');
        EXPECT_LT(twin.clock.nowUs() - start, TimeLimitUs) << qPrintable(context);
        const bool finishedShown =
            twin.ui.statuses.contains(QStringLiteral("Finished Sending Panel File."));
        EXPECT_EQ(finishedShown, outcome == RestoreOutcome::Finished) << qPrintable(context);
        const int problems = int(twin.messages().filter(QStringLiteral("Problem")).size());
        EXPECT_EQ(problems, twin.ui.failures) << qPrintable(context);
        if (outcome == RestoreOutcome::Finished && user.ignored == 0) {
            twin.controller.faults = {};
            const QStringList differences =
                dumpDifferences(before, twin.controller.memory().dump());
            EXPECT_TRUE(differences.isEmpty())
                << qPrintable(context + "\n" + differences.join('\n'));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, FaultRun,
                         ::testing::Values(Family{Model::Main, PanelFamily::Main},
                                           Family{Model::Lan490, PanelFamily::Lan},
                                           Family{Model::Lan602, PanelFamily::Lan},
                                           Family{Model::Sub3000, PanelFamily::Sub},
                                           Family{Model::Sub4000, PanelFamily::Sub}),
                         [](const auto& row) {
                             return sim::modelName(row.param.model).toStdString();
                         });

} // namespace
} // namespace vtl::test
