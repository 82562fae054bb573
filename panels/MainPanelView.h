#pragma once

#include "panels/MainPanelSettings.h"

#include <QString>

#include <array>

namespace vtl {

// The texts and selections of the main panel window's controls; the window's only state.
struct MainPanelView {
    QString firmwareLine;
    QString addressText;
    bool lastPanel = false;
    int inCards = -1; // position in the list, -1 = no selection
    int outCards = -1;
    std::array<QString, MainPortCount> baudTexts{QStringLiteral("19200"), QStringLiteral("19200"),
                                                 QStringLiteral("19200"), QStringLiteral("19200"),
                                                 QStringLiteral("19200")};
    QString portDRole = QStringLiteral("Sub B");
    QString portERole = QStringLiteral("Main");

    bool operator==(const MainPanelView&) const = default;
};

} // namespace vtl
