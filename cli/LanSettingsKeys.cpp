#include "cli/LanSettingsKeys.h"

#include "lan/LanControllerSettings.h"
#include "lan/LanRates.h"
#include "link/ConnectionState.h"
#include "panels/ControllerText.h"
#include "panels/MainPanelOperations.h"

#include <QRegularExpression>

namespace vtl::cli {

namespace {

QString formName(LanForm form) {
    switch (form) {
    case LanForm::Lan:
        return QStringLiteral("lan");
    case LanForm::Brinlet:
        return QStringLiteral("brinlet");
    case LanForm::ModeParity:
        return QStringLiteral("mode-parity");
    }
    return {};
}

// "U", "I" or "O" per card.
QString cardLetters(const LanControllerView& view) {
    QString letters;
    for (const QString& caption : view.cards)
        letters += caption.endsWith(QLatin1String("Unused"))   ? u'U'
                   : caption.endsWith(QLatin1String("Inputs")) ? u'I'
                                                               : u'O';
    return letters;
}

struct RateKey {
    const char* key;
    QString LanControllerView::*text;
    LanRateList list;
};

constexpr RateKey RateKeys[] = {
    {"main-network", &LanControllerView::mainNetwork, LanRateList::Eight},
    {"computer-a", &LanControllerView::computerA, LanRateList::Eight},
    {"computer-b", &LanControllerView::computerB, LanRateList::Eight},
    {"sub-lan-a", &LanControllerView::subLanA, LanRateList::Six},
    {"sub-lan-b", &LanControllerView::subLanB, LanRateList::Six},
    {"bacnet-port", &LanControllerView::bacnet, LanRateList::Nine},
};

const QStringList EveryFormKeys = {"address",      "last-panel", "modem",
                                   "modem-string", "computer-b", "sub-lan-a"};
const QStringList LanFormKeys = {"main-network", "computer-a", "sub-lan-b", "bacnet-port", "cards"};
const QStringList BrinletKeys = {"smtp"};
const QStringList ModeParityKeys = {"mode", "parity"};

// The keys of the controls each form shows.
bool shownIn(const QString& key, LanForm form) {
    if (EveryFormKeys.contains(key)) return true;
    switch (form) {
    case LanForm::Lan:
        return LanFormKeys.contains(key);
    case LanForm::Brinlet:
        return BrinletKeys.contains(key);
    case LanForm::ModeParity:
        return BrinletKeys.contains(key) || ModeParityKeys.contains(key);
    }
    return false;
}

const RateKey* rateKey(const QString& key) {
    for (const RateKey& r : RateKeys)
        if (key == QLatin1String(r.key)) return &r;
    return nullptr;
}

} // namespace

SettingLines lanSettingLines(const ConnectionState& state, const LanControllerView& v) {
    SettingLines lines{
        Setting::words("controller", state.IsBrinlet ? QStringLiteral("Brinlet controller")
                                                     : QStringLiteral("LAN controller")),
        Setting::number("type-code", QString::number(state.PanelTypeCode)),
        Setting::words("firmware", MainPanelOperations::firmwareLine(state.PanelTypeCode)
                                       .section(QLatin1Char(':'), 1)
                                       .trimmed()),
        Setting::words("form", formName(v.form)),
    };
    // In the Mode/Parity form two of the rate buttons show the mode and the parity instead.
    const SettingLines controls = {
        Setting::number("address", v.addressText),
        Setting::flag("last-panel", v.lastPanel),
        Setting::flag("modem", v.modem),
        Setting::words("modem-string", v.modemString),
        Setting::number("main-network", v.mainNetwork),
        Setting::number("computer-a", v.computerA),
        Setting::number("computer-b", v.computerB),
        Setting::number("sub-lan-a", v.subLanA),
        Setting::number("sub-lan-b", v.subLanB),
        Setting::number("bacnet-port", v.bacnet),
        Setting::words("cards", cardLetters(v)),
        Setting::words("smtp", v.smtpText),
        Setting::words("mode", v.subLanB),
        Setting::words("parity", v.mainNetwork),
    };
    for (const Setting& control : controls)
        if (shownIn(control.key, v.form)) lines.append(control);
    if (v.status.startsWith(QLatin1String("Result: ")))
        lines.append(Setting::number("result", v.status.mid(8)));
    return lines;
}

QStringList lanSettingKeys() {
    return EveryFormKeys + LanFormKeys + BrinletKeys + ModeParityKeys;
}

QString lanSettingProblem(const QString& key, const QString& value) {
    auto refuse = [&](const QString& expected) {
        return QStringLiteral("%1 takes %2, not %3").arg(key, expected, quotedValue(value));
    };
    if (const RateKey* r = rateKey(key)) {
        // Any rate a button can show: one the controller reports need not be on its cycle.
        if (!lanRateTexts(r->list).contains(value))
            return refuse(lanRateCycle(r->list).join(QStringLiteral(", ")));
    } else if (key == QLatin1String("address")) {
        if (!isDigits(value, 3) || value.toInt() < 1 || value.toInt() > 125)
            return refuse(QStringLiteral("a number from 1 to 125"));
    } else if (key == QLatin1String("last-panel") || key == QLatin1String("modem")) {
        if (!parseYesNo(value)) return refuse(QStringLiteral("yes or no"));
    } else if (key == QLatin1String("modem-string")) {
        if (const QString why = controllerTextProblem(value, int(LanModemStringSize));
            !why.isEmpty())
            return refuse(why);
    } else if (key == QLatin1String("cards")) {
        static const QRegularExpression letters(
            QRegularExpression::anchoredPattern(QStringLiteral("[UIO]{8}")));
        if (!letters.match(value).hasMatch()) return refuse(QStringLiteral("eight of U, I, O"));
    } else if (key == QLatin1String("smtp")) {
        if (!parseIpv4Address(value))
            return refuse(QStringLiteral("an IPv4 address of four numbers from 0 to 255"));
    } else if (key == QLatin1String("mode")) {
        if (value != ModeRzq && value != ModeModbus) return refuse(QStringLiteral("RZQ or Modbus"));
    } else if (key == QLatin1String("parity")) {
        if (!parityTexts().contains(value)) return refuse(parityTexts().join(QStringLiteral(", ")));
    } else {
        return QStringLiteral("unknown key %1").arg(key);
    }
    return {};
}

QString setLanSetting(LanControllerView& v, const QString& key, const QString& value) {
    if (QString why = lanSettingProblem(key, value); !why.isEmpty()) return why;
    if (!shownIn(key, v.form))
        return QStringLiteral("this controller's window has no %1 control").arg(key);
    if (const RateKey* r = rateKey(key)) {
        // What the button can be clicked to, or left at.
        QStringList allowed = lanRateCycle(r->list);
        if (!allowed.contains(v.*r->text) && v.*r->text != UnknownRateText) allowed << v.*r->text;
        if (!allowed.contains(value))
            return QStringLiteral("%1 takes %2, not %3")
                .arg(key, allowed.join(QStringLiteral(", ")), quotedValue(value));
        v.*r->text = value;
    } else if (key == QLatin1String("address")) {
        v.addressText = value;
    } else if (key == QLatin1String("last-panel") || key == QLatin1String("modem")) {
        (key == QLatin1String("modem") ? v.modem : v.lastPanel) = *parseYesNo(value);
    } else if (key == QLatin1String("modem-string")) {
        v.modemString = value;
    } else if (key == QLatin1String("cards")) {
        static const QHash<QChar, QString> kinds = {{u'U', QStringLiteral("Unused")},
                                                    {u'I', QStringLiteral("Inputs")},
                                                    {u'O', QStringLiteral("Outputs")}};
        for (int n = 0; n < LanCardCount; ++n)
            v.cards[std::size_t(n)] = cardCaption(n + 1, kinds.value(value[n]));
    } else if (key == QLatin1String("smtp")) {
        v.smtpText = value;
    } else if (key == QLatin1String("mode")) {
        v.subLanB = value;
    } else if (key == QLatin1String("parity")) {
        v.mainNetwork = value;
    }
    return {};
}

} // namespace vtl::cli
