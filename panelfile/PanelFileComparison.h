#pragma once

#include "panelfile/BlockRecord.h"
#include "panelfile/PanelFileHeader.h"
#include "panelfile/RestoreRules.h"

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace vtl {

// A whole panel file in memory.
struct PanelFileContents {
    struct Record {
        BlockRecordHeader header;
        QByteArray data;
    };
    PanelFileHeader header;
    QList<Record> records;
};

// Reads a panel file whole, as the restore of `reader` would classify it. On failure nullopt and
// the reason in `error` ("Invalid Panel File.", a record cut short, the system's words).
std::optional<PanelFileContents> readPanelFile(QIODevice& device, PanelFamily reader,
                                               QString* error);
std::optional<PanelFileContents> readPanelFile(const QString& path, PanelFamily reader,
                                               QString* error);

// "Program Code 7 of 128": the record's catalogue entry and block number, counted as the file's
// model counts them.
QString recordLabel(FileClass fileClass, const BlockRecordHeader& header);

struct Comparison {
    QStringList differences; // "Program Code 7 of 128: 14 bytes differ"
    QStringList expected;    // what the restore rules change or leave out on purpose
    int matching = 0;

    bool equal() const { return differences.isEmpty(); }
};

// Record by record, matched by command, point and table; the stamps are not compared.
Comparison compareFiles(const PanelFileContents& first, const PanelFileContents& second);

// What a controller should hold after `file` was restored to it: a comparison of the file with a
// backup of the controller that counts as expected what the restore rules change on purpose
// (blank and left-out records, the System Status rewrite, the sub panel type, the Ethernet record
// when it was not sent). `context` is the restore's view of the file and the controller.
Comparison verifyRestore(const PanelFileContents& file, const PanelFileContents& controller,
                         const RestoreContext& context, bool ethernetSent);

} // namespace vtl
