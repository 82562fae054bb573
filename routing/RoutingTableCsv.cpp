#include "routing/RoutingTableCsv.h"

#include <QHash>
#include <QRegularExpression>

#include <optional>

namespace vtl::RoutingTableCsv {

namespace {

const QStringList LanHeader{"Label",   "IP Address",       "MAC Address",
                            "Gateway", "Broadcast Server", "Interval (ms)"};
const QStringList MainHeader{"Label", "IP Address", "MAC Address"};
const QString SubnetMaskLabel = QStringLiteral("Subnet Mask");
const QString MtuLabel = QStringLiteral("MTU");

QStringList fields(const QString& line) {
    QStringList parts = line.split(QLatin1Char(','));
    for (QString& p : parts) {
        p = p.trimmed();
        if (p.size() >= 2 && p.startsWith(QLatin1Char('"')) && p.endsWith(QLatin1Char('"')))
            p = p.mid(1, p.size() - 2).trimmed();
    }
    return parts;
}

bool sameHeader(const QStringList& found, const QStringList& header) {
    if (found.size() != header.size()) return false;
    for (qsizetype i = 0; i < found.size(); ++i)
        if (found[i].compare(header[i], Qt::CaseInsensitive) != 0) return false;
    return true;
}

// Four numbers of 0 to 255, as the window's fields take them; written back without leading zeros.
std::optional<QString> ipAddress(const QString& text) {
    const auto bytes = vtl::ipAddress(text);
    if (!bytes) return std::nullopt;
    return ipText(*bytes);
}

std::optional<QString> macAddress(const QString& text) {
    static const QRegularExpression six(QRegularExpression::anchoredPattern(
        QStringLiteral("[0-9A-Fa-f]{2}([-:][0-9A-Fa-f]{2}){5}")));
    if (!six.match(text).hasMatch()) return std::nullopt;
    return QString(text).replace(QLatin1Char(':'), QLatin1Char('-')).toUpper();
}

std::optional<std::uint16_t> number16(const QString& text) {
    return mtuNumber(text);
}

class Reader {
public:
    ReadResult run(const QString& text);

private:
    bool fail(const QString& why) {
        if (result_.error.isEmpty())
            result_.error = QStringLiteral("line %1: %2").arg(line_).arg(why);
        return false;
    }
    bool row(const QStringList& f);
    bool setting(const QStringList& f);

    ReadResult result_;
    QHash<QString, int> slots_;
    QList<bool> seen_;
    bool maskSeen_ = false;
    bool mtuSeen_ = false;
    int line_ = 0;
};

ReadResult Reader::run(const QString& text) {
    // A spreadsheet may put a byte order mark before the header.
    const bool bom = text.startsWith(QChar(0xFEFF));
    const QStringList lines = (bom ? text.mid(1) : text).split(QLatin1Char('\n'));
    bool header = false;
    for (const QString& raw : lines) {
        ++line_;
        if (raw.trimmed().isEmpty()) continue;
        const QStringList f = fields(raw);
        if (!header) {
            if (sameHeader(f, LanHeader)) {
                result_.mode = RoutingMode::Lan;
            } else if (sameHeader(f, MainHeader)) {
                result_.mode = RoutingMode::MainPanel;
            } else {
                fail(QStringLiteral("the header must be \"%1\" or \"%2\"")
                         .arg(LanHeader.join(QLatin1Char(',')), MainHeader.join(QLatin1Char(','))));
                return result_;
            }
            header = true;
            result_.table = RoutingTable::labelled(result_.mode);
            for (int slot = 0; slot < routing::rowCount(result_.mode); ++slot)
                slots_.insert(result_.table.rows[std::size_t(slot)].label, slot);
            seen_ = QList<bool>(routing::rowCount(result_.mode), false);
            continue;
        }
        const bool setting = f.first() == SubnetMaskLabel || f.first() == MtuLabel;
        if (!(setting ? this->setting(f) : row(f))) return result_;
    }
    if (!header) {
        line_ = 1;
        fail(QStringLiteral("no header"));
        return result_;
    }
    for (int slot = 0; slot < seen_.size(); ++slot) {
        if (!seen_[slot]) {
            fail(QStringLiteral("no row \"%1\"").arg(result_.table.rows[std::size_t(slot)].label));
            return result_;
        }
    }
    if (!maskSeen_) fail(QStringLiteral("no \"Subnet Mask\" line"));
    if (!mtuSeen_) fail(QStringLiteral("no \"MTU\" line"));
    return result_;
}

bool Reader::row(const QStringList& f) {
    const bool lan = result_.mode == RoutingMode::Lan;
    const qsizetype columns = lan ? LanHeader.size() : MainHeader.size();
    if (f.size() != columns)
        return fail(QStringLiteral("%1 fields where %2 belong").arg(f.size()).arg(columns));
    const auto slot = slots_.constFind(f[0]);
    if (slot == slots_.constEnd())
        return fail(QStringLiteral("no row is labelled \"%1\"").arg(f[0]));
    if (seen_[*slot]) return fail(QStringLiteral("row \"%1\" a second time").arg(f[0]));
    seen_[*slot] = true;
    RoutingRow& r = result_.table.rows[std::size_t(*slot)];

    const auto ip = ipAddress(f[1]);
    if (!ip)
        return fail(
            QStringLiteral("\"%1\" is no IP address (four numbers from 0 to 255)").arg(f[1]));
    const auto mac = macAddress(f[2]);
    if (!mac)
        return fail(
            QStringLiteral("\"%1\" is no MAC address (six pairs as 00-40-9D-00-01-0A)").arg(f[2]));
    r.ip = *ip;
    r.mac = *mac;
    if (!lan) return true;

    const auto gateway = ipAddress(f[3]);
    if (!gateway)
        return fail(
            QStringLiteral("\"%1\" is no gateway address (four numbers from 0 to 255)").arg(f[3]));
    if (f[4] != QLatin1String("0") && f[4] != QLatin1String("1"))
        return fail(QStringLiteral("the broadcast server mark is 0 or 1, not \"%1\"").arg(f[4]));
    const auto interval = number16(f[5]);
    if (!interval)
        return fail(QStringLiteral("the interval is 0 to 65535 ms, not \"%1\"").arg(f[5]));
    r.gateway = *gateway;
    r.broadcast = f[4] == QLatin1String("1");
    r.intervalMs = *interval;
    if (r.broadcast && isNoAddress(r.ip))
        return fail(QStringLiteral("%1 cannot be a broadcast server").arg(r.ip));
    return true;
}

bool Reader::setting(const QStringList& f) {
    if (f.size() < 2) return fail(QStringLiteral("\"%1\" without a value").arg(f[0]));
    if (f.size() > 2)
        return fail(QStringLiteral("\"%1\" takes one value, not %2").arg(f[0]).arg(f.size() - 1));
    if (f[0] == SubnetMaskLabel) {
        const auto mask = ipAddress(f[1]);
        if (!mask)
            return fail(
                QStringLiteral("\"%1\" is no subnet mask (four numbers from 0 to 255)").arg(f[1]));
        result_.table.subnetMask = *mask;
        maskSeen_ = true;
        return true;
    }
    const auto mtu = number16(f[1]);
    if (!mtu)
        return fail(QStringLiteral("the MTU is a number from 0 to 65535, not \"%1\"").arg(f[1]));
    result_.table.mtu = QString::number(*mtu);
    mtuSeen_ = true;
    return true;
}

} // namespace

QString write(RoutingMode mode, const RoutingTable& table) {
    const bool lan = mode == RoutingMode::Lan;
    QStringList lines{(lan ? LanHeader : MainHeader).join(QLatin1Char(','))};
    for (int slot = 0; slot < routing::rowCount(mode); ++slot) {
        const RoutingRow& r = table.rows[std::size_t(slot)];
        QStringList f{r.label, r.ip, r.mac};
        if (lan)
            f << r.gateway << QString::number(r.broadcast ? 1 : 0) << QString::number(r.intervalMs);
        lines << f.join(QLatin1Char(','));
    }
    lines << SubnetMaskLabel + QLatin1Char(',') + table.subnetMask;
    lines << MtuLabel + QLatin1Char(',') + table.mtu;
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

ReadResult read(const QString& text) {
    return Reader().run(text);
}

} // namespace vtl::RoutingTableCsv
