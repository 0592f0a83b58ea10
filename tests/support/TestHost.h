#pragma once

#include "testkit/FakeHost.h"

// The host side of the library's own extension tests: the test kit's fake host,
// the same one plug-in authors test with.
using CTestHost = NTarsel::NTestKit::CFakeHost;
