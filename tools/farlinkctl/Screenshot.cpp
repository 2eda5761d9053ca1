#include "Screenshot.h"

#include <vector>

#include "win/ScopedHandle.h"

namespace farlinkctl {

namespace {

// Device contexts and bitmaps, released in reverse order of creation.
class ScreenDc {
public:
    ScreenDc() : dc_(::GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc_) ::ReleaseDC(nullptr, dc_);
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC Get() const { return dc_; }

private:
    HDC dc_;
};

class MemoryBitmap {
public:
    MemoryBitmap(HDC screen, int width, int height)
        : dc_(::CreateCompatibleDC(screen)), bitmap_(::CreateCompatibleBitmap(screen, width, height)) {
        if (dc_ && bitmap_) old_ = ::SelectObject(dc_, bitmap_);
    }
    ~MemoryBitmap() {
        if (old_) ::SelectObject(dc_, old_);
        if (bitmap_) ::DeleteObject(bitmap_);
        if (dc_) ::DeleteDC(dc_);
    }
    MemoryBitmap(const MemoryBitmap&) = delete;
    MemoryBitmap& operator=(const MemoryBitmap&) = delete;
    bool IsValid() const { return old_ != nullptr; }
    HDC Dc() const { return dc_; }
    HBITMAP Bitmap() const { return bitmap_; }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_ = nullptr;
};

}  // namespace

bool SaveWindowShot(HWND window, const std::wstring& path) {
    RECT rect;
    if (!::GetWindowRect(window, &rect)) return false;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    ScreenDc screen;
    MemoryBitmap memory(screen.Get(), width, height);
    if (!screen.Get() || !memory.IsValid()) return false;
    if (!::BitBlt(memory.Dc(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY))
        return false;

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up, as BMP files store rows
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(static_cast<size_t>(stride) * height);
    if (!::GetDIBits(memory.Dc(), memory.Bitmap(), 0, height, pixels.data(),
                     reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS))
        return false;

    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    win::ScopedHandle out(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) return false;
    DWORD written = 0;
    return ::WriteFile(out.Get(), &file, sizeof file, &written, nullptr) &&
           ::WriteFile(out.Get(), &info, sizeof info, &written, nullptr) &&
           ::WriteFile(out.Get(), pixels.data(), static_cast<DWORD>(pixels.size()), &written,
                       nullptr);
}

}  // namespace farlinkctl
