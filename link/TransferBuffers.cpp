#include "link/TransferBuffers.h"

namespace vtl {

TransferBuffers& TransferBuffers::instance() {
    static TransferBuffers buffers;
    return buffers;
}

} // namespace vtl
