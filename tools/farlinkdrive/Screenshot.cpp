#include "Screenshot.h"

#include <vector>

#include "win/ScopedHandle.h"
#include "win/UniqueResource.h"

namespace farlinkdrive {

namespace {

struct ScreenDcTraits {
    using Type = HDC;
    static HDC InvalidValue() { return nullptr; }
    static void Free(HDC dc) { ::ReleaseDC(nullptr, dc); }
};

struct MemoryDcTraits {
    using Type = HDC;
    static HDC InvalidValue() { return nullptr; }
    static void Free(HDC dc) { ::DeleteDC(dc); }
};

struct BitmapTraits {
    using Type = HBITMAP;
    static HBITMAP InvalidValue() { return nullptr; }
    static void Free(HBITMAP bitmap) { ::DeleteObject(bitmap); }
};

// Owns a selection: puts the object it replaced back into the DC, so the
// bitmap is free to be deleted.
struct SelectionTraits {
    using Type = HGDIOBJ;
    static HGDIOBJ InvalidValue() { return nullptr; }
    void Free(HGDIOBJ previous) { ::SelectObject(dc, previous); }
    HDC dc;
};

}  // namespace

bool SaveWindowShot(HWND window, const std::wstring& path) {
    RECT rect;
    if (!::GetWindowRect(window, &rect)) return false;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    // Released in reverse order of creation.
    win::UniqueResource<ScreenDcTraits> screen(::GetDC(nullptr));
    win::UniqueResource<MemoryDcTraits> memory(::CreateCompatibleDC(screen.Get()));
    win::UniqueResource<BitmapTraits> bitmap(
        ::CreateCompatibleBitmap(screen.Get(), width, height));
    if (!screen || !memory || !bitmap) return false;
    win::UniqueResource<SelectionTraits> selection(::SelectObject(memory.Get(), bitmap.Get()),
                                                   SelectionTraits{memory.Get()});
    if (!selection) return false;
    if (!::BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), rect.left, rect.top, SRCCOPY))
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
    if (!::GetDIBits(memory.Get(), bitmap.Get(), 0, height, pixels.data(),
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

}  // namespace farlinkdrive
