#pragma once
// Saves what a window shows on screen as a 24-bit BMP file.
#include <windows.h>

#include <string>

namespace farlinkdrive {

// Copies the window's screen rectangle, so a window of another process is
// taken as drawn, title bar included. False when nothing could be written.
bool SaveWindowShot(HWND window, const std::wstring& path);

}  // namespace farlinkdrive
