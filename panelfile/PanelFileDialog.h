#pragma once

namespace vtl::PanelFileDialog {

// How the configuration windows ask for a panel file, to save a backup or to open for a restore.
inline constexpr char Filter[] = "RZQ Panel Files (*.PNL)";
inline constexpr char Pattern[] = "*.PNL";
inline constexpr char DefaultSuffix[] = "PNL";
inline constexpr int MaxPathLength = 256;

} // namespace vtl::PanelFileDialog
