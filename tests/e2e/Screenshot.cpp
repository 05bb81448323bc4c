#include "Screenshot.h"

namespace e2e {

namespace {

// Owns a device context and bitmap of the screen's format, and releases both.
class ScreenCopy {
public:
    ScreenCopy(int width, int height)
        : m_screen(GetDC(nullptr)), m_memory(CreateCompatibleDC(m_screen)),
          m_bitmap(CreateCompatibleBitmap(m_screen, width, height)), m_old(SelectObject(m_memory, m_bitmap))
    {
    }
    ~ScreenCopy()
    {
        SelectObject(m_memory, m_old);
        DeleteObject(m_bitmap);
        DeleteDC(m_memory);
        ReleaseDC(nullptr, m_screen);
    }
    ScreenCopy(const ScreenCopy&) = delete;
    ScreenCopy& operator=(const ScreenCopy&) = delete;

    HDC Screen() const { return m_screen; }
    HDC Memory() const { return m_memory; }
    HBITMAP Bitmap() const { return m_bitmap; }

private:
    HDC m_screen;
    HDC m_memory;
    HBITMAP m_bitmap;
    HGDIOBJ m_old;
};

} // namespace

std::string CaptureScreenArea(const RECT& area)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return std::string();

    ScreenCopy copy(width, height);
    if (!BitBlt(copy.Memory(), 0, 0, width, height, copy.Screen(), area.left, area.top, SRCCOPY))
        return std::string();

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) & ~3;
    std::string pixels((size_t)stride * height, '\0');
    if (!GetDIBits(copy.Memory(), copy.Bitmap(), 0, height, &pixels[0], (BITMAPINFO*)&info, DIB_RGB_COLORS))
        return std::string();

    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42; // "BM"
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + (DWORD)pixels.size();
    std::string file((const char*)&header, sizeof header);
    file.append((const char*)&info, sizeof info);
    file += pixels;
    return file;
}

} // namespace e2e
