#include "link/PortRegistry.h"

#include "link/Rfc2217Transport.h"
#include "link/SerialPortTransport.h"
#include "link/TcpTransport.h"

#include <QCollator>
#include <QSerialPortInfo>

#include <algorithm>

namespace vtl {

PortRegistry& PortRegistry::instance() {
    static PortRegistry registry;
    return registry;
}

void PortRegistry::add(const PortEntry& entry, TransportFactory factory) {
    ports_.append({entry, std::move(factory)});
}

void PortRegistry::clear() {
    ports_.clear();
}

QList<PortEntry> PortRegistry::entries() const {
    QList<PortEntry> list;
    for (const auto& port : ports_)
        list.append(port.first);
    return list;
}

TransportFactory PortRegistry::factoryFor(const QString& name) const {
    for (const auto& port : ports_)
        if (port.first.name == name) return port.second;
    return {};
}

bool serverOwnsRate(const QString& portName) {
    return TcpTransport::parseName(portName, nullptr, nullptr);
}

QString portDetails(const PortEntry& port) {
    QStringList parts;
    if (!port.description.isEmpty()) parts << port.description;
    if (!port.manufacturer.isEmpty()) parts << port.manufacturer;
    if (!port.serialNumber.isEmpty()) parts << QStringLiteral("serial number ") + port.serialNumber;
    return parts.join(QStringLiteral(", "));
}

bool probeComPort(int index) {
    QSerialPort probe(QStringLiteral("COM%1").arg(index + 1));
    if (!probe.open(QIODevice::ReadWrite)) return false;
    probe.close();
    return true;
}

std::unique_ptr<Transport> openTransportFor(const QString& portName) {
    if (auto factory = PortRegistry::instance().factoryFor(portName)) return factory(portName);
    QString host;
    quint16 port = 0;
    if (TcpTransport::parseName(portName, &host, &port))
        return std::make_unique<TcpTransport>(host, port);
    if (Rfc2217Transport::parseName(portName, &host, &port))
        return std::make_unique<Rfc2217Transport>(host, port);
    return std::make_unique<SerialPortTransport>(portName);
}

QList<PortEntry> listPorts() {
    QList<PortEntry> list;
#ifdef Q_OS_WIN
    for (int n = 1; n <= 32; ++n) {
        if (probeComPort(n - 1)) list.append({QStringLiteral("COM%1").arg(n), {}, {}, {}});
    }
    for (const auto& info : QSerialPortInfo::availablePorts())
        for (auto& entry : list)
            if (entry.name == info.portName()) {
                entry.description = info.description();
                entry.manufacturer = info.manufacturer();
                entry.serialNumber = info.serialNumber();
            }
#else
    auto infos = QSerialPortInfo::availablePorts();
    QCollator natural;
    natural.setNumericMode(true);
    std::sort(infos.begin(), infos.end(), [&](const QSerialPortInfo& a, const QSerialPortInfo& b) {
        return natural.compare(a.systemLocation(), b.systemLocation()) < 0;
    });
    for (const auto& info : infos) {
        if (list.size() == 32) break;
        list.append(
            {info.systemLocation(), info.description(), info.manufacturer(), info.serialNumber()});
    }
#endif
    list.append(PortRegistry::instance().entries());
    return list;
}

} // namespace vtl
