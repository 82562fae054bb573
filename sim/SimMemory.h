#pragma once

#include "sim/SimModel.h"

#include <QByteArray>
#include <QMap>
#include <compare>
#include <cstdint>
#include <initializer_list>
#include <optional>

namespace vtl::sim {

// A record is addressed by the read command, point and table of the request.
struct RecordKey {
    std::uint8_t command = 0;
    std::uint8_t point = 0;
    std::uint8_t table = 0;
    // NOLINTNEXTLINE(modernize-use-nullptr): clang-tidy 14 takes the defaulted <=> for a 0 literal.
    auto operator<=>(const RecordKey&) const = default;
};

// The controller's records: settings blocks, routing table, BACnet, ModBus, descriptors and the
// memory blocks of the backup catalogue, filled with deterministic content at construction.
class SimMemory {
public:
    SimMemory(Model model, int address, int lineRate);

    std::optional<QByteArray> read(RecordKey key) const;
    bool contains(RecordKey key) const { return records_.contains(key); }
    void write(RecordKey key, const QByteArray& data) { records_[key] = data; }
    // Memory blocks become zeros (program code becomes empty); settings survive.
    void clear();
    bool cleared() const { return cleared_; }
    QList<RecordKey> keys() const { return records_.keys(); }
    // Every record, one line each, in key order: "command point table length hex".
    QByteArray dump() const;

    // The deterministic content of a memory block that has never been written.
    static QByteArray patternBlock(RecordKey key, int size);

private:
    void fillCatalogue(Model model);
    void fillSettings(Model model, int address, int lineRate);
    static bool survivesClear(RecordKey key);

    QMap<RecordKey, QByteArray> records_;
    bool cleared_ = false;
};

// Bytes written as small numbers, e.g. bytesOf({0x7F, 0, 42}).
QByteArray bytesOf(std::initializer_list<int> values);

// 115200 divided by the rate, as the controllers keep their port rates; 0 for other rates.
std::uint8_t portBaudCode(int rate);
int rateOfPortBaudCode(std::uint8_t code);

} // namespace vtl::sim
