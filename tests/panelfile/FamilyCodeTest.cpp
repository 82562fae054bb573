#include "panelfile/FamilyCode.h"
#include "panelfile/PanelFileHeader.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

TEST(FamilyCode, LanAndMainBases) {
    ConnectionState state;
    state.PanelAddress = 17;
    state.PanelTypeCode = 495;
    EXPECT_EQ(familyCode(PanelFamily::Lan, state), 2017);
    EXPECT_EQ(familyCode(PanelFamily::Main, state), 1017);
    state.IsBrinlet = 1; // 600 or 601
    EXPECT_EQ(familyCode(PanelFamily::Lan, state), 10017);
}

TEST(FamilyCode, SubFamilyFromFlagsWithStatusFlag1First) {
    struct Row {
        std::uint8_t flag1, flag6, flag7;
        std::uint16_t base;
    };
    const Row rows[] = {
        {0, 0, 0, 3000}, {0, 1, 0, 4000}, {0, 0, 1, 5000}, {0, 1, 1, 6000},
        {1, 0, 0, 7000}, {1, 1, 0, 7000}, {1, 0, 1, 7000}, {1, 1, 1, 7000},
    };
    for (const Row& r : rows) {
        ConnectionState state;
        state.StatusFlag1 = r.flag1;
        state.StatusFlag6 = r.flag6;
        state.StatusFlag7 = r.flag7;
        state.PanelAddress = 3;
        SCOPED_TRACE(testing::Message() << int(r.flag1) << int(r.flag6) << int(r.flag7));
        EXPECT_EQ(subFamilyBase(state), r.base);
        EXPECT_EQ(familyCode(PanelFamily::Sub, state), r.base + 3);
    }
}

TEST(FamilyCode, ClassificationPerReader) {
    using C = FileClass;
    struct Row {
        std::uint16_t code;
        C main, lan, sub;
    };
    const Row rows[] = {
        {0, C::Invalid, C::Invalid, C::Invalid},
        {999, C::Invalid, C::Invalid, C::Invalid},
        {1000, C::Invalid, C::Invalid, C::Invalid},
        {1001, C::MainPanel, C::MainPanel, C::MainPanel},
        {1999, C::MainPanel, C::MainPanel, C::MainPanel},
        {2000, C::Invalid, C::Invalid, C::Invalid},
        {2001, C::Lan490, C::Lan490, C::Lan490},
        {3000, C::Invalid, C::Invalid, C::Invalid},
        {3001, C::Sub3000, C::Sub3000, C::Sub3000},
        {4999, C::Sub4000, C::Sub4000, C::Sub4000},
        {5001, C::Sub5000, C::Sub5000, C::Sub5000},
        {6999, C::Sub6000, C::Sub6000, C::Sub6000},
        {7001, C::Sub7000, C::Sub7000, C::Sub7000},
        {7999, C::Sub7000, C::Sub7000, C::Sub7000},
        {8000, C::Invalid, C::Invalid, C::Invalid},
        {8001, C::NoWriter, C::NoWriter, C::NoWriter},
        {9999, C::NoWriter, C::NoWriter, C::NoWriter},
        {10000, C::Invalid, C::Invalid, C::Invalid},
        {10001, C::NoWriter, C::Lan600, C::Lan600},
        {10999, C::NoWriter, C::Lan600, C::Lan600},
        {11000, C::Invalid, C::Invalid, C::Invalid},
        {11001, C::NoWriter, C::Lan602, C::Lan602},
        {65000, C::Invalid, C::Invalid, C::Invalid},
        {65535, C::NoWriter, C::Lan602, C::Lan602},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.code);
        EXPECT_EQ(classifyFamilyCode(r.code, PanelFamily::Main), r.main);
        EXPECT_EQ(classifyFamilyCode(r.code, PanelFamily::Lan), r.lan);
        EXPECT_EQ(classifyFamilyCode(r.code, PanelFamily::Sub), r.sub);
    }
    EXPECT_EQ(fileAddress(2001), 1);
    EXPECT_EQ(fileAddress(11005), 5);
}

} // namespace
} // namespace vtl
