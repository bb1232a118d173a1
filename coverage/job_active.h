#pragma once
// The one process-wide flag shared by the dialog thread and the worker: 1 lets a
// measurement go on, 0 asks it to write nothing more and to end. Only the
// dialog thread writes it; the worker side reads it before every write and
// every character tested. Atomic, because a plain int shared by two threads is a
// data race in C++.
#include <atomic>
#include <cstdint>

extern std::atomic<int32_t> JobActive;
