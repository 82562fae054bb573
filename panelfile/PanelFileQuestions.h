#pragma once

#include "link/Question.h"

namespace vtl::PanelFileQuestions {

// Sub panel backup: No makes a file that may be restored at any address.
inline constexpr Question MakeAddressSpecific{"Make Panel File Address Specific?", "VTL",
                                              MessageButtons::YesNo, MessageIcon::Question};
// Main panel and LAN restores, before the first record.
inline constexpr Question ClearFirst{"Clear Controller Before Sending Panel File?", "Confirmation",
                                     MessageButtons::YesNo, MessageIcon::Question};
// Main panel and LAN restores, at the file's Ethernet record.
inline constexpr Question SendEthernet{"Send Ethernet Configuration?", "VTL", MessageButtons::YesNo,
                                       MessageIcon::Question};
// LAN restore of a main panel file.
inline constexpr Question SendMainFileAnyway{
    "Panel File Is For RZQ-310.\nWould You Like To Send Anyway?", "VTL", MessageButtons::YesNo,
    MessageIcon::Question};

} // namespace vtl::PanelFileQuestions
