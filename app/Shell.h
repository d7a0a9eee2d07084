// The process entry's work, the main window procedure and the shut-down.
#pragma once

#include <windows.h>

constexpr char kWindowClassName[] = "Pelgrav_engin";
constexpr char kWindowTitle[] = "Pelgrav D3D ablaka!!";

// Runs the viewer from start-up to shut-down; the process exit code, always 0.
int RunViewer();

// The start-up steps of the run: the window class, the main window, then graphics and input
// with the window shown; false, after its message box, when graphics or input failed.
void RegisterWindowClass(HINSTANCE module);
HWND CreateMainWindow(HINSTANCE module);
bool StartUp(HINSTANCE module, HWND window);

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Releases the device, Direct3D and DirectInput with its two devices, in that order.
void ReleaseInterfaces();

// Lets go of the engine's font and models, then releases the interfaces.
void ReleaseEverything();
