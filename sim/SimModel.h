#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace vtl::sim {

enum class Model { Main, Lan490, Lan600, Lan602, Sub3000, Sub4000, Sub5000, Sub6000, Sub7000 };

// "main", "lan490", "lan600", "lan602", "sub3000" ... "sub7000".
QString modelName(Model model);
std::optional<Model> modelFromName(const QString& name);
QStringList modelNames();

bool isSubPanel(Model model);
int defaultTypeCode(Model model);
// The sub panel's status byte (reply byte 4 of the status read): bit 7, bit 6 and bit 1 tell the
// family apart.
std::uint8_t defaultStatusByte(Model model);
// The sub panel type reported through the read of command 50, table 5.
std::uint8_t defaultSubPanelType(Model model);

// One row of the memory map a backup walks: the catalogue command and the block count per model.
// Negative commands stand for the sub panel's descriptor and custom unit records.
struct CatalogueRow {
    int command;
    int counts[9]; // indexed by Model
};
const CatalogueRow* catalogueRows(int* count);
int blockCount(Model model, int catalogueCommand);

} // namespace vtl::sim
