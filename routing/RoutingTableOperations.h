#pragma once

#include "routing/RoutingTable.h"

#include <array>

class QSaveFile;

namespace vtl {

struct Session;

// What the four visible rows of the window show.
struct RoutingPageRow {
    QString label;
    QString ip;
    QString mac;
    QString gateway;
    bool shown = true;        // false for the slots past the last row
    bool checked = false;     // broadcast server
    bool checkEnabled = true; // LAN mode, and an address that can be a server
    int intervalIndex = -1;   // -1: no entry selected

    bool operator==(const RoutingPageRow&) const = default;
};

struct RoutingPageView {
    int page = 0;
    std::array<RoutingPageRow, routing::PageSize> rows;
    bool macEnabled = true;        // main panel mode: shown only
    bool lanColumnsEnabled = true; // gateway, broadcast server and interval
    QString subnetMask;
    QString mtu;
};

// The "IP Routing Table" window without its widgets: the table of the connected controller in the
// mode the connection gives, read, sent, cleared, kept in files, paged four rows at a time and
// edited one field at a time.
class RoutingTableOperations {
public:
    explicit RoutingTableOperations(Session& session);
    Session& session() const { return session_; }
    RoutingMode mode() const { return mode_; }
    RoutingTable& table() { return table_; }
    const RoutingTable& table() const { return table_; }
    int page() const { return page_; }
    int broadcastCount() const { return broadcastCount_; }
    RoutingPageView pageView() const;

    // The window opens on page 0 and loads; false when the read failed.
    bool open();
    // Reads the table from the controller at the end of the cable (unless SkipNextRead) and shows
    // it; on failure the rows stay as they were.
    bool load();
    // Writes the table to the controller at PanelAddress.
    bool send();
    // Shows a snapshot's table as File Open shows a file's, so that Send writes it back.
    void takeBack(const QByteArray& block);
    // Shows an empty table (255s in LAN mode, zeros in main panel mode); nothing is sent.
    void clear();
    // File Save and File Open of a chosen path; opening never talks to the controller.
    bool saveFile(const QString& path);
    bool saveFile(QSaveFile& file);
    bool openFile(const QString& path);

    // One page forward for a positive step, back otherwise, within the 32 pages.
    void step(int delta);

    // The field handlers of the visible row `row` (0..3).
    void ipChanged(int row, const QString& text);
    QString macLeft(int row, const QString& text); // the normalised text to show
    void gatewayChanged(int row, const QString& text);
    void broadcastClicked(int row, bool checked);
    void intervalSelected(int row, int index);

    // Set by Clear and File Open: the next Load shows ReplyBuffer as it stands.
    bool SkipNextRead = false;

private:
    RoutingRow& visibleRow(int row);
    void loadBlock(const std::vector<std::uint8_t>& block);
    void refresh();
    void communicationError();

    Session& session_;
    RoutingMode mode_;
    RoutingTable table_;
    int page_ = 0;
    int broadcastCount_ = 0;
    std::uint32_t replyLength_ = 0;
};

} // namespace vtl
