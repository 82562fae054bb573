#pragma once

#include "link/Transport.h"

#include <QList>
#include <QString>

namespace vtl {

struct PortEntry {
    QString name;        // what goes into PortName
    QString description; // the adapter's description, where the system knows it
    QString manufacturer;
    QString serialNumber; // a USB adapter's own serial number, where it has one
};

// Ports that are not devices of the system (the built-in simulated controllers) register here
// and are listed and opened like real ports.
class PortRegistry {
public:
    static PortRegistry& instance();

    void add(const PortEntry& entry, TransportFactory factory);
    void clear();
    QList<PortEntry> entries() const;
    TransportFactory factoryFor(const QString& name) const;

private:
    QList<QPair<PortEntry, TransportFactory>> ports_;
};

// "USB-Serial Controller, Prolific, serial number A1B2": what the system knows of a port, for the
// port list's tooltips and vtl-cli ports; empty when it knows nothing.
QString portDetails(const PortEntry& port);

// Opens registered ports, tcp://HOST:PORT, rfc2217://HOST:PORT and serial devices, in that order of
// preference.
std::unique_ptr<Transport> openTransportFor(const QString& portName);

// Whether the port's line speed belongs to a device server that cannot be told another (tcp://).
bool serverOwnsRate(const QString& portName);

// Whether COMn+1 exists and can be opened; it is closed again at once.
bool probeComPort(int index);

// The serial ports of this machine as the connection window lists them: on Windows COM1 to COM32
// where present, elsewhere the serial devices in natural order (at most 32); then registered ports.
QList<PortEntry> listPorts();

} // namespace vtl
