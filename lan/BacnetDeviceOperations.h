#pragma once

#include "lan/BacnetDeviceSettings.h"

namespace vtl {

struct Session;

// What the BACnet window does: read the device block when it opens, check and write it on OK.
class BacnetDeviceOperations {
public:
    // A reply longer than this is taken for nonsense and shown as zeros.
    static constexpr int MaxReadSize = 1000;

    explicit BacnetDeviceOperations(Session& session);
    Session& session() const { return session_; }

    // Reads the block and fills the fields; false (fields left empty) when the read failed.
    bool open(BacnetDeviceView& view);
    // OK is offered only once the block was read: without it OK would write a block of zeros.
    bool canSend() const { return read_; }

    enum class Outcome { Sent, Refused, Failed };
    // Checks the fields and writes the block; Sent means the window closes. Refused at once,
    // without a word, while the block was never read.
    Outcome ok(const BacnetDeviceView& view);
    // Makes a snapshot's block the one OK writes over and shows it, so that OK writes it back.
    void takeBack(const QByteArray& block, BacnetDeviceView& view);

    // The block OK writes over: what was read, bytes past the reply's end as zero, at least 164
    // bytes long.
    const QByteArray& base() const { return base_; }
    // The block of the last successful OK.
    const QByteArray& lastSent() const { return lastSent_; }

private:
    Session& session_;
    QByteArray base_;
    QByteArray lastSent_;
    bool read_ = false;
};

} // namespace vtl
