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

// A device that fails between records fails the whole file: nothing is sent.
TEST(PanelRestoreFileError, FailingReadBetweenRecordsSendsNothing) {
    RestoreRig rig(Model::Sub4000);
    const QByteArray bytes = fileBytes(4005, {{1, 0, 0, content(20)}, {2, 0, 0, content(20)}});
    // the device fails where the second record starts
    FailingDevice device(bytes.left(bytes.size() - 25));

    EXPECT_EQ(PanelRestore(rig.session, PanelFamily::Sub).run(device), RestoreOutcome::FileError);
    EXPECT_EQ(rig.messages(), QStringList{"[Error] Error Reading File."});
    EXPECT_TRUE(rig.requests().isEmpty());
    EXPECT_TRUE(rig.ui.statuses.isEmpty());
    EXPECT_TRUE(rig.controller.framesNoted(QStringLiteral("release")).isEmpty());
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

// A file is read whole before the first write: one cut short, with bytes after its last record
// or with garbage appended sends nothing, not even the clear, and says where the damage is.
TEST(PanelRestoreFileError, DamagedFileSendsNothing) {
    struct Family {
        Model model;
        PanelFamily family;
        std::uint16_t familyCode;
    };
    struct Damage {
        const char* name;
        QByteArray tail; // after two good records
        const char* detail;
    };
    // 1000 bytes whose first five make a record of 0x6b6b bytes
    const QByteArray garbage = filled(1000, 0x6b);
    const Damage damages[] = {
        {"the third record says 50 bytes, the file holds 10",
         QByteArray::fromHex("0302003200") + content(10),
         "Variables Block 3 is cut short: the file holds 10 of its 50 bytes."},
        {"a header cut short", QByteArray::fromHex("0302"),
         "2 bytes after the last record are not a record."},
        {"four stray bytes", QByteArray::fromHex("00000000"),
         "4 bytes after the last record are not a record."},
        {"1000 bytes of garbage", garbage,
         "Command 107 Block 108 is cut short: the file holds 995 of its 27499 bytes."},
        {"a record too long to send, cut short", QByteArray::fromHex("1000000028") + content(300),
         "Program Code Block 1 is cut short: the file holds 300 of its 10240 bytes."},
        // far more than any controller's memory, in whole records too long to send
        {"4 MB of records", (QByteArray::fromHex("100000ffff") + filled(65535, 1)).repeated(65),
         "The records take more than 4194304 bytes, more than any controller holds."},
    };
    for (const Family& f : {Family{Model::Main, PanelFamily::Main, 1005},
                            Family{Model::Lan490, PanelFamily::Lan, 2005},
                            Family{Model::Sub4000, PanelFamily::Sub, 4005}}) {
        for (const Damage& d : damages) {
            SCOPED_TRACE(testing::Message() << f.familyCode << ": " << d.name);
            RestoreRig rig(f.model);
            rig.answer(MessageAnswer::Yes); // clear, if it were ever asked
            const QString path = writePanelFile(
                rig.dir, f.familyCode, 0, {{1, 0, 0, content(20)}, {2, 0, 0, content(21)}}, d.tail);

            EXPECT_EQ(rig.restore(f.family, path), RestoreOutcome::Damaged);
            EXPECT_EQ(rig.messages(), QStringList{"[Error] Invalid Panel File."});
            ASSERT_EQ(rig.ui.messages.size(), 1);
            EXPECT_EQ(rig.ui.messages[0].detail, QString::fromLatin1(d.detail));
            EXPECT_TRUE(rig.requests().isEmpty());
            EXPECT_TRUE(rig.ui.statuses.isEmpty());
            EXPECT_TRUE(rig.controller.framesNoted(QStringLiteral("release")).isEmpty());
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
