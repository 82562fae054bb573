#pragma once

#include "routing/RoutingTableOperations.h"
#include "tests/support/FailingSaveFile.h"
#include "tests/support/SimSession.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

namespace vtl::test {

// The routing table window's logic over a simulated controller of the mode's kind, connected in
// LAN framing, with a folder for files.
struct RoutingRig {
    explicit RoutingRig(RoutingMode mode, int address = 3)
        : sim(simOptions(mode == RoutingMode::Lan ? sim::Model::Lan490 : sim::Model::Main, address,
                         19200)),
          connected(connect(address)) {}

    // As the connect procedure and the configuration window leave the connection.
    bool connect(int address) {
        sim.connectLan();
        sim.state.BaudRate = 19200;
        sim.state.PanelAddress = std::uint32_t(address);
        return true;
    }

    QString path(const char* name = "TABLE.NET") const {
        return dir.filePath(QString::fromLatin1(name));
    }
    QByteArray fileBytes(const QString& file) const {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
    }
    void writeFile(const QString& file, const QByteArray& bytes) const {
        QFile f(file);
        if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    }
    QStringList dirEntries() const {
        return QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QByteArray controllerTable() const { return sim.controller.peek({50, 0, 21}); }

    SimSession sim;
    bool connected;
    QTemporaryDir dir;
    RoutingTableOperations ops{sim.session};
};

} // namespace vtl::test
