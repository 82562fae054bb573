#include "panelfile/RestoreRules.h"
#include "tests/panelfile/PanelRig.h"
#include "tests/panelfile/ShortReadDevice.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace vtl::test {
namespace {

using sim::Model;

// Serves the bytes of a file and then fails, as a disk or network share that goes away does.
class FailingDevice final : public QIODevice {
public:
    explicit FailingDevice(QByteArray bytes) : bytes_(std::move(bytes)) {
        open(QIODevice::ReadOnly);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 max) override {
        if (at_ >= bytes_.size()) return -1;
        const qint64 n = std::min<qint64>(max, bytes_.size() - at_);
        std::copy_n(bytes_.constData() + at_, n, data);
        at_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray bytes_;
    qint64 at_ = 0;
};

QByteArray fileBytes(std::uint16_t familyCode, const QList<FileRecordSpec>& records) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(writeHeader(buffer, QDateTime(QDate(2008, 6, 9), QTime(15, 7, 45)), familyCode, 0));
    for (const auto& r : records)
        EXPECT_TRUE(writeBlockRecord(buffer, std::uint8_t(r.command), std::uint8_t(r.point),
                                     std::uint8_t(r.table), r.data));
    return buffer.data();
}

TEST(PanelRestoreFileError, FailingReadInTheHeader) {
    RestoreRig rig(Model::Main);
    FailingDevice device{QByteArray()};

    EXPECT_EQ(PanelRestore(rig.session, PanelFamily::Main).run(device), RestoreOutcome::FileError);
    EXPECT_EQ(rig.messages(), QStringList{"[Error] Error Reading File."});
    EXPECT_TRUE(rig.requests().isEmpty());
}

// A failed read is not the end of the file: the restore must not report success.
TEST(PanelRestoreFileError, FailingReadBetweenRecordsIsNotAFinish) {
    RestoreRig rig(Model::Sub4000);
    const QByteArray bytes = fileBytes(4005, {{1, 0, 0, content(20)}, {2, 0, 0, content(20)}});
    // the device fails where the second record starts
    FailingDevice device(bytes.left(bytes.size() - 25));

    EXPECT_EQ(PanelRestore(rig.session, PanelFamily::Sub).run(device), RestoreOutcome::FileError);
    EXPECT_EQ(rig.messages(), QStringList{"[Error] Error Reading File."});
    EXPECT_EQ(rig.requests(), QStringList{"101/0/0:20"});
    EXPECT_EQ(rig.ui.statuses, QStringList{"Sending Outputs Block 1"});
    // the sub panel gets its bus back
    EXPECT_EQ(rig.controller.framesNoted(QStringLiteral("release")).size(), 1);
}

// A device that delivers each record in several reads still sends every record whole.
TEST(PanelRestoreFileError, ShortReadsSendEveryRecordWhole) {
    RestoreRig rig(Model::Main);
    rig.answer(MessageAnswer::No); // no clear
    ShortReadDevice device(fileBytes(1005, {{1, 0, 0, content(300)}, {2, 1, 0, content(20, 9)}}),
                           7);

    EXPECT_EQ(PanelRestore(rig.session, PanelFamily::Main).run(device), RestoreOutcome::Finished);
    EXPECT_EQ(rig.requests(), (QStringList{"101/0/0:300", "102/1/0:20"}));
    EXPECT_EQ(rig.controller.peek({1, 0, 0}), content(300));
    EXPECT_EQ(rig.controller.peek({2, 1, 0}), content(20, 9));
}

// A last record cut short by the end of the file is not sent, and the run says so instead of
// finishing: the controller did not get the whole file.
TEST(PanelRestoreFileError, RecordCutShortIsReportedNotFinished) {
    struct Row {
        Model model;
        PanelFamily family;
        std::uint16_t familyCode;
    };
    for (const Row& row :
         {Row{Model::Main, PanelFamily::Main, 1005}, Row{Model::Lan490, PanelFamily::Lan, 2005},
          Row{Model::Sub4000, PanelFamily::Sub, 4005}}) {
        SCOPED_TRACE(row.familyCode);
        RestoreRig rig(row.model);
        if (row.family != PanelFamily::Sub) rig.answer(MessageAnswer::No); // no clear
        // the third record says 50 bytes, the file holds 10 of them
        const QString path = writePanelFile(rig.dir, row.familyCode, 0,
                                            {{1, 0, 0, content(20)}, {2, 0, 0, content(21)}},
                                            QByteArray::fromHex("0302003200") + content(10));

        EXPECT_EQ(rig.restore(row.family, path), RestoreOutcome::Damaged);
        EXPECT_EQ(rig.requests(), (QStringList{"101/0/0:20", "102/0/0:21"}));
        EXPECT_EQ(rig.messages().last(),
                  QStringLiteral("[Error] Panel File Is Damaged: Variables Block 3 Was Not Sent."));
        EXPECT_FALSE(rig.ui.statuses.contains(QStringLiteral("Finished Sending Panel File.")));
        EXPECT_EQ(rig.ui.statuses.last(), QString());
        if (row.family == PanelFamily::Sub) {
            EXPECT_EQ(rig.controller.framesNoted(QStringLiteral("release")).size(), 1);
        }
    }
}

TEST(SystemStatusRewrite, TouchesOnlyWholeEntriesWithinTheData) {
    // Two whole entries and four bytes of a third, all with code 0x7ff.
    QByteArray data(56, '\x07');
    data[2] = data[28] = data[54] = '\xff';
    QByteArray expected = data;
    expected[2] = expected[28] = char(234);
    expected[3] = expected[29] = '\x01';

    rewriteSystemStatusCodes(data);
    EXPECT_EQ(data.toHex(' '), expected.toHex(' '));

    QByteArray shortData("\0\0\xff\x07", 4);
    rewriteSystemStatusCodes(shortData);
    EXPECT_EQ(shortData, QByteArray("\0\0\xff\x07", 4));
}

} // namespace
} // namespace vtl::test
