// The console capture under the name the suites of other folders include it by.
#pragma once

#include "ConsoleCapture.h"

namespace kivtest {
using StderrCapture = ConsoleCapture;
} // namespace kivtest
