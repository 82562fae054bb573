#include "lan/Ipv4AddressValidator.h"

#include "lan/LanControllerSettings.h"

#include <QStringList>

namespace vtl {

QValidator::State Ipv4AddressValidator::validate(QString& input, int&) const {
    const QStringList parts = input.split(QLatin1Char('.'));
    if (parts.size() > 4) return Invalid;
    for (const QString& part : parts) {
        if (part.size() > 3) return Invalid;
        for (const QChar c : part)
            if (c < u'0' || c > u'9') return Invalid;
        if (part.toInt() > 255) return Invalid;
    }
    return parseIpv4Address(input) ? Acceptable : Intermediate;
}

} // namespace vtl
