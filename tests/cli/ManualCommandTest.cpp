// vtl-cli manual: the command-line twin of F1, run as a process from the build tree.
#include "link/HelpPages.h"
#include "tests/support/Processes.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace vtl::ManualCommandTest {
namespace {

const QString Cli = QStringLiteral(VTL_CLI_EXE);

TEST(ManualCommand, PrintsWhereEachWindowsPageLies) {
    for (const QLatin1String page : help::WindowPages) {
        QString name = page;
        name.chop(5); // the page as a technician types it, without ".html"
        const auto r =
            test::runProgram(Cli, {QStringLiteral("manual"), QStringLiteral("--page"), name});
        EXPECT_EQ(r.exitCode, 0) << name.toStdString() << r.err.toStdString();
        const QString path = r.out.trimmed();
        EXPECT_TRUE(path.endsWith(QLatin1Char('/') + page)) << path.toStdString();
        EXPECT_TRUE(QFileInfo(path).isFile()) << path.toStdString();
    }
    const auto contents = test::runProgram(Cli, {QStringLiteral("manual")});
    EXPECT_EQ(contents.exitCode, 0);
    EXPECT_TRUE(contents.out.trimmed().endsWith(QLatin1String("/manual/index.html")));
}

TEST(ManualCommand, APageTheManualDoesNotHoldFails) {
    for (const char* page : {"no-such-page", "../README", "/etc/passwd"}) {
        const auto r = test::runProgram(
            Cli, {QStringLiteral("manual"), QStringLiteral("--page"), QString::fromLatin1(page)});
        EXPECT_EQ(r.exitCode, 1) << page;
        EXPECT_TRUE(r.out.isEmpty()) << page;
        EXPECT_TRUE(r.err.contains(QLatin1String("] HTML Help File Not Found"))) << page;
    }
    EXPECT_EQ(test::runProgram(Cli, {QStringLiteral("manual"), QStringLiteral("extra")}).exitCode,
              2);
}

} // namespace
} // namespace vtl::ManualCommandTest
