#include "link/ListenForBaud.h"

#include "link/Log.h"
#include "link/PreambleSearch.h"

namespace vtl {
namespace {

constexpr std::uint8_t MarkerTag = 205;
constexpr int FramesForSteady = 20; // the 21st frame from the same controller settles it
constexpr double Patience = 200.0;
// A line busy with frames that never settle the question gives up after this long, as a silent
// one does.
constexpr std::int64_t ListenLimitUs = 30'000'000;

class Listener {
public:
    explicit Listener(Session& session)
        : s_(session), link_(session.link), deadlineUs_(session.clock.nowUs() + ListenLimitUs) {}

    ListenResult run() {
        ConnectionState& state = s_.state;
        link_.PurgePort();
        state.MarkerSeen = 0;
        state.MarkerValue = 0;
        for (;;) {
            if (!findPreamble() || pastDeadline()) return ListenResult::NothingUsable;
            std::uint8_t h[5];
            for (auto& b : h)
                b = link_.ReadByte();
            counter_ = 1.0;
            const std::uint8_t check = link_.ReadByte();
            if (check != std::uint8_t(h[0] + h[1] + h[2] + h[3] + h[4])) continue;
            if (h[1] == 0) {
                if (h[4] == MarkerTag) {
                    state.MarkerSeen = 1;
                    state.MarkerValue = std::int8_t(h[3]);
                    qCInfo(lcLink) << "marker frame heard, value" << state.MarkerValue;
                }
                continue;
            }
            if (!addressKnown_) {
                addressKnown_ = true;
                state.PanelAddress = h[1];
            } else if (state.PanelAddress != h[1]) {
                qCInfo(lcLink) << "second station" << h[1] << "heard besides" << state.PanelAddress;
                return ListenResult::SeveralStations;
            }
            if (++frames_ > FramesForSteady) return ListenResult::OneController;
        }
    }

private:
    bool pastDeadline() const {
        if (s_.clock.nowUs() < deadlineUs_) return false;
        qCInfo(lcLink) << "no steady controller heard within" << ListenLimitUs / 1000 << "ms";
        return true;
    }

    // False when patience ran out before a complete preamble, or the user asked to stop (nothing
    // has been sent: any read is a safe place to stop listening).
    bool findPreamble() {
        auto search = PreambleSearch::subLan(PreambleSearch::Variant::Listening);
        for (;;) {
            const std::uint8_t byte = link_.ReadByte();
            if (s_.ui.cancelRequested()) return false;
            const bool timedOut = link_.ReadTimedOut;
            const auto step = search.step(byte);
            if (step == PreambleSearch::Step::Complete) return true;
            if (step == PreambleSearch::Step::Advanced) continue;
            if (counter_ > Patience || pastDeadline()) return false;
            if (timedOut)
                counter_ *= 1.1;
            else
                counter_ += 1.0;
        }
    }

    Session& s_;
    SerialLink& link_;
    std::int64_t deadlineUs_;
    double counter_ = 1.0;
    int frames_ = 0;
    bool addressKnown_ = false;
};

} // namespace

ListenResult ListenForBaud(Session& session) {
    session.ui.setWaitCursor(true);
    if (!session.link.OpenPort()) {
        session.ui.setWaitCursor(false);
        session.ui.message(QStringLiteral("Unable To Setup COM Port."), QStringLiteral("Message"),
                           MessageButtons::Ok, MessageIcon::None, session.link.lastOpenError());
        // Nothing was heard; the caller must not go on as if a controller had been.
        return ListenResult::NothingUsable;
    }
    const ListenResult result = Listener(session).run();
    session.ui.setWaitCursor(false);
    return result;
}

} // namespace vtl
