#include "cli/LanSettingsKeys.h"

#include "lan/LanRates.h"
#include "link/ConnectionState.h"
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

// The keys of the controls each form shows.
bool shownIn(const QString& key, LanForm form) {
    static const QStringList everyForm = {"address",      "last-panel", "modem",
                                          "modem-string", "computer-b", "sub-lan-a"};
    static const QStringList lanOnly = {"main-network", "computer-a", "sub-lan-b", "bacnet-port",
                                        "cards"};
    if (everyForm.contains(key)) return true;
    switch (form) {
    case LanForm::Lan:
        return lanOnly.contains(key);
    case LanForm::Brinlet:
        return key == QLatin1String("smtp");
    case LanForm::ModeParity:
        return key == QLatin1String("smtp") || key == QLatin1String("mode") ||
               key == QLatin1String("parity");
    }
    return false;
}

bool isIpv4(const QString& value) {
    static const QRegularExpression dotted(
        QStringLiteral("^(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})\\.(\\d{1,3})$"));
    const auto match = dotted.match(value);
    if (!match.hasMatch()) return false;
    for (int i = 1; i <= 4; ++i)
        if (match.captured(i).toInt() > 255) return false;
    return true;
}

} // namespace

SettingLines lanSettingLines(const ConnectionState& state, const LanControllerView& v) {
    const bool modeParity = v.form == LanForm::ModeParity;
    SettingLines lines{
        {"controller",
         state.IsBrinlet ? QStringLiteral("Brinlet controller") : QStringLiteral("LAN controller")},
        {"type-code", QString::number(state.PanelTypeCode)},
        {"firmware", MainPanelOperations::firmwareLine(state.PanelTypeCode)
                         .section(QLatin1Char(':'), 1)
                         .trimmed()},
        {"form", formName(v.form)},
        {"address", v.addressText},
        {"last-panel", yesNo(v.lastPanel)},
        {"modem", yesNo(v.modem)},
        {"modem-string", v.modemString},
    };
    // In the Mode/Parity form two of the rate buttons show the mode and the parity instead.
    if (!modeParity) lines.append({"main-network", v.mainNetwork});
    lines.append({"computer-a", v.computerA});
    lines.append({"computer-b", v.computerB});
    lines.append({"sub-lan-a", v.subLanA});
    if (!modeParity) lines.append({"sub-lan-b", v.subLanB});
    lines.append({"bacnet-port", v.bacnet});
    lines.append({"cards", cardLetters(v)});
    lines.append({"smtp", v.smtpText});
    if (modeParity) {
        lines.append({"mode", v.subLanB});
        lines.append({"parity", v.mainNetwork});
    }
    if (v.status.startsWith(QLatin1String("Result: "))) lines.append({"result", v.status.mid(8)});
    return lines;
}

QString setLanSetting(LanControllerView& v, const QString& key, const QString& value) {
    if (!shownIn(key, v.form)) {
        const bool known = key == QLatin1String("smtp") || key == QLatin1String("mode") ||
                           key == QLatin1String("parity");
        bool rate = false;
        for (const RateKey& r : RateKeys)
            rate = rate || key == QLatin1String(r.key);
        return known || rate || key == QLatin1String("cards")
                   ? QStringLiteral("this controller's window has no %1 control").arg(key)
                   : QStringLiteral("unknown key %1").arg(key);
    }
    auto refuse = [&](const QString& expected) {
        return QStringLiteral("%1 takes %2, not \"%3\"").arg(key, expected, value);
    };
    for (const RateKey& r : RateKeys) {
        if (key != QLatin1String(r.key)) continue;
        // What the button can be clicked to, or left at.
        QStringList allowed = lanRateCycle(r.list);
        if (!allowed.contains(v.*r.text)) allowed << v.*r.text;
        if (!allowed.contains(value)) return refuse(allowed.join(QStringLiteral(", ")));
        v.*r.text = value;
        return {};
    }
    if (key == QLatin1String("address")) {
        if (!isDigits(value, 3)) return refuse(QStringLiteral("a number"));
        v.addressText = value;
    } else if (key == QLatin1String("last-panel") || key == QLatin1String("modem")) {
        const auto on = parseYesNo(value);
        if (!on) return refuse(QStringLiteral("yes or no"));
        (key == QLatin1String("modem") ? v.modem : v.lastPanel) = *on;
    } else if (key == QLatin1String("modem-string")) {
        if (value.size() > 32 || value.toLatin1() != value.toUtf8())
            return refuse(QStringLiteral("up to 32 plain characters"));
        v.modemString = value;
    } else if (key == QLatin1String("cards")) {
        static const QRegularExpression letters(QStringLiteral("^[UIO]{8}$"));
        if (!letters.match(value).hasMatch()) return refuse(QStringLiteral("eight of U, I, O"));
        static const QHash<QChar, QString> kinds = {{u'U', QStringLiteral("Unused")},
                                                    {u'I', QStringLiteral("Inputs")},
                                                    {u'O', QStringLiteral("Outputs")}};
        for (int n = 0; n < LanCardCount; ++n)
            v.cards[std::size_t(n)] = cardCaption(n + 1, kinds.value(value[n]));
    } else if (key == QLatin1String("smtp")) {
        if (!isIpv4(value)) return refuse(QStringLiteral("an IPv4 address"));
        v.smtpText = value;
    } else if (key == QLatin1String("mode")) {
        if (value != ModeRzq && value != ModeModbus) return refuse(QStringLiteral("RZQ or Modbus"));
        v.subLanB = value;
    } else if (key == QLatin1String("parity")) {
        if (!parityTexts().contains(value)) return refuse(parityTexts().join(QStringLiteral(", ")));
        v.mainNetwork = value;
    }
    return {};
}

} // namespace vtl::cli
