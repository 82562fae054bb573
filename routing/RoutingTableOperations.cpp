#include "routing/RoutingTableOperations.h"

#include "history/KeepSnapshot.h"
#include "link/CommandSet.h"
#include "link/Session.h"
#include "routing/RoutingTableFile.h"

#include <QSaveFile>

#include <algorithm>

namespace vtl {

namespace C = commands;
namespace F = RoutingTableFile;

RoutingTableOperations::RoutingTableOperations(Session& session)
    : session_(session), mode_(routingModeOf(session.state)),
      table_(RoutingTable::labelled(mode_)) {}

RoutingRow& RoutingTableOperations::visibleRow(int row) {
    const int index = routing::PageSize * page_ + std::clamp(row, 0, 3);
    return table_.rows[std::size_t(index)];
}

RoutingPageView RoutingTableOperations::pageView() const {
    RoutingPageView view;
    view.page = page_;
    const bool lan = mode_ == RoutingMode::Lan;
    view.macEnabled = lan;
    view.lanColumnsEnabled = lan;
    view.subnetMask = table_.subnetMask;
    view.mtu = table_.mtu;
    for (int i = 0; i < routing::PageSize; ++i) {
        const int slot = routing::PageSize * page_ + i;
        const RoutingRow& r = table_.rows[std::size_t(slot)];
        RoutingPageRow& v = view.rows[std::size_t(i)];
        v.label = r.label;
        v.ip = r.ip;
        v.mac = r.mac;
        v.gateway = r.gateway;
        v.shown = slot < routing::rowCount(mode_);
        v.checked = r.broadcast;
        v.checkEnabled = lan && !isNoAddress(r.ip);
        v.intervalIndex = lan ? routing::intervalIndex(r.intervalMs) : -1;
    }
    return view;
}

bool RoutingTableOperations::open() {
    SkipNextRead = false;
    page_ = 0;
    return load();
}

void RoutingTableOperations::communicationError() {
    session_.ui.message(QStringLiteral("Communication Error."), QStringLiteral("Error"),
                        MessageButtons::Ok, MessageIcon::Exclamation);
}

bool RoutingTableOperations::load() {
    if (!SkipNextRead) {
        if (!session_.exchange.read(C::DirectPanel, C::RoutingTable)) {
            communicationError();
            return false;
        }
        replyLength_ = session_.buffers.TransferLength;
    }
    SkipNextRead = false;
    const auto& reply = session_.buffers.ReplyBuffer;
    parseRoutingTableBlock(mode_, {reply.data(), std::min<std::size_t>(replyLength_, reply.size())},
                           table_);
    hasTable_ = true;
    refresh();
    return true;
}

void RoutingTableOperations::takeBack(const QByteArray& block) {
    loadBlock(std::vector<std::uint8_t>(block.begin(), block.end()));
}

void RoutingTableOperations::loadBlock(const std::vector<std::uint8_t>& block) {
    auto& reply = session_.buffers.ReplyBuffer;
    std::copy(block.begin(), block.end(), reply.begin());
    replyLength_ = std::uint32_t(block.size());
    SkipNextRead = true;
    load();
}

void RoutingTableOperations::refresh() {
    for (int i = 0; i < routing::PageSize; ++i) {
        RoutingRow& r = visibleRow(i);
        if (isNoAddress(r.ip)) r.broadcast = false;
    }
    broadcastCount_ = int(std::count_if(table_.rows.begin(), table_.rows.begin() + routing::LanRows,
                                        [](const RoutingRow& r) { return r.broadcast; }));
}

bool RoutingTableOperations::readyToWrite() {
    if (!hasTable_) {
        session_.ui.message(
            QStringLiteral(
                "The Routing Table Was Not Read: Load It, Open A File Or Clear It First."),
            QLatin1String(ProblemCaption), MessageButtons::Ok, MessageIcon::Exclamation);
        return false;
    }
    const auto problem = checkRoutingTable(mode_, table_);
    if (!problem) return true;
    session_.ui.message(problem->message, QLatin1String(ProblemCaption), MessageButtons::Ok,
                        MessageIcon::Exclamation);
    return false;
}

bool RoutingTableOperations::send() {
    if (!readyToWrite()) return false;
    const auto block = buildRoutingTableBlock(mode_, table_, session_.state.PanelAddress);
    if (!keepSnapshot(session_, {WriteOperation::RoutingTable, {C::RoutingTable}, {}, {}}))
        return false;
    if (!session_.exchange.write(std::uint8_t(session_.state.PanelAddress), C::RoutingTable,
                                 block)) {
        communicationError();
        return false;
    }
    session_.ui.message(QStringLiteral("Routing Table Sent"), QStringLiteral("VTL"));
    return true;
}

void RoutingTableOperations::clear() {
    const std::uint8_t fill = mode_ == RoutingMode::Lan ? 0xFF : 0x00;
    loadBlock(std::vector<std::uint8_t>(routing::blockSize(mode_), fill));
}

bool RoutingTableOperations::saveFile(const QString& path) {
    QSaveFile file(path);
    return saveFile(file);
}

bool RoutingTableOperations::saveFile(QSaveFile& file) {
    if (!readyToWrite()) return false;
    const auto block = buildRoutingTableBlock(mode_, table_, session_.state.PanelAddress);
    if (F::gatewayLooksLikeMark(mode_, block))
        session_.ui.message(QLatin1String(F::MarkedGatewayWarning),
                            QLatin1String(F::WarningCaption), MessageButtons::Ok,
                            MessageIcon::Exclamation);
    const auto failure = F::save(file, mode_, block);
    if (!failure) return true;
    session_.ui.message(QLatin1String(F::WriteError), QLatin1String(F::ErrorCaption),
                        MessageButtons::Ok, MessageIcon::Stop, *failure);
    return false;
}

bool RoutingTableOperations::openFile(const QString& path) {
    return takeFile(F::read(path));
}

bool RoutingTableOperations::takeFile(const F::ReadResult& file) {
    const F::ReadResult read = F::forMode(file, mode_);
    if (!read.ok()) {
        session_.ui.message(read.refusal, QLatin1String(F::ErrorCaption), MessageButtons::Ok,
                            MessageIcon::Stop, read.reason);
        return false;
    }
    loadBlock(read.block);
    return true;
}

void RoutingTableOperations::takeTable(const RoutingTable& table) {
    for (int slot = 0; slot < routing::SlotCount; ++slot) {
        RoutingRow& r = table_.rows[std::size_t(slot)];
        const QString label = r.label;
        r = table.rows[std::size_t(slot)];
        r.label = label;
    }
    table_.subnetMask = table.subnetMask;
    table_.mtu = table.mtu;
    hasTable_ = true;
    refresh();
}

void RoutingTableOperations::step(int delta) {
    turnTo(page_ + (delta > 0 ? 1 : -1));
}

void RoutingTableOperations::turnTo(int page) {
    page_ = std::clamp(page, 0, routing::PageCount - 1);
    refresh();
}

void RoutingTableOperations::ipChanged(int row, const QString& text) {
    RoutingRow& r = visibleRow(row);
    r.ip = text.left(routing::MaxTextLength);
    if (isNoAddress(r.ip) && r.broadcast) {
        r.broadcast = false;
        --broadcastCount_;
    }
}

QString RoutingTableOperations::macLeft(int row, const QString& text) {
    RoutingRow& r = visibleRow(row);
    r.mac = NormalizeMac(text);
    return r.mac;
}

void RoutingTableOperations::gatewayChanged(int row, const QString& text) {
    visibleRow(row).gateway = text.left(routing::MaxTextLength);
}

void RoutingTableOperations::broadcastClicked(int row, bool checked) {
    RoutingRow& r = visibleRow(row);
    if (checked == r.broadcast) return;
    r.broadcast = checked;
    broadcastCount_ += checked ? 1 : -1;
    // Only a warning: Send lists the first 16 marked rows.
    if (checked && broadcastCount_ > routing::MaxBroadcastServers)
        session_.ui.message(QStringLiteral("Maximum Of 16 Broadcast Servers Are Allowed."),
                            QStringLiteral("Warning!"), MessageButtons::Ok,
                            MessageIcon::Exclamation);
}

void RoutingTableOperations::intervalSelected(int row, int index) {
    if (index >= 0 && index < int(routing::Intervals.size()))
        visibleRow(row).intervalMs = routing::Intervals[std::size_t(index)].ms;
}

} // namespace vtl
