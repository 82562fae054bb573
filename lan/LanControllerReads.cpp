#include "lan/LanControllerReads.h"

#include "lan/LanControllerOperations.h"

namespace vtl {

bool readLanControllerSettings(Session& session) {
    LanControllerOperations operations(session);
    LanControllerView view;
    return operations.load(view);
}

} // namespace vtl
