#include "sim/SimMemory.h"

#include "sim/SubPanelRecords.h"

namespace vtl::sim {
namespace {

int blockSize(Model model, int command, int point) {
    const bool sub = isSubPanel(model);
    switch (command) {
    case 1:
    case 2:
        return sub ? 96 : 240;
    case 3:
        return sub ? 100 : 200;
    case 4:
        return sub ? 44 : 120; // two PID entries of 22 bytes on sub panels
    case 5:
        return sub ? 64 : 128;
    case 6:
        return 46;
    case 7:
        return sub ? 20 : 160;
    case 8:
        return 360;
    case 9:
        return sub ? 60 : 100; // four runtime log entries of 15 bytes on sub panels
    case 10:
        return sub ? 46 : 280; // two trend log entries of 23 bytes on sub panels
    case 11:
        return 192;
    case 12:
        return 64;
    case 14:
        return 40;
    case 15:
    case 45:
        return 32;
    case 16:
        return sub ? (point == 0 ? 200 : 0) : 400;
    case 17:
        return sub ? 72 : 144;
    case 18:
        return 46;
    case 19:
        return sub ? 64 : 128;
    case 27:
        return 87;
    case 40:
        return 96;
    case 48:
        return 64;
    case 49:
        return 512;
    default:
        return 64;
    }
}

QByteArray text(const char* s, int width) {
    QByteArray bytes(s);
    bytes.resize(width, '\0');
    return bytes;
}

void put32be(QByteArray& b, int at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (24 - 8 * i)) & 0xFF);
}

QByteArray ip(int a, int b, int c, int d) {
    return bytesOf({char(a), char(b), char(c), char(d)});
}

QByteArray mac(int n) {
    return bytesOf({0x00, 0x40, char(0x9D), 0x00, 0x01, char(n)});
}

QByteArray mainRoutingTable() {
    QByteArray b;
    for (int row = 0; row < 127; ++row)
        b += ip(192, 168, 1, row + 1) + mac(row);
    b += ip(255, 255, 255, 0);
    b += char(1500 & 0xFF);
    b += char(1500 >> 8);
    return b; // 1276 bytes
}

QByteArray lanRoutingTable(int address) {
    QByteArray b = ip(192, 168, 1, address) + mac(address) + QByteArray(2, '\0') +
                   ip(192, 168, 1, 254) + bytesOf({char(address), 0, 0, 1}) + ip(192, 168, 1, 254);
    for (int n = 1; n <= 125; ++n)
        b += ip(192, 168, 1, n) + mac(n) + QByteArray(2, '\0') + ip(192, 168, 1, 254);
    b += QByteArray(64, char(0xFF));
    b += ip(255, 255, 255, 0);
    b += bytesOf({char(1500 >> 8), char(1500 & 0xFF), char(165), char(165), 1, 2, 4, 0});
    return b; // 2100 bytes
}

QByteArray bacnetSettings() {
    QByteArray b(200, '\0');
    put32be(b, 0, 260001);
    b.replace(4, 31, text("SIM Device", 31));
    b.replace(35, 61, text("Plant Room", 61));
    b.replace(96, 61, text("Simulated controller", 61));
    put32be(b, 158, 3000);
    b[162] = char(127);
    b[163] = char(20);
    return b;
}

} // namespace

QByteArray bytesOf(std::initializer_list<int> values) {
    QByteArray bytes;
    for (int v : values)
        bytes += char(v & 0xFF);
    return bytes;
}

std::uint8_t portBaudCode(int rate) {
    return rate > 0 && rate <= 115200 && 115200 % rate == 0 ? std::uint8_t(115200 / rate) : 0;
}

int rateOfPortBaudCode(std::uint8_t code) {
    return code == 0 ? 0 : 115200 / code;
}

SimMemory::SimMemory(Model model, int address, int lineRate) {
    fillCatalogue(model);
    fillSettings(model, address, lineRate);
}

QByteArray SimMemory::patternBlock(RecordKey key, int size) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((key.command * 37 + key.point * 11 + key.table * 5 + i * 3 + 1) & 0xFF);
    return b;
}

void SimMemory::fillCatalogue(Model model) {
    int rowCount = 0;
    const CatalogueRow* rows = catalogueRows(&rowCount);
    const bool sub = isSubPanel(model);
    for (int r = 0; r < rowCount; ++r) {
        const int command = rows[r].command;
        const int count = rows[r].counts[int(model)];
        for (int block = 0; block < count; ++block) {
            const auto point = std::uint8_t(block);
            if (command > 0 && command < 50) {
                const RecordKey key{std::uint8_t(command), point, 0};
                QByteArray data = patternBlock(key, blockSize(model, command, block));
                if (sub) subpanel::zeroWorkingBytes(key.command, data);
                records_[key] = data;
            } else if (command == 71) {
                records_[{50, 0, 21}] =
                    model == Model::Main ? mainRoutingTable() : lanRoutingTable(1);
            } else if (command == 212) {
                const RecordKey key{50, point, 162};
                records_[key] = patternBlock(key, 256);
            } else if (sub && command == 154) {
                records_[{50, point, 104}] = QByteArray(1, '\0');
            } else if (sub && command == 57) {
                records_[{50, point, 7}] = text("SIM SUB PANEL", 16);
            } else if (sub && command == 55) {
                records_[subpanel::SubPanelTypeKey] =
                    QByteArray(1, char(defaultSubPanelType(model)));
            } else if (sub && command == 73) {
                const RecordKey key{50, point, 23};
                records_[key] = patternBlock(key, 32);
            } else if (command == -1) {
                const RecordKey key{24, 82, 121};
                records_[key] = patternBlock(key, 1692);
            } else if (command == -2) {
                const RecordKey key{50, 0, std::uint8_t(model == Model::Sub7000 ? 120 : 127)};
                records_[key] = patternBlock(key, 600);
            } else if (command == -3) {
                const RecordKey key{24, 249, 120};
                records_[key] = patternBlock(key, 87);
            }
        }
    }
}

void SimMemory::fillSettings(Model model, int address, int lineRate) {
    const std::uint8_t code = portBaudCode(lineRate);
    if (model == Model::Main) {
        QByteArray s(18, '\0');
        s[0] = 2;
        s[1] = 2;
        s[2] = char(code); // Computer A: the PC's port
        s[3] = 12;
        s[4] = 48;
        s[5] = 48;
        s[6] = 6;
        s[7] = char(address);
        s[8] = 1;
        s[9] = 0;
        s.replace(10, 8, text("MCQ", 8));
        records_[{38, 49, 0}] = s;
        records_[{38, 31, 252}] = text("ATZ", 32);
    } else if (!isSubPanel(model)) {
        QByteArray s(96, '\0');
        s[0] = 0x03;
        s[1] = 0x01;
        s[2] = 12;
        s[3] = char(code); // Computer A: the PC's port
        s[4] = 12;
        s[5] = 48;
        s[6] = 48;
        s[7] = 48;
        s[9] = char(address);
        s[10] = 1;
        s.replace(11, 32, text("ATZ", 32));
        s.replace(43, 4, ip(192, 168, 1, 25));
        s[47] = 12;
        s[53] = 2;
        records_[{38, 0, 0}] = s;
        records_[{50, 0, 22}] = bacnetSettings();
        if (records_.contains({50, 0, 21})) records_[{50, 0, 21}] = lanRoutingTable(address);
    } else {
        records_[{38, 0, 0}] = QByteArray(1, '\0');
        records_[{50, 0, 110}] = bytesOf({0, 0, 26, 0});
        records_[{50, 0, 104}] = QByteArray(1, '\0');
    }
}

bool SimMemory::survivesClear(RecordKey key) {
    // The model code and the settings are not part of the memory a clear wipes.
    if (key.command == 38 || key.command == 42) return true;
    if (key.command == 50)
        return key.table == 21 || key.table == 22 || key.table == 110 || key.table == 104 ||
               key.table == 5 || key.table == 7;
    return false;
}

void SimMemory::clear() {
    cleared_ = true;
    for (auto it = records_.begin(); it != records_.end(); ++it) {
        if (survivesClear(it.key())) continue;
        if (it.key().command == 16)
            it.value().clear();
        else
            it.value().fill('\0');
    }
}

QByteArray SimMemory::dump() const {
    QByteArray text;
    for (auto it = records_.constBegin(); it != records_.constEnd(); ++it) {
        text += QByteArray::number(it.key().command) + ' ' + QByteArray::number(it.key().point) +
                ' ' + QByteArray::number(it.key().table) + ' ' +
                QByteArray::number(it.value().size());
        if (!it.value().isEmpty()) text += ' ' + it.value().toHex();
        text += '\n';
    }
    return text;
}

std::optional<QByteArray> SimMemory::read(RecordKey key) const {
    const auto it = records_.constFind(key);
    if (it == records_.constEnd()) return std::nullopt;
    return it.value();
}

} // namespace vtl::sim
