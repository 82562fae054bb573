#pragma once

#include <csignal>
#include <cstdint>

namespace vtl::sim {

class SimulatedController;

// Set by SIGINT/SIGTERM; the host loops return when they see it.
extern volatile std::sig_atomic_t stopRequested;

// SIGINT and SIGTERM set stopRequested; a client gone away (SIGPIPE) does not end the program.
void stopOnSignals();

// The rate the program set on its side of a pseudo-terminal, read from the master side (0 when it
// is none of the controllers' rates).
int slaveRate(int masterFd);

// Hosts the controller on a new raw pseudo-terminal; prints "port: /dev/pts/N" first.
// Returns false when the pseudo-terminal cannot be made.
bool hostOnPty(SimulatedController& controller);
// Hosts the controller on 127.0.0.1:port (0 picks a free port), one client at a time; prints
// "port: tcp://127.0.0.1:PORT" first.
bool hostOnTcp(SimulatedController& controller, std::uint16_t port);

} // namespace vtl::sim
