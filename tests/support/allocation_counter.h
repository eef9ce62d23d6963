// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Counts heap allocations so that tests and benchmarks can show a code path allocates nothing.
// Linking this file's object (by calling any function below) replaces the program's allocator entry
// points with counting ones that forward to the C library: malloc, calloc and realloc in normal
// builds (which also catches operator new and Qt's containers), and operator new in sanitizer
// builds, where the sanitizer owns malloc.
#include <cstdint>

// Allocations made by the calling thread, and by all threads, since the program started.
uint64_t ThreadAllocations();
uint64_t ProcessAllocations();
// True when C-level allocations (malloc and friends) are counted too, not only operator new.
bool CountsMalloc();
