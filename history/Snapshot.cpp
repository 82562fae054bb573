#include "history/Snapshot.h"

#include "link/TransferBuffers.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <array>
#include <cmath>
#include <utility>

namespace vtl {

namespace C = commands;

namespace {

constexpr std::array<std::pair<WriteOperation, const char*>, 6> OperationNames{{
    {WriteOperation::Settings, "settings"},
    {WriteOperation::Clear, "clear"},
    {WriteOperation::RoutingTable, "routing"},
    {WriteOperation::Bacnet, "bacnet"},
    {WriteOperation::Modbus, "modbus"},
    {WriteOperation::Restore, "restore"},
}};

// A whole number of the document within [low, high], or nullopt.
std::optional<int> integer(const QJsonValue& value, int low, int high) {
    if (!value.isDouble()) return std::nullopt;
    const double d = value.toDouble();
    // The range first: a number past any integer has no integer to compare with.
    if (!(d >= low && d <= high) || d != std::floor(d)) return std::nullopt;
    return int(d);
}

QJsonObject recordToJson(const SnapshotRecord& r) {
    return {{"panel", r.panel},
            {"command", r.record.command},
            {"point", r.record.point},
            {"table", r.record.table},
            {"reply-point", r.replyPoint},
            {"reply-table", r.replyTable},
            {"data", QString::fromLatin1(r.data.toHex())}};
}

std::optional<SnapshotRecord> recordFromJson(const QJsonObject& o) {
    SnapshotRecord r;
    std::array<std::optional<int>, 6> bytes{};
    const char* const keys[] = {"panel", "command", "point", "table", "reply-point", "reply-table"};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = integer(o.value(QLatin1String(keys[i])), 0, 255);
        if (!bytes[i]) return std::nullopt;
    }
    r.panel = std::uint8_t(*bytes[0]);
    r.record = {std::uint8_t(*bytes[1]), std::uint8_t(*bytes[2]), std::uint8_t(*bytes[3])};
    r.replyPoint = std::uint8_t(*bytes[4]);
    r.replyTable = std::uint8_t(*bytes[5]);
    const QString hex = o.value(QLatin1String("data")).toString();
    static const QRegularExpression hexDigits(
        QRegularExpression::anchoredPattern(QStringLiteral("([0-9a-f]{2})*")));
    if (!o.value(QLatin1String("data")).isString() || !hexDigits.match(hex).hasMatch())
        return std::nullopt;
    r.data = QByteArray::fromHex(hex.toLatin1());
    // No reply ever brings more.
    if (std::uint32_t(r.data.size()) > TransferBuffers::MaxReply) return std::nullopt;
    return r;
}

} // namespace

QString operationName(WriteOperation operation) {
    for (const auto& [op, name] : OperationNames)
        if (op == operation) return QString::fromLatin1(name);
    return {};
}

std::optional<WriteOperation> operationFromName(const QString& name) {
    for (const auto& [op, text] : OperationNames)
        if (name == QLatin1String(text)) return op;
    return std::nullopt;
}

QString ControllerIdentity::describe() const {
    const QString type =
        subLan ? QStringLiteral("family %1").arg(family) : QStringLiteral("type %1").arg(typeCode);
    return QStringLiteral("%1 (%2) at address %3").arg(kind, type).arg(address);
}

QString recordName(C::RecordAddress record, bool subLan) {
    struct Named {
        C::RecordAddress record;
        const char* name;
    };
    static constexpr Named Names[] = {
        {C::TypeCodeRead, "type code"},          {C::Identification, "address and rate"},
        {C::MainPanelSettings, "settings"},      {C::ModemString, "modem string"},
        {C::RoutingTable, "routing table"},      {C::BacnetSettings, "BACnet settings"},
        {C::ModbusSettings, "ModBus settings"},  {C::CompatibilityFlag, "compatibility flag"},
        {C::SubPanelDescriptors, "descriptors"}, {C::CustomUnits, "custom units"},
    };
    // The same record is a LAN controller's settings block and a sub panel's status.
    if (record == C::Status) return subLan ? QStringLiteral("status") : QStringLiteral("settings");
    for (const Named& n : Names)
        if (n.record == record) return QString::fromLatin1(n.name);
    return {};
}

const SnapshotRecord* Snapshot::find(C::RecordAddress record) const {
    for (const SnapshotRecord& r : records)
        if (r.record == record) return &r;
    return nullptr;
}

QString Snapshot::holds() const {
    QStringList names;
    int others = 0;
    for (const SnapshotRecord& r : records) {
        const QString name = recordName(r.record, controller.subLan);
        if (name.isEmpty())
            ++others;
        else
            names << name;
    }
    if (others > 0)
        names << (others == 1 ? QStringLiteral("1 memory block")
                              : QStringLiteral("%1 memory blocks").arg(others));
    if (!backup.isEmpty()) names << QStringLiteral("backup %1").arg(backup);
    return names.isEmpty() ? QStringLiteral("nothing read") : names.join(QStringLiteral(", "));
}

QByteArray Snapshot::toJson() const {
    QJsonObject controllerObject{{"kind", controller.kind},
                                 {"framing", controller.subLan ? "sub-lan" : "lan"},
                                 {"type-code", controller.typeCode},
                                 {"family", controller.family},
                                 {"address", controller.address}};
    QJsonArray recordArray;
    for (const SnapshotRecord& r : records)
        recordArray.append(recordToJson(r));
    QJsonObject o{{"format", FormatName},
                  {"version", FormatVersion},
                  {"id", id},
                  {"time", time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs)},
                  {"operation", operationName(operation)},
                  {"port", port},
                  {"controller", controllerObject},
                  {"records", recordArray}};
    if (movesTo) o.insert(QStringLiteral("moves-to"), *movesTo);
    if (!backup.isEmpty()) o.insert(QStringLiteral("backup"), backup);
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

std::optional<Snapshot> Snapshot::fromJson(const QByteArray& json, QString* why) {
    const auto refuse = [why](const QString& text) -> std::optional<Snapshot> {
        if (why) *why = text;
        return std::nullopt;
    };
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (!document.isObject()) return refuse(QStringLiteral("not a JSON object"));
    const QJsonObject o = document.object();
    if (o.value(QLatin1String("format")).toString() != FormatName)
        return refuse(QStringLiteral("not a snapshot"));
    const auto version = integer(o.value(QLatin1String("version")), 1, 1 << 20);
    if (version != FormatVersion)
        return refuse(QStringLiteral("snapshot version %1; this program reads version %2")
                          .arg(o.value(QLatin1String("version")).toVariant().toString())
                          .arg(FormatVersion));

    Snapshot s;
    s.id = o.value(QLatin1String("id")).toString();
    s.time = QDateTime::fromString(o.value(QLatin1String("time")).toString(), Qt::ISODateWithMs);
    const auto operation = operationFromName(o.value(QLatin1String("operation")).toString());
    s.port = o.value(QLatin1String("port")).toString();
    if (s.id.isEmpty() || !s.time.isValid() || !operation || s.port.isEmpty())
        return refuse(QStringLiteral("id, time, operation or port missing"));
    s.operation = *operation;

    const QJsonObject c = o.value(QLatin1String("controller")).toObject();
    const auto typeCode = integer(c.value(QLatin1String("type-code")), 0, 65535);
    const auto family = integer(c.value(QLatin1String("family")), 0, 65535);
    const auto address = integer(c.value(QLatin1String("address")), 0, 255);
    const QString framing = c.value(QLatin1String("framing")).toString();
    if (!typeCode || !family || !address || c.value(QLatin1String("kind")).toString().isEmpty() ||
        (framing != QLatin1String("lan") && framing != QLatin1String("sub-lan")))
        return refuse(QStringLiteral("the controller is not described"));
    s.controller = {c.value(QLatin1String("kind")).toString(), framing == QLatin1String("sub-lan"),
                    *typeCode, *family, *address};

    if (o.contains(QLatin1String("moves-to"))) {
        s.movesTo = integer(o.value(QLatin1String("moves-to")), 0, 255);
        if (!s.movesTo) return refuse(QStringLiteral("moves-to is no address"));
    }
    s.backup = o.value(QLatin1String("backup")).toString();
    if (!o.value(QLatin1String("records")).isArray())
        return refuse(QStringLiteral("the records are missing"));
    for (const QJsonValue& value : o.value(QLatin1String("records")).toArray()) {
        const auto record = recordFromJson(value.toObject());
        if (!record) return refuse(QStringLiteral("a record is damaged"));
        s.records.push_back(*record);
    }
    return s;
}

} // namespace vtl
