#pragma once

#include "routing/RoutingTable.h"
#include "routing/RoutingTableFile.h"

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
    // True once the rows hold a table the user meant: one read, a file opened, a table taken or
    // Clear. Until then Send and File Save refuse, so that the blank rows left by a failed read
    // are never written as if they had been read.
    bool hasTable() const { return hasTable_; }
    // Writes the table to the controller at PanelAddress. Every text is checked first: a table
    // with one that does not fit its field is refused with a message and nothing is sent.
    bool send();
    // Shows a snapshot's table as File Open shows a file's, so that Send writes it back.
    void takeBack(const QByteArray& block);
    // False, after the message that says why, when the table may not be sent or saved.
    bool readyToWrite();
    // Shows an empty table (255s in LAN mode, zeros in main panel mode); nothing is sent.
    void clear();
    // File Save and File Open of a chosen path; opening never talks to the controller. Saving
    // checks the table as Send does.
    bool saveFile(const QString& path);
    bool saveFile(QSaveFile& file);
    bool openFile(const QString& path);
    // A file read before (by RoutingTableFile::read), opened as File Open opens it.
    bool takeFile(const RoutingTableFile::ReadResult& file);
    // A whole table from elsewhere (a CSV file), shown as File Open shows a file; labels stay.
    void takeTable(const RoutingTable& table);

    // One page forward for a positive step, back otherwise, within the 32 pages.
    void step(int delta);
    // The page of that index (0..31), clamped.
    void turnTo(int page);

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
    bool hasTable_ = false;
};

} // namespace vtl
