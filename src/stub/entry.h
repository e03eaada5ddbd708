// The program entry: start and end lines, package info, role dispatch.
#pragma once

#include <cstdint>

// Runs the whole program after the trace device has started; returns the
// process exit code.
uint32_t RunEntry();
