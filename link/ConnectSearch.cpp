// The speed search and identification of the connect procedure, in LAN and Sub LAN framing.
#include "link/CommandSet.h"
#include "link/Connect.h"
#include "link/ListenForBaud.h"
#include "link/Log.h"

namespace vtl {
namespace {

const QString Vtl = QStringLiteral("VTL");
const QString Vantrel = QStringLiteral("Vantrel");

// Automatic candidates, in the order they are tried.
constexpr std::array<std::int32_t, 5> LanAutoRates = {38400, 19200, 57600, 115200, 9600};
constexpr std::array<std::int32_t, 3> SubLanAutoRates = {38400, 19200, 9600};

// A raw device server keeps its line at its own speed: "trying" others would only pretend.
const QString ServerSpeedTitle = QStringLiteral("VTL - Speed Set By The Device Server");

bool searchFixedByServer(Session& s, bool autoDetect) {
    if (!autoDetect || !serverOwnsRate(s.state.PortName)) return false;
    qCInfo(lcLink).noquote() << s.state.PortName
                             << "sets the speed itself; trying once at the server's speed";
    s.ui.setTitle(ServerSpeedTitle);
    return true;
}

QString tryingTitle(std::int32_t rate) {
    return QStringLiteral("VTL - Trying %1 Baud").arg(rate);
}

void showUnableToConnect(Session& s) {
    s.ui.message(QStringLiteral("Unable To Connect."), Vtl, MessageButtons::Ok, MessageIcon::Stop);
}

void showBaudUnknown(Session& s) {
    s.ui.message(QStringLiteral("Unable To Determine Baud Of Panel."), QStringLiteral("Error"),
                 MessageButtons::Ok, MessageIcon::Exclamation);
}

// After Cancel the question is not asked: the connection ends as Cancel would have it.
bool askRetryPanelInformation(Session& s) {
    if (s.ui.cancelRequested()) return false;
    return s.ui.message(QStringLiteral("Problem Retrieving Panel Information."), Vtl,
                        MessageButtons::RetryCancel,
                        MessageIcon::Exclamation) == MessageAnswer::Retry;
}

// A cancelled search ends quietly: nothing was found, and nothing needs saying.
void endCancelledSearch(Session& s) {
    s.ui.setProgress({});
    s.ui.setTitle(Vantrel);
}

// Each speed tried is one step of the search's progress; Cancel is looked at between speeds.
bool cancelledBeforeTrying(Session& s, std::size_t attempt, std::size_t tries) {
    s.ui.setProgress({int(attempt), int(tries), s.state.BaudRate, ProgressUnit::Speeds});
    if (!s.ui.cancelRequested()) return false;
    endCancelledSearch(s);
    return true;
}

void setTypeCodeFlags(ConnectionState& state) {
    const std::uint32_t code = state.PanelTypeCode;
    state.IsLanController = code >= 490 && code <= 499;
    state.IsBrinlet = 0;
    state.IsCode602 = 0;
    if (code >= 600 && code <= 699) {
        state.IsBrinlet = 1;
        state.IsLanController = 1;
        if (code >= 602) state.IsCode602 = 1;
    }
}

bool connectLan(Session& s, bool autoDetect, const OpenControllerWindow& openWindow) {
    ConnectionState& state = s.state;
    std::vector<std::int32_t> rates{state.BaudRate};
    const bool fixedByServer = searchFixedByServer(s, autoDetect);
    if (autoDetect)
        rates.assign(LanAutoRates.begin(),
                     fixedByServer ? LanAutoRates.begin() + 1 : LanAutoRates.end());

    bool found = false;
    for (std::size_t attempt = 0; attempt < rates.size() && !found; ++attempt) {
        state.BaudRate = rates[attempt];
        if (cancelledBeforeTrying(s, attempt, rates.size())) return false;
        if (!fixedByServer) s.ui.setTitle(tryingTitle(state.BaudRate));
        state.LinkMode = LinkModeLan;
        // Fewer than two bytes cannot name a model; the rest of the buffer is an older reply's.
        found = s.exchange.read(commands::DirectPanel, commands::TypeCodeRead) &&
                s.buffers.TransferLength >= commands::TypeCodeSize;
        if (found) break;
        // Cancel during the wait for the reply ends the search as Cancel between speeds does.
        if (s.ui.cancelRequested()) {
            endCancelledSearch(s);
            return false;
        }
        s.ui.setTitle(attempt < 2 ? Vtl : Vantrel);
        // "COM Port Error" has been shown already; other speeds would fail alike.
        if (state.LinkMode == LinkModePortFailed) return false;
    }
    s.ui.setProgress({});
    if (!found) {
        autoDetect ? showBaudUnknown(s) : showUnableToConnect(s);
        return false;
    }
    s.ui.setTitle(Vantrel);
    state.PanelTypeCode = s.buffers.ReplyBuffer[0] + 256u * s.buffers.ReplyBuffer[1];
    setTypeCodeFlags(state);
    if (openWindow) openWindow(windowForTypeCode(state.PanelTypeCode));
    return true;
}

// Listens at each candidate rate until one controller is heard steadily.
bool findSubLanRate(Session& s, bool autoDetect) {
    const bool fixedByServer = searchFixedByServer(s, autoDetect);
    const std::size_t tries = autoDetect && !fixedByServer ? SubLanAutoRates.size() : 1;
    for (std::size_t attempt = 0; attempt < tries; ++attempt) {
        if (autoDetect) s.state.BaudRate = SubLanAutoRates[attempt];
        if (cancelledBeforeTrying(s, attempt, tries)) return false;
        if (!fixedByServer) s.ui.setTitle(tryingTitle(s.state.BaudRate));
        const ListenResult heard = ListenForBaud(s);
        if (heard == ListenResult::NothingUsable && s.ui.cancelRequested()) {
            endCancelledSearch(s);
            return false;
        }
        if (heard != ListenResult::NothingUsable) s.ui.setProgress({});
        switch (heard) {
        case ListenResult::OneController:
            return true;
        case ListenResult::SeveralStations:
            s.ui.setTitle(Vantrel);
            s.ui.message(
                QStringLiteral("Controller Does Not Appear To Be Disconnected From The Network!"),
                QStringLiteral("Error"), MessageButtons::Ok, MessageIcon::Stop);
            return false;
        case ListenResult::NothingUsable:
            // "Unable To Setup COM Port." has been shown; other rates would fail alike.
            if (!s.link.isOpen()) return false;
            break;
        }
    }
    s.ui.setProgress({});
    s.ui.setTitle(Vantrel);
    autoDetect ? showBaudUnknown(s) : showUnableToConnect(s);
    return false;
}

// After "COM Port Error" every exchange fails; a Retry is the user asking to try the port again.
void retryPort(Session& s) {
    if (s.state.LinkMode == LinkModePortFailed) s.state.LinkMode = LinkModeSubLan;
}

bool identifySubPanel(Session& s) {
    for (;;) {
        if (s.exchange.read(commands::SubLanBroadcast, commands::Identification)) return true;
        if (!askRetryPanelInformation(s)) return false;
        retryPort(s);
    }
}

bool readSubPanelStatus(Session& s) {
    for (;;) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            s.state.StatusFlag6 = 0;
            s.state.ReleasePending = 1;
            if (s.exchange.read(std::uint8_t(s.state.PanelAddress), commands::Status)) return true;
        }
        if (!askRetryPanelInformation(s)) return false;
        retryPort(s);
    }
}

bool connectSubLan(Session& s, bool autoDetect, const OpenControllerWindow& openWindow) {
    if (!findSubLanRate(s, autoDetect)) return false;
    s.state.LinkMode = LinkModeSubLan;
    s.state.PollPending = 1;
    if (!identifySubPanel(s) || !readSubPanelStatus(s)) {
        s.ui.setTitle(Vantrel);
        return false;
    }
    s.ui.setTitle(Vantrel);
    if (openWindow) openWindow(ControllerWindow::SubPanel);
    return true;
}

} // namespace

ControllerWindow windowForTypeCode(std::uint32_t typeCode) {
    const bool lan = (typeCode >= 490 && typeCode <= 499) || (typeCode >= 600 && typeCode <= 699);
    return lan ? ControllerWindow::LanController : ControllerWindow::MainPanel;
}

bool Connect(Session& session, const ConnectRequest& request,
             const OpenControllerWindow& openWindow) {
    if (!acceptConnectRequest(session, request)) return false;
    // What another controller gave must never be taken for this one's.
    session.exchange.lastReads().forget();
    const bool autoDetect = request.baudPosition == AutoDetectPosition ||
                            request.baudPosition < 0 ||
                            request.baudPosition >= int(BaudListRates.size());
    return request.subLan ? connectSubLan(session, autoDetect, openWindow)
                          : connectLan(session, autoDetect, openWindow);
}

} // namespace vtl
