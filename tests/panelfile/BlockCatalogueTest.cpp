#include "panelfile/BlockCatalogue.h"

#include <gtest/gtest.h>

namespace vtl {
namespace {

using Col = CatalogueColumn;

TEST(BlockCatalogue, NamesAndCommandsInOrder) {
    const std::pair<const char*, int> expected[BlockCatalogue::Size] = {
        {"Kestrom Configuration", 154},
        {"Outputs", 1},
        {"Inputs", 2},
        {"Variables", 3},
        {"Controllers", 4},
        {"Weekly Schedules", 5},
        {"Annual Schedules", 6},
        {"Programs", 7},
        {"Tables", 8},
        {"Runtime Logs", 9},
        {"Trend Logs", 10},
        {"System Groups", 11},
        {"System Status", 12},
        {"Passwords", 14},
        {"System Name", 45},
        {"System Name", 15},
        {"Sub Panel Name", 57},
        {"Sub Panel Type", 55},
        {"Sub Panel Descriptors", -1},
        {"Sub Panel Extended Descriptors", -2},
        {"Program Code", 16},
        {"Weekly Schedule Times", 17},
        {"Annual Schedule Dates", 18},
        {"System Group Data", 19},
        {"Monitor Setup", 40},
        {"Custom Units", 27},
        {"Custom Units", -3},
        {"Arrays", 48},
        {"Array Data", 49},
        {"Net Sensor", 73},
        {"Ethernet", 71},
        {"InterProtocol Setup", 212},
    };
    for (PanelFamily family : {PanelFamily::Lan, PanelFamily::Main, PanelFamily::Sub}) {
        const BlockCatalogue& catalogue = catalogueFor(family);
        for (int i = 0; i < BlockCatalogue::Size; ++i) {
            SCOPED_TRACE(i);
            const char* name = expected[i].first;
            if (i == 4 && family == PanelFamily::Sub) name = "PID Controllers";
            EXPECT_EQ(catalogue.entry(i).name, QLatin1String(name));
            EXPECT_EQ(catalogue.entry(i).command, expected[i].second);
        }
    }
}

TEST(BlockCatalogue, ColumnTotals) {
    const BlockCatalogue& c = catalogueFor(PanelFamily::Main);
    EXPECT_EQ(c.totalBlocks(Col::Main), 329); // a main panel backup has 329 records
    EXPECT_EQ(c.totalBlocks(Col::Lan490), 337);
    EXPECT_EQ(c.totalBlocks(Col::Lan600), 72);
    EXPECT_EQ(c.totalBlocks(Col::Lan602), 80);
    EXPECT_EQ(c.totalBlocks(Col::Sub3000), 40);
    EXPECT_EQ(c.totalBlocks(Col::Sub4000), 48);
    EXPECT_EQ(c.totalBlocks(Col::Sub5000), 28);
    EXPECT_EQ(c.totalBlocks(Col::Sub6000), 29);
    EXPECT_EQ(c.totalBlocks(Col::Sub7000), 84);
}

TEST(BlockCatalogue, CountsWhereModelsDiffer) {
    const BlockCatalogue& c = catalogueFor(PanelFamily::Lan);
    EXPECT_EQ(c.count(12, Col::Main), 4); // System Status
    EXPECT_EQ(c.count(12, Col::Lan490), 1);
    EXPECT_EQ(c.count(13, Col::Main), 4); // Passwords
    EXPECT_EQ(c.count(13, Col::Lan602), 8);
    EXPECT_EQ(c.count(3, Col::Lan600), 3); // Variables
    EXPECT_EQ(c.count(3, Col::Lan602), 7);
    EXPECT_EQ(c.count(22, Col::Lan490), 16); // Annual Schedule Dates
    EXPECT_EQ(c.count(24, Col::Main), 1);    // Monitor Setup only on main panels
    EXPECT_EQ(c.count(24, Col::Lan490), 0);
    EXPECT_EQ(c.count(31, Col::Lan602), 4); // InterProtocol Setup
    EXPECT_EQ(c.count(31, Col::Lan600), 0);
    EXPECT_EQ(c.count(0, Col::Sub4000), 1); // Kestrom Configuration
    EXPECT_EQ(c.count(0, Col::Sub5000), 0);
    EXPECT_EQ(c.count(19, Col::Sub7000), 1); // extended descriptors: 4000 and 7000 only
    EXPECT_EQ(c.count(19, Col::Sub6000), 0);
    EXPECT_EQ(c.count(29, Col::Sub3000), 0); // Net Sensor
    EXPECT_EQ(c.count(29, Col::Sub4000), 1);
    EXPECT_EQ(c.count(6, Col::Sub5000), 0); // Annual Schedules
    EXPECT_EQ(c.count(15, Col::Main), 0);   // the second System Name is never read
    for (Col sub : {Col::Sub3000, Col::Sub4000, Col::Sub5000, Col::Sub6000, Col::Sub7000})
        EXPECT_EQ(c.count(10, sub) % 2, 0); // two sub panel blocks make one trend record
}

TEST(BlockCatalogue, RecordCommandsFindTheirEntryAndMarkersNone) {
    const BlockCatalogue& c = catalogueFor(PanelFamily::Sub);
    EXPECT_EQ(c.findByCommand(71), 30);
    EXPECT_EQ(c.findByCommand(212), 31);
    EXPECT_EQ(c.findByCommand(45), 14);
    EXPECT_EQ(c.findByCommand(15), 15);
    EXPECT_EQ(c.findByCommand(27), 25);
    EXPECT_EQ(c.findByCommand(154), 0);
    EXPECT_EQ(c.findByCommand(4), 4);
    EXPECT_EQ(c.entry(*c.findByCommand(4)).name, QLatin1String("PID Controllers"));
    for (int none : {0, -1, -2, -3, 24, 50, 100, 170, 177, 255}) {
        SCOPED_TRACE(none);
        EXPECT_FALSE(c.findByCommand(none).has_value());
    }
}

TEST(BlockCatalogue, ColumnOfTheConnectedController) {
    ConnectionState state;
    EXPECT_EQ(catalogueColumn(PanelFamily::Main, state), Col::Main);
    EXPECT_EQ(catalogueColumn(PanelFamily::Lan, state), Col::Lan490);
    state.IsBrinlet = 1;
    EXPECT_EQ(catalogueColumn(PanelFamily::Lan, state), Col::Lan600);
    state.IsCode602 = 1;
    EXPECT_EQ(catalogueColumn(PanelFamily::Lan, state), Col::Lan602);
    EXPECT_EQ(catalogueColumn(PanelFamily::Sub, state), Col::Sub3000);
    state.StatusFlag6 = 1;
    EXPECT_EQ(catalogueColumn(PanelFamily::Sub, state), Col::Sub4000);
    state.StatusFlag7 = 1;
    EXPECT_EQ(catalogueColumn(PanelFamily::Sub, state), Col::Sub6000);
    state.StatusFlag6 = 0;
    EXPECT_EQ(catalogueColumn(PanelFamily::Sub, state), Col::Sub5000);
    state.StatusFlag1 = 1;
    EXPECT_EQ(catalogueColumn(PanelFamily::Sub, state), Col::Sub7000);
}

} // namespace
} // namespace vtl
