// vtl-cli identify against vtl-sim through a real pseudo-terminal, in real time.
#include "tests/support/Processes.h"

#include <gtest/gtest.h>

namespace vtl::test::IdentifyEndToEndTest {
namespace {

struct Expectation {
    const char* model;
    const char* simRate;
    const char* baudOption; // what the user chooses
    QStringList lines;      // expected standard output
};

void PrintTo(const Expectation& e, std::ostream* os) {
    *os << e.model << " at " << e.baudOption;
}

class IdentifyModel : public ::testing::TestWithParam<Expectation> {};

TEST_P(IdentifyModel, ReportsTheControllerAndLeavesNoViolation) {
    const Expectation& e = GetParam();
    SimProcess sim(QStringLiteral(VTL_SIM_EXE),
                   {"--model", e.model, "--address", "9", "--baud", e.simRate, "--pty"});
    ASSERT_FALSE(sim.port.isEmpty());
    const bool sub = QByteArray(e.model).startsWith("sub");
    QStringList args{"identify", "--port", sim.port, "--code", "qov", "--baud", e.baudOption};
    if (sub) args << "--sub-lan";
    const RunResult run = runProgram(QStringLiteral(VTL_CLI_EXE), args);
    EXPECT_EQ(run.exitCode, 0) << qPrintable(run.err);
    EXPECT_EQ(run.out.split('\n', Qt::SkipEmptyParts), e.lines) << qPrintable(run.err);
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

QStringList lanLines(const char* kind, int code, const char* firmware, const char* baud,
                     int family) {
    return {QStringLiteral("controller: %1").arg(kind),   QStringLiteral("type-code: %1").arg(code),
            QStringLiteral("firmware: %1").arg(firmware), "address: 9",
            QStringLiteral("baud: %1").arg(baud),         QStringLiteral("family: %1").arg(family)};
}

QStringList subLines(const char* baud, int family) {
    return {"controller: sub panel", "address: 9", QStringLiteral("baud: %1").arg(baud),
            QStringLiteral("family: %1").arg(family)};
}

INSTANTIATE_TEST_SUITE_P(
    EveryModel, IdentifyModel,
    ::testing::Values(
        Expectation{"main", "19200", "auto", lanLines("main panel", 320, "3.20", "19200", 1000)},
        Expectation{"main", "57600", "57600", lanLines("main panel", 320, "3.20", "57600", 1000)},
        Expectation{"lan490", "19200", "auto",
                    lanLines("LAN controller", 490, "4.90", "19200", 2000)},
        Expectation{"lan490", "9600", "9600",
                    lanLines("LAN controller", 490, "4.90", "9600", 2000)},
        Expectation{"lan600", "38400", "auto",
                    lanLines("Brinlet controller", 600, "6.00", "38400", 10000)},
        Expectation{"lan602", "115200", "115200",
                    lanLines("Brinlet controller", 602, "6.02", "115200", 11000)},
        Expectation{"sub3000", "19200", "auto", subLines("19200", 3000)},
        Expectation{"sub4000", "38400", "38400", subLines("38400", 4000)},
        Expectation{"sub5000", "9600", "auto", subLines("9600", 5000)},
        Expectation{"sub6000", "19200", "19200", subLines("19200", 6000)},
        Expectation{"sub7000", "38400", "auto", subLines("38400", 7000)}),
    [](const auto& param) {
        return QStringLiteral("%1_%2").arg(param.param.model, param.param.baudOption).toStdString();
    });

TEST(IdentifySubLan, TwoStationsOnTheBusAreRefused) {
    SimProcess sim(QStringLiteral(VTL_SIM_EXE),
                   {"--model", "sub3000", "--address", "3", "--second-station", "7", "--baud",
                    "38400", "--pty"});
    ASSERT_FALSE(sim.port.isEmpty());
    const RunResult run = runProgram(QStringLiteral(VTL_CLI_EXE), {"identify", "--port", sim.port,
                                                                   "--code", "QOV", "--sub-lan"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains(
        "[Error] Controller Does Not Appear To Be Disconnected From The Network!\n"))
        << qPrintable(run.err);
    EXPECT_EQ(sim.stop(), 0) << qPrintable(sim.errors);
}

TEST(IdentifyUsage, MissingOptionsAreAUsageError) {
    const RunResult run =
        runProgram(QStringLiteral(VTL_CLI_EXE), {"identify", "--port", "/dev/null"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.contains("--code")) << qPrintable(run.err);
}

TEST(IdentifyUsage, AWrongAccessCodeIsRefused) {
    const RunResult run = runProgram(QStringLiteral(VTL_CLI_EXE),
                                     {"identify", "--port", "/dev/null", "--code", "QOV "});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.trimmed(), QStringLiteral("[VTL] Invalid Access Code."));
}

} // namespace
} // namespace vtl::test::IdentifyEndToEndTest
