// The device context of one WM_PAINT: BeginPaint on construction, EndPaint on destruction.
#pragma once

#include <windows.h>

class CPaintDC {
  public:
    explicit CPaintDC(HWND window) : window(window) { dc = BeginPaint(window, &paint); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    ~CPaintDC() { EndPaint(window, &paint); }

    HDC GetSafeHdc() const { return dc; }

  private:
    HWND window;
    PAINTSTRUCT paint{};
    HDC dc;
};
