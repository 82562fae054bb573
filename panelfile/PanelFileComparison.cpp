#include "panelfile/PanelFileComparison.h"

#include "link/CommandSet.h"
#include "panelfile/BlockCatalogue.h"

#include "panelfile/PanelFileRecords.h"

#include <QFile>
#include <QHash>

#include <algorithm>

namespace vtl {
namespace {

constexpr std::uint8_t TrendLogsCommand = 10;

// A file that names no family is read with the main panel's catalogue.
PanelFamily familyOfClass(FileClass fileClass) {
    return familyOfFileClass(fileClass).value_or(PanelFamily::Main);
}

CatalogueColumn columnOfClass(FileClass fileClass) {
    switch (fileClass) {
    case FileClass::Lan490:
        return CatalogueColumn::Lan490;
    case FileClass::Lan600:
        return CatalogueColumn::Lan600;
    case FileClass::Lan602:
        return CatalogueColumn::Lan602;
    case FileClass::Sub3000:
        return CatalogueColumn::Sub3000;
    case FileClass::Sub4000:
        return CatalogueColumn::Sub4000;
    case FileClass::Sub5000:
        return CatalogueColumn::Sub5000;
    case FileClass::Sub6000:
        return CatalogueColumn::Sub6000;
    case FileClass::Sub7000:
        return CatalogueColumn::Sub7000;
    default:
        return CatalogueColumn::Main;
    }
}

// Records are matched by where they go. A sub panel's type travels in the point byte, so its one
// record matches whatever type it holds.
quint32 recordKey(FileClass fileClass, const BlockRecordHeader& h) {
    if (familyOfClass(fileClass) == PanelFamily::Sub && h.command == SubPanelTypeCommand)
        return quint32(SubPanelTypeCommand) << 16;
    return quint32(h.command) << 16 | quint32(h.point) << 8 | h.table;
}

// Matches the records of `second` to those of `first` in file order; a key that appears twice is
// matched first to first.
class RecordMatcher {
public:
    RecordMatcher(const PanelFileContents& second) : second_(second), used_(second.records.size()) {
        for (qsizetype i = 0; i < second.records.size(); ++i)
            byKey_[recordKey(second.header.fileClass, second.records[i].header)].append(i);
    }
    const PanelFileContents::Record* take(quint32 key) {
        auto it = byKey_.find(key);
        if (it == byKey_.end() || it->isEmpty()) return nullptr;
        const qsizetype index = it->takeFirst();
        used_[index] = true;
        return &second_.records[index];
    }
    QList<const PanelFileContents::Record*> leftOver() const {
        QList<const PanelFileContents::Record*> rest;
        for (qsizetype i = 0; i < used_.size(); ++i)
            if (!used_[i]) rest.append(&second_.records[i]);
        return rest;
    }

private:
    const PanelFileContents& second_;
    QHash<quint32, QList<qsizetype>> byKey_;
    QList<bool> used_;
};

// "14 bytes differ", "length 120 against 128, 3 bytes differ"; empty when equal.
QString dataDifference(const QByteArray& a, const QByteArray& b) {
    if (a == b) return {};
    const qsizetype common = std::min(a.size(), b.size());
    int differing = 0;
    for (qsizetype i = 0; i < common; ++i)
        if (a[i] != b[i]) ++differing;
    QString bytes = differing == 1 ? QStringLiteral("1 byte differs")
                                   : QStringLiteral("%1 bytes differ").arg(differing);
    if (a.size() == b.size()) return bytes;
    QString text = QStringLiteral("length %1 against %2").arg(a.size()).arg(b.size());
    if (differing > 0) text += QStringLiteral(", ") + bytes;
    return text;
}

} // namespace

std::optional<PanelFileContents> readPanelFile(QIODevice& device, PanelFamily reader,
                                               QString* error) {
    PanelFileContents contents;
    const HeaderReadResult head = readHeader(device, reader);
    if (!head.ok()) {
        if (error) *error = head.message();
        return std::nullopt;
    }
    contents.header = head.header;
    RecordsReadResult read = readPanelFileRecords(device);
    const auto unsendable = std::find_if(read.records.cbegin(), read.records.cend(),
                                         [](const PanelFileRecord& r) { return !r.sendable; });
    if (read.ok() && unsendable == read.records.cend()) {
        for (PanelFileRecord& record : read.records)
            contents.records.append({record.header, std::move(record.data)});
        return contents;
    }
    if (!error) return std::nullopt;
    switch (read.status) {
    case RecordsStatus::ReadError:
        *error = QStringLiteral("Error Reading File.");
        break;
    case RecordsStatus::BytesAfterLastRecord:
        *error =
            QStringLiteral("%1 bytes after the last record are not a record").arg(read.bytesHeld);
        break;
    case RecordsStatus::TooLarge:
        *error = QStringLiteral("the records take more than %1 bytes").arg(MaxPanelFileRecordBytes);
        break;
    case RecordsStatus::CutShort:
    case RecordsStatus::Ok:
        *error =
            QStringLiteral("record %1 of the file is cut short or too long")
                .arg((read.ok() ? unsendable - read.records.cbegin() : read.records.size()) + 1);
        break;
    }
    return std::nullopt;
}

std::optional<PanelFileContents> readPanelFile(const QString& path, PanelFamily reader,
                                               QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return std::nullopt;
    }
    return readPanelFile(file, reader, error);
}

QString recordLabel(FileClass fileClass, const BlockRecordHeader& h) {
    const PanelFamily family = familyOfClass(fileClass);
    const std::optional<int> index = catalogueEntryOf(family, h);
    if (!index)
        return QStringLiteral("Command %1 Point %2 Table %3")
            .arg(h.command)
            .arg(h.point)
            .arg(h.table);
    const CatalogueEntry& entry = catalogueFor(family).entry(*index);
    int number = h.point + 1;
    int count = entry.count(columnOfClass(fileClass));
    if (family == PanelFamily::Sub) {
        if (entry.command == CatalogueMarker::SubPanelDescriptors) {
            number = h.table == commands::SubPanelDescriptorsTail.table ? 2 : 1;
            count = 2;
        } else if (entry.command < 0 || entry.command == SubPanelTypeCommand) {
            number = 1;
            count = 1;
        } else if (entry.command == TrendLogsCommand) {
            count /= 2; // two blocks of the panel make one record
        }
    }
    if (count <= 0) return QStringLiteral("%1 %2").arg(QString(entry.name)).arg(number);
    return QStringLiteral("%1 %2 of %3").arg(QString(entry.name)).arg(number).arg(count);
}

Comparison compareFiles(const PanelFileContents& first, const PanelFileContents& second) {
    Comparison result;
    if (first.header.familyCode != second.header.familyCode)
        result.differences << QStringLiteral("Family code: %1 against %2")
                                  .arg(first.header.familyCode)
                                  .arg(second.header.familyCode);
    if (first.header.anyAddress != second.header.anyAddress)
        result.differences << QStringLiteral("Any address byte: %1 against %2")
                                  .arg(first.header.anyAddress)
                                  .arg(second.header.anyAddress);
    RecordMatcher matcher(second);
    for (const auto& record : first.records) {
        const QString label = recordLabel(first.header.fileClass, record.header);
        const auto* other = matcher.take(recordKey(first.header.fileClass, record.header));
        if (!other) {
            result.differences << label + QStringLiteral(": only in the first file");
            continue;
        }
        QString difference = dataDifference(record.data, other->data);
        if (record.header.point != other->header.point)
            difference = QStringLiteral("type %1 against %2")
                             .arg(record.header.point)
                             .arg(other->header.point);
        if (difference.isEmpty())
            ++result.matching;
        else
            result.differences << label + QStringLiteral(": ") + difference;
    }
    for (const auto* other : matcher.leftOver())
        result.differences << recordLabel(second.header.fileClass, other->header) +
                                  QStringLiteral(": only in the second file");
    return result;
}

Comparison verifyRestore(const PanelFileContents& file, const PanelFileContents& controller,
                         const RestoreContext& context, bool ethernetSent) {
    Comparison result;
    RecordMatcher matcher(controller);
    const FileClass fileClass = file.header.fileClass;
    for (const auto& record : file.records) {
        const QString label = recordLabel(fileClass, record.header);
        QByteArray data = record.data;
        adaptRecordData(context, record.header, data);
        const RecordPlan plan = planRecord(context, record.header, data, true);
        const auto* held = matcher.take(recordKey(fileClass, record.header));
        if (plan.action == RecordAction::Unknown) {
            result.differences << label + QStringLiteral(": no such record on this controller; "
                                                         "the restore stops here");
            continue;
        }
        const bool leftOut =
            plan.action == RecordAction::Skip || (plan.askEthernet && !ethernetSent);
        if (leftOut) {
            if (held && held->data == data)
                ++result.matching;
            else
                result.expected << label + QStringLiteral(": not sent by the restore") +
                                       (plan.status.startsWith(QLatin1String("NOT Sending Blank"))
                                            ? QStringLiteral(" (blank)")
                                            : QString());
            continue;
        }
        if (!held) {
            result.differences << label + QStringLiteral(": not on the controller");
            continue;
        }
        const QString difference = dataDifference(data, held->data);
        if (!difference.isEmpty()) {
            result.differences << label + QStringLiteral(": ") + difference;
            continue;
        }
        const bool subType =
            context.family == PanelFamily::Sub && record.header.command == SubPanelTypeCommand;
        if (subType && held->header.point != plan.write.point)
            result.differences << label + QStringLiteral(": type %1 against %2")
                                              .arg(plan.write.point)
                                              .arg(held->header.point);
        else if (subType && record.header.point != plan.write.point)
            result.expected << label + QStringLiteral(": type %1 sent as %2")
                                           .arg(record.header.point)
                                           .arg(plan.write.point);
        else if (data != record.data)
            result.expected << label + QStringLiteral(": System Status codes sent as 490");
        else
            ++result.matching;
    }
    for (const auto* extra : matcher.leftOver())
        result.expected << recordLabel(controller.header.fileClass, extra->header) +
                               QStringLiteral(": not in the file, left as it was");
    return result;
}

} // namespace vtl
