// The process entry's work, the main window procedure and the shut-down.
#pragma once

#include <windows.h>

constexpr char kWindowClassName[] = "Pelgrav_engin";
constexpr char kWindowTitle[] = "Pelgrav D3D ablaka!!";

// Runs the viewer from start-up to shut-down; the process exit code, always 0.
int RunViewer();

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Releases the device, Direct3D and DirectInput with its two devices, in that order.
void ReleaseInterfaces();

// Lets go of the engine's font and models, then releases the interfaces.
void ReleaseEverything();
