// The line trace of real exchanges with a simulated controller, on virtual time: every frame the
// controller heard or sent is in the trace, in order, with its fields and checks.
#include "link/LineTrace.h"
#include "link/Connect.h"
#include "link/LineTraceTable.h"
#include "tests/support/SimSession.h"

#include <QBuffer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>

#include <gtest/gtest.h>

namespace vtl {
namespace {

using sim::Model;
using test::simOptions;
using test::SimSession;

struct TracedSession : SimSession {
    explicit TracedSession(const sim::ControllerOptions& options) : SimSession(options) {
        auto buffer = std::make_unique<QBuffer>(&text);
        buffer->open(QIODevice::WriteOnly);
        trace = std::make_unique<LineTrace>(std::move(buffer), clock);
        session.link.setTrace(trace.get());
    }
    ~TracedSession() { session.link.setTrace(nullptr); }

    QList<QJsonObject> lines() const {
        QList<QJsonObject> out;
        for (const QByteArray& line : text.split('\n'))
            if (!line.isEmpty()) out.append(QJsonDocument::fromJson(line).object());
        return out;
    }
    QList<QJsonObject> frames(const char* dir) const {
        QList<QJsonObject> out;
        for (const QJsonObject& line : lines())
            if (line[QStringLiteral("dir")].toString() == QLatin1String(dir)) out.append(line);
        return out;
    }
    QStringList events() const {
        QStringList out;
        for (const QJsonObject& line : lines())
            if (line[QStringLiteral("kind")].toString() == QLatin1String("event"))
                out << line[QStringLiteral("event")].toString();
        return out;
    }
    // What the controller noted, as the trace writes bytes.
    QStringList simFrames(const char* note) const {
        QStringList out;
        for (const auto& frame : controller.framesNoted(QString::fromLatin1(note)))
            out << QString::fromLatin1(frame.bytes.toHex(' ').toUpper());
        return out;
    }

    QByteArray text;
    std::unique_ptr<LineTrace> trace;
};

QStringList field(const QList<QJsonObject>& lines, const char* key) {
    QStringList out;
    for (const QJsonObject& line : lines)
        out << line[QLatin1String(key)].toVariant().toString();
    return out;
}

int number(const QJsonObject& line, const char* key) {
    return line[QLatin1String(key)].toInt();
}

TEST(LineTrace, TheFirstLineNamesTheFileATrace) {
    TracedSession s(simOptions(Model::Main, 5, 19200));
    const QJsonObject head = s.lines().first();
    EXPECT_EQ(head["trace"].toString(), QStringLiteral("Vantrel line trace"));
    EXPECT_EQ(head["version"].toInt(), 1);
}

TEST(LineTrace, AnIdentifyOnTheLanHoldsEveryFrameInOrder) {
    TracedSession s(simOptions(Model::Main, 5, 57600));
    ASSERT_TRUE(Connect(s.session, {QStringLiteral("QOV"), QStringLiteral("sim"), 0, false}));

    const QList<QJsonObject> sent = s.frames("tx");
    const QList<QJsonObject> heard = s.frames("rx");
    // The controller hears nothing of the two requests made at the wrong rates.
    const QStringList requests = s.simFrames("request");
    ASSERT_EQ(sent.size(), requests.size() + 2);
    EXPECT_EQ(field(sent, "hex").mid(2), requests);
    EXPECT_EQ(field(sent, "hex")[0], requests[0]);
    EXPECT_EQ(field(heard, "hex"), s.simFrames("reply"));
    ASSERT_FALSE(heard.isEmpty());

    // The search: the type code read at 38400 and 19200 goes unanswered, 57600 is answered.
    const QJsonObject& first = sent.first();
    EXPECT_EQ(first["framing"].toString(), QStringLiteral("LAN"));
    EXPECT_EQ(
        (QList<int>{number(first, "panel"), number(first, "network"), number(first, "command"),
                    number(first, "point"), number(first, "table"), number(first, "length")}),
        (QList<int>{127, 0, 42, 18, 2, 0}));
    EXPECT_TRUE(s.events().contains(QStringLiteral("failed"))); // the silent rates
    const QJsonObject& answer = heard.first();
    EXPECT_EQ(number(answer, "command"), 142);
    EXPECT_EQ(number(answer, "length"), 2);
    EXPECT_EQ(answer["checks"].toObject()["sum"].toString(), QStringLiteral("ok"));

    QStringList rates;
    for (const QJsonObject& line : s.lines())
        if (line["event"].toString() == QLatin1String("rate") ||
            line["event"].toString() == QLatin1String("open"))
            rates << QString::number(line["baud"].toInt());
    EXPECT_EQ(rates, (QStringList{"38400", "19200", "57600"}));
    EXPECT_TRUE(s.events().contains(QStringLiteral("purge")));

    double last = 0;
    for (const QJsonObject& line : s.lines().mid(1)) {
        EXPECT_GE(line["t"].toDouble(), last);
        last = line["t"].toDouble();
    }
    // Each request waits 300 ms before its preamble.
    EXPECT_GE(first["t"].toDouble(), 300.0);
}

TEST(LineTrace, ASubLanExchangeShowsThePollAnswerTheHeaderCheckAndTheRelease) {
    TracedSession s(simOptions(Model::Sub4000, 7, 19200));
    ASSERT_TRUE(Connect(s.session, {QStringLiteral("QOV"), QStringLiteral("sim"), 4, true}));
    // A request ends in fill bytes the controller does not count as part of the frame.
    const QStringList sent = field(s.frames("tx"), "hex");
    const QStringList requests = s.simFrames("request");
    ASSERT_EQ(sent.size(), requests.size());
    for (qsizetype i = 0; i < sent.size(); ++i)
        EXPECT_TRUE(sent[i].startsWith(requests[i])) << qPrintable(sent[i]);
    EXPECT_EQ(field(s.frames("rx"), "hex"), s.simFrames("reply"));

    const QStringList events = s.events();
    const qsizetype poll = events.indexOf(QStringLiteral("poll answer"));
    ASSERT_GE(poll, 0);
    EXPECT_GT(events.indexOf(QStringLiteral("release"), poll), poll);
    EXPECT_TRUE(events.contains(QStringLiteral("dtr")));
    const QJsonObject reply = s.frames("rx").last();
    EXPECT_EQ(reply["framing"].toString(), QStringLiteral("Sub LAN"));
    EXPECT_EQ(reply["checks"].toObject()["headerCheck"].toString(), QStringLiteral("ok"));
}

TEST(LineTrace, AFailedChecksumIsShownOnTheReplyItFailedIn) {
    TracedSession s(simOptions(Model::Main, 5, 19200));
    s.state.BaudRate = 19200;
    s.connectLan();
    s.controller.faults.corruptSum = true;
    s.controller.faults.count = 1;
    EXPECT_FALSE(s.session.exchange.read(5, {2, 1, 0}));

    ASSERT_FALSE(s.frames("rx").isEmpty()) << s.text.toStdString();
    const QJsonObject reply = s.frames("rx").last();
    EXPECT_EQ(number(reply, "command"), 102);
    EXPECT_EQ(number(reply, "point"), 1);
    const QJsonObject checks = reply["checks"].toObject();
    EXPECT_EQ(checks["sum"].toString(), QStringLiteral("failed"));
    EXPECT_EQ(checks["blockSums"].toString(), QStringLiteral("ok"));
    EXPECT_TRUE(reply["failure"].toString().startsWith(QStringLiteral("data sum at 19200 baud")))
        << qPrintable(reply["failure"].toString());
    // The whole reply as heard: preamble, header, length, data with a check byte per 128 bytes,
    // the sum; the PC's 0x06 after each block travels the other way.
    const QString hex = reply["hex"].toString();
    EXPECT_TRUE(hex.startsWith(QStringLiteral("41 41 41 41 41 31 32 33 34 35 00 05 66 01")))
        << qPrintable(hex.left(60));
    const int length = number(reply, "length");
    EXPECT_EQ((hex.size() + 1) / 3, 10 + 5 + 2 + length + (length - 1) / 128 + 2);
    EXPECT_EQ(reply["otherHex"].toString(),
              QStringList(int((length - 1) / 128), QStringLiteral("06")).join(' '));
}

TEST(LineTrace, EachLineIsInTheFileAsSoonAsItHappened) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("line.trace"));
    VirtualClock clock;
    QString why;
    auto trace = LineTrace::create(path, clock, &why);
    ASSERT_TRUE(trace) << qPrintable(why);
    clock.sleepMs(12);
    trace->byteSent(0x41);
    trace->event(QStringLiteral("purge"));
    // Read while the trace is still open, as after a crash.
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1], QByteArray(R"({"event":"purge","hex":"41","kind":"event","t":12})"));
}

TEST(LineTrace, AFileThatCannotBeWrittenIsSaidSo) {
    VirtualClock clock;
    QString why;
    EXPECT_FALSE(LineTrace::create(QStringLiteral("/nonexistent/dir/x.trace"), clock, &why));
    EXPECT_FALSE(why.isEmpty());
}

QString table(const QByteArray& trace, bool full = false) {
    QBuffer in;
    in.setData(trace);
    in.open(QIODevice::ReadOnly);
    QString text;
    QTextStream out(&text);
    const TraceTableResult result = writeTraceTable(in, out, full);
    out.flush();
    return result == TraceTableResult::Shown ? text : QStringLiteral("refused");
}

// What the table makes of every line a trace can hold, and of lines no trace writes.
TEST(LineTraceTable, EachLineBecomesOneRowOrIsSaidToBeDamaged) {
    const QByteArray head = R"({"trace":"Vantrel line trace","version":1})"
                            "\n";
    const QString columns =
        "      ms  dir framing panel net cmd point table length  checks             bytes\n";
    const QByteArray frame =
        R"({"t":333.8,"kind":"frame","dir":"tx","framing":"LAN","panel":127,"network":0,)"
        R"("command":42,"point":18,"table":2,"length":0,"checks":{},)"
        R"("hex":"41 41 41 41 41 31 32 33 34 35 7F 00 2A 12 02 00 00 AB"})";
    struct Row {
        const char* name;
        QByteArray lines; // after the head
        QString rows;     // after the column names
    };
    const Row rows[] = {
        {"an event", R"({"t":17.1,"kind":"event","event":"open","baud":115200})",
         "    17.1  --  open 115200 baud\n"},
        {"a frame, its bytes cut to 16", frame,
         "   333.8  tx  LAN       127   0  42    18     2      0  -                  41 41 41 41 "
         "41 31 32 33 34 35 7F 00 2A 12 02 00 ... (18 bytes)\n"},
        {"a failed frame",
         R"({"t":5,"kind":"frame","dir":"rx","framing":"Sub LAN","checks":{"sum":"failed"},)"
         R"("failure":"data sum"})",
         "     5.0  rx  Sub LAN     0   0   0     0     0      0  sum failed         -\n"
         "          FAILED: data sum\n"},
        {"a line cut off by a crash", R"({"t":5,"kind":"fr)", "line 2 is cut short or damaged\n"},
        {"empty lines", "\n\n", ""},
        {"a line longer than any trace writes",
         QByteArray(MaxTraceLineLength + 10, 'x') + "\n" +
             R"({"t":1,"kind":"event","event":"purge"})",
         "line 2 is longer than a trace writes\n     1.0  --  purge\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(table(head + row.lines), columns + row.rows);
    }
    EXPECT_TRUE(table(head + frame, true).contains(QStringLiteral("00 00 AB")));
    for (const QByteArray& notATrace :
         {QByteArray(), QByteArray("QTZ PANEL FILE"), QByteArray(MaxTraceLineLength + 1, '{')})
        EXPECT_EQ(table(notATrace), QStringLiteral("refused"));
}

} // namespace
} // namespace vtl
