#pragma once

#include <QLatin1String>
#include <QString>

#include <array>

// The pages of the user manual (docs/manual) that the windows open with F1 and their Help button.
namespace vtl::help {

inline constexpr QLatin1String Connecting{"connecting.html"};
inline constexpr QLatin1String MainPanel{"main-panel.html"};
inline constexpr QLatin1String SubPanel{"sub-panel.html"};
inline constexpr QLatin1String ModbusSetup{"modbus-setup.html"};
inline constexpr QLatin1String LanController{"lan-controller.html"};
inline constexpr QLatin1String Bacnet{"bacnet.html"};
inline constexpr QLatin1String RoutingTable{"routing-table.html"};

// Every page a window can open: the manual must hold each of them.
inline constexpr QLatin1String Contents{"index.html"};

inline constexpr std::array WindowPages{Connecting,    MainPanel, SubPanel,    ModbusSetup,
                                        LanController, Bacnet,    RoutingTable};

// The folder of the HTML manual as installed relative to the program's folder; a build tree links
// the same place to the manual of the source tree.
QString manualFolder(const QString& programDir);

} // namespace vtl::help
