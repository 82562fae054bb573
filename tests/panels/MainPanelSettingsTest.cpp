#include "panels/MainPanelSettings.h"
#include "panels/MainPanelMemory.h"

#include <QByteArray>

#include <gtest/gtest.h>

namespace vtl {
namespace {

std::array<std::uint8_t, 18> bytes(const char* hex) {
    const QByteArray raw = QByteArray::fromHex(hex);
    std::array<std::uint8_t, 18> out{};
    EXPECT_EQ(raw.size(), 18);
    std::copy(raw.begin(), raw.end(), out.begin());
    return out;
}

TEST(MainPanelSettings, BlockOffsets) {
    struct Row {
        const char* name;
        const char* hex;
        MainPanelSettings settings;
    };
    const Row rows[] = {
        {"all zero", "000000000000000000000000000000000000", {}},
        {"typical",
         "0302060c180c0105000348656c6c6f210000",
         {3, 2, {6, 12, 24, 12, 1}, 5, 0, 3, {'H', 'e', 'l', 'l', 'o', '!', 0, 0}}},
        {"full password, last panel",
         "086003026001017d01073132333435363738",
         {8, 0x60, {3, 2, 0x60, 1, 1}, 125, 1, 7, {'1', '2', '3', '4', '5', '6', '7', '8'}}},
        {"odd values kept as they are",
         "09ff0004ff00000000ff0000000000000000",
         {9, 255, {0, 4, 255, 0, 0}, 0, 0, 255, {}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto block = bytes(row.hex);
        EXPECT_EQ(MainPanelSettings::decode(block), row.settings);
        EXPECT_EQ(row.settings.encode(), block);
    }
}

TEST(PortBaudCode, EachPortKnowsItsRates) {
    struct Row {
        MainPort port;
        std::uint8_t fastest; // the smallest code the port takes
    };
    const Row rows[] = {{MainPort::ComputerA, 2},
                        {MainPort::ComputerB, 2},
                        {MainPort::PortC, 3},
                        {MainPort::PortD, 3},
                        {MainPort::PortE, 1}};
    const std::pair<std::uint8_t, const char*> codes[] = {{96, "1200"}, {48, "2400"}, {24, "4800"},
                                                          {12, "9600"}, {6, "19200"}, {3, "38400"},
                                                          {2, "57600"}, {1, "115200"}};
    for (const auto& row : rows) {
        for (const auto& [code, text] : codes) {
            SCOPED_TRACE(std::string(text) + " on port " + std::to_string(int(row.port)));
            const bool allowed = code >= row.fastest;
            EXPECT_EQ(baudTextForCode(row.port, code).has_value(), allowed);
            EXPECT_EQ(baudCodeForText(row.port, QString::fromLatin1(text)).has_value(), allowed);
            if (allowed) {
                EXPECT_EQ(*baudTextForCode(row.port, code), QString::fromLatin1(text));
                EXPECT_EQ(*baudCodeForText(row.port, QString::fromLatin1(text)), code);
            }
        }
        for (std::uint8_t odd : {0, 4, 5, 95, 97, 255})
            EXPECT_FALSE(baudTextForCode(row.port, odd).has_value()) << int(odd);
        EXPECT_FALSE(baudCodeForText(row.port, QStringLiteral("019200")).has_value());
        EXPECT_FALSE(baudCodeForText(row.port, QStringLiteral("0")).has_value());
    }
    EXPECT_EQ(baudRateOfCode(6), 19200);
    EXPECT_EQ(baudRateOfCode(0), 0);
}

TEST(CyclingButtons, ExactCycles) {
    EXPECT_EQ(baudCycle(MainPort::ComputerA).join(u','), "1200,2400,4800,9600,19200,38400,57600");
    EXPECT_EQ(baudCycle(MainPort::ComputerB), baudCycle(MainPort::ComputerA));
    EXPECT_EQ(baudCycle(MainPort::PortC).join(u','), "1200,2400,4800,9600,19200,38400");
    EXPECT_EQ(baudCycle(MainPort::PortD), baudCycle(MainPort::PortC));
    EXPECT_EQ(baudCycle(MainPort::PortE).join(u','),
              "1200,2400,4800,9600,19200,38400,57600,115200");
    EXPECT_EQ(portDRoleCycle().join(u','), "Sub B,Local,McQuay,Liebert");
    EXPECT_EQ(portERoleCycle().join(u','), "Local,Main");

    EXPECT_EQ(nextInCycle(baudCycle(MainPort::PortC), "38400"), "1200");
    EXPECT_EQ(nextInCycle(baudCycle(MainPort::PortE), "57600"), "115200");
    EXPECT_EQ(nextInCycle(portDRoleCycle(), "Liebert"), "Sub B");
    EXPECT_EQ(nextInCycle(portERoleCycle(), "Main"), "Local");
    // Not in the cycle (compared exactly): left alone.
    EXPECT_EQ(nextInCycle(baudCycle(MainPort::PortC), "57600"), "57600");
    EXPECT_EQ(nextInCycle(portDRoleCycle(), "local"), "local");
}

TEST(PortRoles, TableBothWays) {
    const char* table[8][2] = {{"Sub B", "Main"},    {"Local", "Main"},   {"Sub B", "Local"},
                               {"Local", "Local"},   {"Liebert", "Main"}, {"McQuay", "Main"},
                               {"Liebert", "Local"}, {"McQuay", "Local"}};
    for (std::uint8_t v = 0; v < 8; ++v) {
        const PortRoleTexts texts{QString::fromLatin1(table[v][0]),
                                  QString::fromLatin1(table[v][1])};
        EXPECT_EQ(portRoleTexts(v), texts) << int(v);
        EXPECT_EQ(portRolesValue(texts.portD, texts.portE), v) << int(v);
    }
    EXPECT_FALSE(portRoleTexts(8).has_value());
    EXPECT_FALSE(portRoleTexts(255).has_value());
    EXPECT_FALSE(portRolesValue("Sub A", "Main").has_value());
    EXPECT_FALSE(portRolesValue("Local", "Modem").has_value());
}

TEST(AddressClamp, NumbersLimitedAndOtherTextIsZero) {
    const std::pair<const char*, int> rows[] = {
        {"0", 1},     {"", 1},      {"abc", 1},
        {"-5", 1},    {"12abc", 1}, {"1", 1},
        {"64", 64},   {" 64 ", 64}, {"125", 125},
        {"126", 125}, {"200", 125}, {"99999999999", 1}, // too big for a number: no number at all
    };
    for (const auto& [text, expected] : rows)
        EXPECT_EQ(clampPanelAddress(QString::fromLatin1(text)), expected) << text;
}

TEST(MainPanelMemory, EditorsWriteTextAndZeroLeavingLaterBytes) {
    MainPanelMemory memory;
    EXPECT_EQ(memory.passwordText(), "");
    EXPECT_EQ(memory.modemStringText(), "");

    memory.setPasswordText("ABCDEFGH");
    memory.setPasswordText("xyz");
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(memory.PasswordField.data()), 9).toHex(),
              "78797a0045464748"
              "00");
    EXPECT_EQ(memory.passwordText(), "xyz");
    memory.setPasswordText("123456789");
    EXPECT_EQ(memory.passwordText(), "12345678");
    EXPECT_EQ(memory.PasswordField[8], 0);

    memory.setModemStringText(QString(40, u'A'));
    EXPECT_EQ(memory.modemStringText(), QString(32, u'A'));
    EXPECT_EQ(memory.ModemStringField[32], 0);
    memory.setModemStringText("ATZ");
    EXPECT_EQ(memory.modemStringText(), "ATZ");
    EXPECT_EQ(memory.ModemStringField[3], 0);
    EXPECT_EQ(memory.ModemStringField[4], 'A');
    EXPECT_EQ(memory.ModemStringField[31], 'A');
}

} // namespace
} // namespace vtl
