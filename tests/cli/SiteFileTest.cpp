// Site files as spreadsheets write them, and every way a row is refused before anything connects.
#include "cli/SiteFile.h"
#include "cli/CsvRecords.h"
#include "cli/SiteRunner.h"

#include <gtest/gtest.h>

namespace vtl::cli {
namespace {

// Lines as one text, so that a failure shows them.
std::string lines(const QStringList& list) {
    return list.join(QLatin1Char('\n')).toStdString();
}

const QByteArray Header = "name,port,framing,baud,address,code\n";

SiteFile read(const QByteArray& rows, const QString& code = {}) {
    return readSiteFile(Header + rows, code);
}

struct BadSite {
    const char* name;
    QByteArray text; // after the header unless it starts with "name" or is empty
    QStringList problems;
};

void PrintTo(const BadSite& bad, std::ostream* os) {
    *os << bad.name;
}

class BadSiteFiles : public ::testing::TestWithParam<BadSite> {};

TEST_P(BadSiteFiles, AreRefusedWithTheLineOfEveryProblem) {
    const BadSite& bad = GetParam();
    const bool whole = bad.text.isEmpty() || bad.text.startsWith("name") ||
                       bad.text.startsWith("\xEF") || bad.text.startsWith("port");
    const SiteFile site = whole ? readSiteFile(bad.text, {}) : read(bad.text);
    EXPECT_EQ(lines(site.problems), lines(bad.problems));
    EXPECT_TRUE(site.rows.isEmpty()); // one bad row and no row runs
}

const BadSite BadSites[] = {
    {"Empty", "", {"line 1: no header (name,port,framing,baud,address,code)"}},
    {"HeaderOnly",
     "\xEF\xBB\xBFname,port,framing,baud,address,code\r\n\r\n",
     {"line 2: no controllers below the header"}},
    {"UnknownColumn",
     "name,port,framing,speed,address,code\nA,COM1,lan,auto,,QOV\n",
     {"line 1: unknown column \"speed\" (the columns are name, port, framing, baud, address, code)",
      "line 1: no column \"baud\""}},
    {"MissingColumn",
     "port,framing,baud,address,code\nCOM1,lan,auto,,QOV\n",
     {"line 1: no column \"name\""}},
    {"ColumnTwice",
     "name,port,framing,baud,address,code,Port\nA,COM1,lan,auto,,QOV,COM2\n",
     {"line 1: column \"port\" is given twice"}},
    {"ShortRow", "A,COM1,lan,auto,QOV\n", {"line 2: 5 fields where the header has 6"}},
    {"NoName", ",COM1,lan,auto,,QOV\n", {"line 2: no name"}},
    {"NameWithASlash",
     "AHU/1,COM1,lan,auto,,QOV\n",
     {"line 2: name \"AHU/1\" cannot be part of a file name: no / \\ : * ? \" < > | or control "
      "characters"}},
    {"NameOfADevice",
     "aux,COM1,lan,auto,,QOV\n",
     {"line 2: name \"aux\" is a device on Windows, not a file"}},
    {"NameEndingInADot",
     "AHU.,COM1,lan,auto,,QOV\n",
     {"line 2: name \"AHU.\" cannot start or end with a dot"}},
    {"NameTooLong",
     QByteArray(65, 'N') + ",COM1,lan,auto,,QOV\n",
     {QStringLiteral("line 2: name \"%1\" is longer than 64 characters").arg(QString(65, 'N'))}},
    {"SameNameInAnotherCase",
     "AHU-1,COM1,lan,auto,,QOV\nahu-1,COM2,lan,auto,,QOV\n",
     {"line 3: name \"ahu-1\" is already on line 2"}},
    {"NoPort", "A,,lan,auto,,QOV\n", {"line 2: no port"}},
    {"PortOfUnknownScheme",
     "A,udp://10.0.0.5:4001,lan,auto,,QOV\n",
     {"line 2: port \"udp://10.0.0.5:4001\" must be tcp://HOST:PORT or rfc2217://HOST:PORT"}},
    {"DeviceServerWithoutPort",
     "A,tcp://10.0.0.5,lan,auto,,QOV\n",
     {"line 2: port \"tcp://10.0.0.5\" must be tcp://HOST:PORT or rfc2217://HOST:PORT"}},
    {"DeviceServerPortTooHigh",
     "A,rfc2217://10.0.0.5:99999,lan,auto,,QOV\n",
     {"line 2: port \"rfc2217://10.0.0.5:99999\" must be tcp://HOST:PORT or rfc2217://HOST:PORT"}},
    {"PortNoDevice",
     "A,ttyUSB0,lan,auto,,QOV\n",
     {"line 2: port \"ttyUSB0\" is not a device (/dev/ttyUSB0, COM3), tcp://HOST:PORT or "
      "rfc2217://HOST:PORT"}},
    {"Framing",
     "A,COM1,rs485,auto,,QOV\n",
     {"line 2: framing must be lan or sub-lan, not \"rs485\""}},
    {"RateNotInTheList",
     "A,COM1,lan,14400,,QOV\n",
     {"line 2: baud must be auto or one of 115200, 57600, 38400, 19200, 9600, 4800, 2400, 1200, "
      "not \"14400\""}},
    {"EmptyRate",
     "A,COM1,lan,,,QOV\n",
     {"line 2: baud must be auto or one of 115200, 57600, 38400, 19200, 9600, 4800, 2400, 1200, "
      "not \"\""}},
    {"SubPanelAddressTooHigh",
     "A,COM1,sub-lan,auto,125,QOV\n",
     {"line 2: address must be empty or a number from 1 to 124 on a Sub LAN, not \"125\""}},
    {"AddressZero",
     "A,COM1,lan,auto,0,QOV\n",
     {"line 2: address must be empty or a number from 1 to 125 on a LAN, not \"0\""}},
    {"NoCodeAnywhere",
     "A,COM1,lan,auto,,\n",
     {"line 2: no code, and no --code for the rows without one"}},
    {"CodeNotAccepted", "A,COM1,lan,auto,,QOX\n", {"line 2: the access code is not accepted"}},
    {"SharedPortWithoutAddress",
     "S1,tcp://10.0.0.5:4001,sub-lan,auto,7,QOV\nS2,rfc2217://10.0.0.5:4001,sub-lan,auto,,QOV\n",
     {"line 3: port rfc2217://10.0.0.5:4001 is also on line 2: rows on one line need an address "
      "each, to tell their controllers apart"}},
    {"OneControllerTwice",
     "S1,COM3,sub-lan,auto,7,QOV\nS2,com3,sub-lan,auto,7,QOV\n",
     {"line 3: address 7 on port com3 is already on line 2"}},
    {"QuoteNotClosed",
     "A,COM1,lan,auto,,QOV\n\"B,COM2,lan,auto,,QOV\nC,COM3,lan,auto,,QOV\n",
     {"line 3: a quoted field is not closed"}},
    {"QuoteInsideAField",
     "A,CO\"M1,lan,auto,,QOV\n",
     {"line 2: a quote inside a field that does not start with one"}},
    {"NotUtf8",
     "A,COM1,lan,auto,,QOV\nCaf\xE9,COM2,lan,auto,,QOV\n",
     {"line 3: the text is not UTF-8"}},
    {"EveryBadRowIsListedInOrder",
     "A,COM1,lan,fast,,QOV\nA,COM2,lan,auto,,QOV\nB,COM3,bus,auto,,QOV\n",
     {"line 2: baud must be auto or one of 115200, 57600, 38400, 19200, 9600, 4800, 2400, 1200, "
      "not \"fast\"",
      "line 4: framing must be lan or sub-lan, not \"bus\""}},
    // A name found twice is told after the rows are read; it still comes before line 10's.
    {"OrderedByLineNumberNotByText",
     "A1,COM1,lan,auto,,QOV\nA2,COM2,lan,auto,,QOV\nA3,COM3,lan,auto,,QOV\nA4,COM4,lan,auto,,QOV\n"
     "A5,COM5,lan,auto,,QOV\nA6,COM6,lan,auto,,QOV\nA7,COM7,lan,auto,,QOV\nA1,COM8,lan,auto,,QOV\n"
     "B,COM9,lan,fast,,QOV\n",
     {"line 9: name \"A1\" is already on line 2",
      "line 10: baud must be auto or one of 115200, 57600, 38400, 19200, 9600, 4800, 2400, 1200, "
      "not \"fast\""}},
};

INSTANTIATE_TEST_SUITE_P(Table, BadSiteFiles, ::testing::ValuesIn(BadSites),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(SiteFile, ReadsWhatASpreadsheetWrites) {
    // A byte order mark, CRLF, columns in another order, a quoted name holding the separator, an
    // empty line and a line of nothing but separators.
    const QByteArray text = "\xEF\xBB\xBF"
                            "Code,Name,Port,Framing,Baud,Address\r\n"
                            ",AHU-1,COM3,LAN,Auto,5\r\n"
                            "\r\n"
                            ",,,,,\r\n"
                            "zorbake,\"Sub 7, roof\",tcp://10.0.0.5:4001,sub-lan,19200,\r\n"
                            "qov, \"Sub 8\" ,/dev/ttyUSB1,sub-lan,38400,8\r\n";
    const SiteFile site = readSiteFile(text, QStringLiteral("qov"));
    ASSERT_TRUE(site.ok()) << site.problems.join('\n').toStdString();
    ASSERT_EQ(site.rows.size(), 3);
    const SiteRow& ahu = site.rows[0];
    EXPECT_EQ(ahu.line, 2);
    EXPECT_EQ(ahu.name, "AHU-1");
    EXPECT_EQ(ahu.port, "COM3");
    EXPECT_FALSE(ahu.subLan);
    EXPECT_EQ(ahu.baudPosition, 0);
    EXPECT_EQ(ahu.address, 5);
    EXPECT_EQ(ahu.code, "QOV"); // from --code, in capitals as the code box makes it
    const SiteRow& roof = site.rows[1];
    EXPECT_EQ(roof.line, 5);
    EXPECT_EQ(roof.name, "Sub 7, roof");
    EXPECT_TRUE(roof.subLan);
    EXPECT_EQ(roof.baudPosition, 4);
    EXPECT_FALSE(roof.address.has_value());
    EXPECT_EQ(roof.code, "ZORBAKE");
    EXPECT_EQ(site.rows[2].line, 6);
    EXPECT_EQ(site.rows[2].name, "Sub 8");
}

TEST(SiteFile, TakesSemicolonsWhereTheHeaderHasThem) {
    const SiteFile site = readSiteFile("name;port;framing;baud;address;code\n"
                                       "\"A;1\";COM1;lan;9600;3;QOV\n",
                                       {});
    ASSERT_TRUE(site.ok()) << site.problems.join('\n').toStdString();
    EXPECT_EQ(site.rows[0].name, "A;1");
    EXPECT_EQ(site.rows[0].baudPosition, 5);
}

TEST(SiteFile, LineNumbersCountTheBreaksInsideQuotedFields) {
    const SiteFile site = read("\"A\r\nB\",COM1,lan,auto,,QOV\r\nC,COM2,lan,900,,QOV\r\n");
    EXPECT_EQ(lines(site.problems),
              lines({"line 2: name \"A\r\nB\" cannot be part of a file name: no / \\ : * ? "
                     "\" < > | or control characters",
                     "line 4: baud must be auto or one of 115200, 57600, 38400, 19200, 9600, "
                     "4800, 2400, 1200, not \"900\""}));
}

TEST(CsvText, DoubledQuotesAndSeparatorsInsideQuotes) {
    const CsvText csv = readCsv("a,\"b \"\"x\"\", y\"  ,\"\"\r\n\"c\nd\",e");
    ASSERT_TRUE(csv.ok()) << csv.error.toStdString();
    ASSERT_EQ(csv.records.size(), 2);
    EXPECT_EQ(lines(csv.records[0].fields), lines({"a", "b \"x\", y", ""}));
    EXPECT_EQ(csv.records[1].line, 2);
    EXPECT_EQ(lines(csv.records[1].fields), lines({"c\nd", "e"}));
    const CsvText after = readCsv("\"a\" b,c\n");
    EXPECT_EQ(after.error, "text after the closing quote of a field");
}

TEST(SiteFile, RowsOnOneLineRunTogetherInFileOrder) {
    const SiteFile site = read("S7,tcp://Server:4001,sub-lan,auto,7,QOV\n"
                               "AHU,COM3,lan,auto,,QOV\n"
                               "S8,rfc2217://server:4001,sub-lan,auto,8,QOV\n"
                               "LAN,tcp://server:4002,lan,auto,,QOV\n"
                               "S9,com3,sub-lan,auto,9,QOV\n");
    ASSERT_FALSE(site.ok()); // COM3 is shared by AHU, which names no address
    const SiteFile shared = read("S7,tcp://Server:4001,sub-lan,auto,7,QOV\n"
                                 "AHU,COM3,lan,auto,5,QOV\n"
                                 "S8,rfc2217://server:4001,sub-lan,auto,8,QOV\n"
                                 "LAN,tcp://server:4002,lan,auto,,QOV\n"
                                 "S9,com3,sub-lan,auto,9,QOV\n");
    ASSERT_TRUE(shared.ok()) << shared.problems.join('\n').toStdString();
    const QList<QList<int>> expected{{0, 2}, {1, 4}, {3}};
    EXPECT_EQ(rowsByLine(shared.rows), expected);
}

} // namespace
} // namespace vtl::cli
