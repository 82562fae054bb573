#include "cli/TerminalUserInterface.h"

#include <gtest/gtest.h>

namespace vtl::cli {
namespace {

struct TerminalFixture : ::testing::Test {
    QString text;
    QTextStream err{&text};
    TerminalUserInterface ui{err, 2};
};

TEST_F(TerminalFixture, MessagesAreOneLineWithTheirCaption) {
    EXPECT_EQ(ui.message(QStringLiteral("This Will Completely Clear The Controller.\n\nProceed?"),
                         QStringLiteral("WARNING!"), MessageButtons::OkCancel,
                         MessageIcon::Question),
              MessageAnswer::Cancel);
    ui.message(QStringLiteral("Communication Error"), QStringLiteral("Error "), MessageButtons::Ok,
               MessageIcon::None);
    EXPECT_EQ(text, QStringLiteral(
                        "[WARNING!] This Will Completely Clear The Controller. Proceed? -> Cancel\n"
                        "[Error ] Communication Error\n"));
}

TEST_F(TerminalFixture, RetryQuestionsAreRetriedThenGivenUp) {
    const QString problem = QStringLiteral("Problem Retrieving Panel Information.");
    const auto ask = [&] {
        return ui.message(problem, QStringLiteral("VTL"), MessageButtons::RetryCancel,
                          MessageIcon::Exclamation);
    };
    EXPECT_EQ(ask(), MessageAnswer::Retry);
    EXPECT_EQ(ask(), MessageAnswer::Retry);
    EXPECT_EQ(ask(), MessageAnswer::Cancel);
    EXPECT_EQ(ask(), MessageAnswer::Retry); // a new run of the question starts afresh

    EXPECT_EQ(ui.message(QStringLiteral("Error Reading Outputs 1 of 4"), QStringLiteral("Error"),
                         MessageButtons::AbortRetryIgnore, MessageIcon::Exclamation),
              MessageAnswer::Retry);
}

// Once the program is asked to stop (Ctrl-C, SIGTERM, SIGHUP), no exchange is tried again.
TEST_F(TerminalFixture, AfterAStopRequestARetryQuestionGetsTheSafeAnswer) {
    bool stop = false;
    ui.setCancelQuery([&] { return stop; });
    const auto ask = [&](MessageButtons buttons) {
        return ui.message(QStringLiteral("Problem Retrieving Data."), QStringLiteral("VTL"), buttons,
                          MessageIcon::Exclamation);
    };
    EXPECT_EQ(ask(MessageButtons::AbortRetryIgnore), MessageAnswer::Retry);
    stop = true;
    EXPECT_EQ(ask(MessageButtons::AbortRetryIgnore), MessageAnswer::Abort);
    EXPECT_EQ(ask(MessageButtons::RetryCancel), MessageAnswer::Cancel);
}

// The calls an exchange makes: no reason when it starts, its reason when it fails.
struct ExchangeScript : TerminalFixture {
    void exchange(bool ok) {
        ui.setFailureReason({});
        if (!ok) ui.setFailureReason(QStringLiteral("no reply at 38400 baud after 25 reads"));
    }
    void portWillNotOpen() {
        ui.setFailureReason({});
        ui.setFailureReason(QStringLiteral("port not open at 38400 baud after 0 reads"));
        ui.message(QStringLiteral("COM Port Error"), QStringLiteral("Message"), MessageButtons::Ok,
                   MessageIcon::None);
    }
    MessageAnswer problem() {
        return ui.message(QStringLiteral("Problem Retrieving Data."), QStringLiteral("VTL"),
                          MessageButtons::AbortRetryIgnore, MessageIcon::Exclamation);
    }
};

TEST_F(ExchangeScript, ASuccessfulExchangeGivesTheNextQuestionTheWholeBudget) {
    exchange(false);
    EXPECT_EQ(problem(), MessageAnswer::Retry);
    exchange(false);
    EXPECT_EQ(problem(), MessageAnswer::Retry);
    exchange(true); // the block is read at last
    exchange(false);
    EXPECT_EQ(problem(), MessageAnswer::Retry);
    exchange(false);
    EXPECT_EQ(problem(), MessageAnswer::Retry);
    exchange(false);
    EXPECT_EQ(problem(), MessageAnswer::Abort);
}

TEST_F(ExchangeScript, APortThatWillNotOpenIsNoSuccess) {
    for (const MessageAnswer expected :
         {MessageAnswer::Retry, MessageAnswer::Retry, MessageAnswer::Abort}) {
        portWillNotOpen();
        EXPECT_EQ(problem(), expected);
    }
}

// A flag answers the one question it was given for: its text, caption and buttons together.
TEST_F(TerminalFixture, FlagsPresetTheirQuestions) {
    const Question question{"Send Ethernet Configuration?", "VTL", MessageButtons::YesNo,
                            MessageIcon::Question};
    ui.presetAnswer(question, MessageAnswer::Yes);
    EXPECT_EQ(ask(ui, question), MessageAnswer::Yes);
    EXPECT_EQ(ui.message(question.textString(), QStringLiteral("Confirmation"),
                         MessageButtons::YesNo, MessageIcon::Question),
              MessageAnswer::No);
    EXPECT_EQ(ui.message(QStringLiteral("Make Panel File Address Specific?"), QStringLiteral("VTL"),
                         MessageButtons::YesNo, MessageIcon::Question),
              MessageAnswer::No);
}

TEST_F(TerminalFixture, ProgressGoesToStandardErrorButNotTheBareTitles) {
    ui.setTitle(QStringLiteral("VTL - Trying 38400 Baud"));
    ui.setTitle(QStringLiteral("VTL"));
    ui.setTitle(QStringLiteral("Vantrel"));
    ui.setStatus(QStringLiteral("Reading Outputs 1 of 4"));
    EXPECT_EQ(text, QStringLiteral("VTL - Trying 38400 Baud\nReading Outputs 1 of 4\n"));
}

// On a terminal: one line redrawn in place with the latest status text and the times, titles kept
// off it, and a message starting on a line of its own.
TEST_F(TerminalFixture, AProgressLineIsRedrawnInPlace) {
    VirtualClock clock(5'000'000);
    ui.setProgressLine(&clock);
    ui.setProgress({0, 4, 38400, ProgressUnit::Speeds});
    ui.setTitle(QStringLiteral("VTL - Trying 38400 Baud"));
    ui.setProgress({});
    ui.setProgress({0, 4, 38400});
    ui.setStatus(QStringLiteral("Reading Outputs 1 of 4"));
    clock.sleepMs(2000);
    ui.setProgress({1, 4, 38400});
    ui.setStatus(QString());
    ui.message(QStringLiteral("Panel File Creation Aborted."), QStringLiteral("VTL"),
               MessageButtons::Ok, MessageIcon::None);
    ui.setProgress({});
    EXPECT_EQ(
        text.split(QLatin1Char('\n')),
        (QStringList{"\rTrying 38400 baud, 1 of 4 speeds, 0:00 elapsed\x1b[K",
                     "\r0 of 4 records, 0%, 0:00 elapsed, 0:01 left\x1b[K"
                     "\rReading Outputs 1 of 4: 0 of 4 records, 0%, 0:00 elapsed, 0:01 left\x1b[K"
                     "\rReading Outputs 1 of 4: 1 of 4 records, 25%, 0:02 elapsed, 0:06 left\x1b[K",
                     "[VTL] Panel File Creation Aborted.", ""}))
        << QString(text)
               .replace(QLatin1Char(0x1b), QLatin1Char(0x7e))
               .replace(QLatin1Char(0x0d), QLatin1Char(0x7c))
               .toStdString();
}

TEST_F(TerminalFixture, WithoutATerminalStatusTextsStayOnePerLine) {
    ui.setProgress({0, 4, 38400});
    ui.setStatus(QStringLiteral("Reading Outputs 1 of 4"));
    ui.setProgress({1, 4, 38400});
    ui.setStatus(QStringLiteral("Reading Outputs 2 of 4"));
    ui.setProgress({});
    EXPECT_EQ(text, QStringLiteral("Reading Outputs 1 of 4\nReading Outputs 2 of 4\n"));
}

} // namespace
} // namespace vtl::cli
