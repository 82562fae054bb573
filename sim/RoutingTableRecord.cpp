#include "sim/RoutingTableRecord.h"

namespace vtl::sim::routingtable {

namespace {
constexpr int MainSize = 1276;
constexpr int LanSize = 2100;
} // namespace

QString refusal(Model model, const QByteArray& data) {
    const int size = model == Model::Main ? MainSize : LanSize;
    if (data.size() != size)
        return QStringLiteral("routing table write of %1 bytes, the %2 table has %3")
            .arg(data.size())
            .arg(modelName(model))
            .arg(size);
    if (model == Model::Main) return {};
    if (data.mid(17, 3) != bytesOf({0, 0, 1}))
        return QStringLiteral("routing table write without 0, 0, 1 at offset 17");
    if (data.right(6) != bytesOf({165, 165, 1, 2, 4, 0}))
        return QStringLiteral("routing table write without 165, 165, 1, 2, 4, 0 at its end");
    return {};
}

} // namespace vtl::sim::routingtable
