#include "lan/LanControllerView.h"

#include <QStringList>

namespace vtl {

QString cardCaption(int card, const QString& kind) {
    return QStringLiteral("#%1 %2").arg(card).arg(kind);
}

QString cardKind(const QString& caption) {
    return caption.section(QLatin1Char(' '), 1);
}

QString nextCardCaption(int card, const QString& caption) {
    static const QStringList cycle = {QStringLiteral("Unused"), QStringLiteral("Inputs"),
                                      QStringLiteral("Outputs")};
    const auto i =
        caption == cardCaption(card, cardKind(caption)) ? cycle.indexOf(cardKind(caption)) : -1;
    return cardCaption(card, i < 0 ? cycle.first() : cycle[(i + 1) % cycle.size()]);
}

QString nextMode(const QString& text) {
    return text == ModeRzq ? ModeModbus : ModeRzq;
}

QStringList parityTexts() {
    return {QStringLiteral("E-8-1"), QStringLiteral("O-8-1"), QStringLiteral("N-8-1")};
}

QString nextParity(const QString& text) {
    const QStringList cycle = parityTexts();
    const auto i = cycle.indexOf(text);
    return i < 0 ? cycle.first() : cycle[(i + 1) % cycle.size()];
}

} // namespace vtl
