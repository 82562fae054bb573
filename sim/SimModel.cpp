#include "sim/SimModel.h"

#include <array>

namespace vtl::sim {
namespace {

constexpr std::array<const char*, 9> Names = {"main",    "lan490",  "lan600",  "lan602", "sub3000",
                                              "sub4000", "sub5000", "sub6000", "sub7000"};

//                       cmd   Main L490 L600 L602 S3  S4  S5  S6  S7
constexpr CatalogueRow Rows[] = {
    {154, {0, 0, 0, 0, 0, 1, 0, 0, 1}},       {1, {4, 4, 1, 1, 1, 1, 1, 1, 2}},
    {2, {4, 4, 1, 1, 1, 1, 1, 1, 2}},         {3, {7, 7, 3, 7, 4, 8, 4, 4, 16}},
    {4, {2, 2, 1, 1, 4, 4, 2, 2, 8}},         {5, {2, 2, 1, 1, 1, 1, 1, 1, 2}},
    {6, {1, 1, 1, 1, 1, 1, 0, 0, 2}},         {7, {4, 4, 1, 1, 1, 1, 1, 1, 2}},
    {8, {1, 1, 1, 1, 1, 1, 1, 1, 2}},         {9, {4, 4, 1, 1, 2, 2, 1, 1, 3}},
    {10, {3, 3, 1, 1, 4, 4, 2, 2, 6}},        {11, {4, 4, 1, 1, 0, 0, 0, 0, 0}},
    {12, {4, 1, 1, 1, 0, 0, 0, 0, 0}},        {14, {4, 8, 8, 8, 1, 2, 1, 2, 2}},
    {45, {1, 1, 1, 1, 0, 0, 0, 0, 0}},        {15, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
    {57, {0, 0, 0, 0, 1, 1, 1, 1, 1}},        {55, {0, 0, 0, 0, 1, 1, 1, 1, 1}},
    {-1, {0, 0, 0, 0, 1, 1, 1, 1, 1}},        {-2, {0, 0, 0, 0, 0, 1, 0, 0, 1}},
    {16, {128, 128, 10, 10, 5, 5, 5, 5, 10}}, {17, {32, 32, 8, 8, 4, 4, 1, 1, 8}},
    {18, {8, 16, 4, 4, 2, 2, 0, 0, 4}},       {19, {64, 64, 16, 16, 4, 4, 2, 2, 8}},
    {40, {1, 0, 0, 0, 0, 0, 0, 0, 0}},        {27, {1, 1, 1, 1, 0, 0, 0, 0, 0}},
    {-3, {0, 0, 0, 0, 1, 1, 1, 1, 1}},        {48, {1, 1, 1, 1, 0, 0, 0, 0, 0}},
    {49, {48, 48, 8, 8, 0, 0, 0, 0, 0}},      {73, {0, 0, 0, 0, 0, 1, 1, 1, 1}},
    {71, {1, 1, 1, 1, 0, 0, 0, 0, 0}},        {212, {0, 0, 0, 4, 0, 0, 0, 0, 0}},
};

} // namespace

QString modelName(Model model) {
    return QString::fromLatin1(Names[std::size_t(model)]);
}

std::optional<Model> modelFromName(const QString& name) {
    for (std::size_t i = 0; i < Names.size(); ++i)
        if (name == QLatin1String(Names[i])) return Model(i);
    return std::nullopt;
}

QStringList modelNames() {
    QStringList names;
    for (const char* name : Names)
        names << QString::fromLatin1(name);
    return names;
}

bool isSubPanel(Model model) {
    return model >= Model::Sub3000;
}

int defaultTypeCode(Model model) {
    switch (model) {
    case Model::Lan490:
        return 490;
    case Model::Lan600:
        return 600;
    case Model::Lan602:
        return 602;
    default:
        return 320;
    }
}

std::uint8_t defaultStatusByte(Model model) {
    switch (model) {
    case Model::Sub4000:
        return 0x40;
    case Model::Sub5000:
        return 0x80;
    case Model::Sub6000:
        return 0xC1;
    case Model::Sub7000:
        return 0x02;
    default:
        return 0x00;
    }
}

std::uint8_t defaultSubPanelType(Model model) {
    switch (model) {
    case Model::Sub3000:
        return 130;
    case Model::Sub4000:
        return 140;
    case Model::Sub5000:
        return 150;
    case Model::Sub6000:
        return 160;
    case Model::Sub7000:
        return 170;
    default:
        return 253;
    }
}

const CatalogueRow* catalogueRows(int* count) {
    *count = int(std::size(Rows));
    return Rows;
}

int blockCount(Model model, int catalogueCommand) {
    for (const CatalogueRow& row : Rows)
        if (row.command == catalogueCommand) return row.counts[int(model)];
    return 0;
}

} // namespace vtl::sim
