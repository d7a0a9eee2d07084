// What the benchmarks share: clocks, the memory read-out, medians, waiting for the device and
// timing turns.
#pragma once

#include <vector>

#include <windows.h>
#include <d3d9.h>

#include "app/ComPtr.h"

double nowMs();

// Wall-clock time since the process was created, as Windows (or Wine) recorded it.
double msSinceProcessStart();

// PROCESS_MEMORY_COUNTERS_EX.PrivateUsage, the private committed bytes. Under Wine it is read
// from Linux's resident anonymous memory plus swap.
SIZE_T privateBytes();

double median(std::vector<double> values);

// Direct3D under Wine queues work for a worker thread; waiting on an event query makes a
// measured step include what it queued, such as the drawing behind a Present.
void waitForDevice(IDirect3DDevice9* device);

// Dispatches whatever is queued for this thread, so the window stays responsive between turns.
void pumpMessages();

// Mean milliseconds of one call of `turn` over `count` calls; messages are taken between calls,
// outside the clock, and the device is drained at the end, inside it.
template <typename Turn>
double meanTurnMs(IDirect3DDevice9* device, int count, Turn turn)
{
    double total = 0;
    for (int i = 0; i < count; ++i) {
        pumpMessages();
        const double start = nowMs();
        turn();
        total += nowMs() - start;
    }
    const double start = nowMs();
    waitForDevice(device);
    total += nowMs() - start;
    return total / count;
}

// One round of the two sides' steps, the viewer's first in even rounds and the bare one's first
// in odd rounds, so that neither side always runs in what the other leaves behind.
template <typename Viewer, typename Bare>
void takeTurns(int round, Viewer viewer, Bare bare)
{
    if (round % 2) {
        bare();
        viewer();
    } else {
        viewer();
        bare();
    }
}
