#ifndef MORVA_TESTS_TESTUNIT_H
#define MORVA_TESTS_TESTUNIT_H

// The simulated unit that the bus and reader tests talk to. Natively it
// lives in the test process behind a pseudo-terminal; a Windows test
// program (run under Wine) drives a simulator program on the build machine
// through its control channel instead, with the same methods.

#ifdef _WIN32
#include "tools/unitsim/remoteunit.h"
namespace morva_test {
using TestUnit = morva_sim::RemoteUnit;
}
#else
#include "tools/unitsim/simulatedunit.h"
namespace morva_test {
using TestUnit = morva_sim::SimulatedUnit;
}
#endif

#endif
