#include "shell/RunTrace.h"

#include "tests/support/ScriptedUserInterface.h"

#include <QAction>
#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

namespace vtl {
namespace {

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct RunTraceFixture : ::testing::Test {
    VirtualClock clock;
    RunTrace run{clock};
    test::ScriptedUserInterface ui;
    QWidget window;
    QTemporaryDir dir;
    QString target;

    QAction* saveAction() {
        window.addAction(new QAction(QStringLiteral("&About VTL..."), &window));
        return run.addSaveAction(&window, ui, [this] { return target; });
    }
};

TEST_F(RunTraceFixture, SaveLineTraceFollowsAboutAndCopiesTheTraceSoFar) {
    ASSERT_NE(run.trace(), nullptr);
    QAction* save = saveAction();
    ASSERT_EQ(window.actions().size(), 2);
    EXPECT_EQ(window.actions()[1], save);
    EXPECT_EQ(save->text(), QStringLiteral("Save Line Trace..."));

    clock.sleepMs(5);
    run.trace()->byteSent(0x41);
    run.trace()->event(QStringLiteral("purge"));
    target = dir.filePath(QStringLiteral("saved.jsonl"));
    save->trigger();
    const QByteArray saved = bytesOf(target);
    EXPECT_EQ(saved, bytesOf(run.path()));
    EXPECT_TRUE(saved.startsWith(R"({"started":)"));
    EXPECT_TRUE(saved.contains(R"({"event":"purge","hex":"41","kind":"event","t":5})"
                               "\n"));
    EXPECT_TRUE(ui.messages.isEmpty());

    // The trace goes on after a save; the next save holds the later lines too.
    run.trace()->event(QStringLiteral("close"));
    save->trigger();
    EXPECT_TRUE(bytesOf(target).endsWith(R"("event":"close","kind":"event","t":5})"
                                         "\n"));
}

TEST_F(RunTraceFixture, ATargetThatCannotBeWrittenIsSaidSoAndNothingElseHappens) {
    QAction* save = saveAction();
    target = dir.filePath(QStringLiteral("no/such/dir/saved.jsonl"));
    save->trigger();
    EXPECT_EQ(ui.briefs(), QStringList{"[Error] Error In Writing To The File."});
    target.clear(); // cancelled
    save->trigger();
    EXPECT_EQ(ui.briefs().size(), 1);
}

} // namespace
} // namespace vtl
