// Counts the heap allocations of the test program, so a test can show that a hot path makes none.
#pragma once

namespace zarvo::testing {

// Allocations made by the whole program so far.
long AllocationCount();

}  // namespace zarvo::testing
