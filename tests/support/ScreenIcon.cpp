#include "ScreenIcon.h"
#include "WindowDriver.h"

#include <chrono>
#include <thread>
#include <vector>

namespace {

using Pixels = std::vector<COLORREF>;

Pixels Capture(HDC source, int x, int y, int width, int height) {
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateCompatibleBitmap(source, width, height);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    Pixels pixels;
    pixels.reserve(static_cast<std::size_t>(width) * height);
    for (int row = 0; row < height; ++row)
        for (int column = 0; column < width; ++column)
            pixels.push_back(GetPixel(memory, column, row));
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return pixels;
}

Pixels Render(HICON icon, int size, COLORREF background) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size, size);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all = {0, 0, size, size};
    FillRect(memory, &all, brush);
    DrawIconEx(memory, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    Pixels pixels = Capture(memory, 0, 0, size, size);
    SelectObject(memory, previous);
    DeleteObject(brush);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool MatchesAt(const Pixels& screen, int width, int x, int y, const Pixels& icon,
               const std::vector<bool>& opaque, int size) {
    for (int row = 0; row < size; ++row)
        for (int column = 0; column < size; ++column) {
            const std::size_t i = static_cast<std::size_t>(row) * size + column;
            const std::size_t at = static_cast<std::size_t>(y + row) * width + x + column;
            if (opaque[i] && screen[at] != icon[i])
                return false;
        }
    return true;
}

} // namespace

bool ScreenIcon::Shows(const RECT& screenArea, HICON icon, int size) {
    const int width = screenArea.right - screenArea.left;
    const int height = screenArea.bottom - screenArea.top;
    if (!icon || width < size || height < size)
        return false;
    const Pixels onBlack = Render(icon, size, RGB(0, 0, 0));
    const Pixels onWhite = Render(icon, size, RGB(255, 255, 255));
    std::vector<bool> opaque(onBlack.size());
    std::size_t opaqueCount = 0;
    for (std::size_t i = 0; i < onBlack.size(); ++i) {
        opaque[i] = onBlack[i] == onWhite[i];
        opaqueCount += opaque[i];
    }
    // An icon that is almost all transparent would match anything.
    if (opaqueCount < onBlack.size() / 4)
        return false;
    HDC screenDc = GetDC(nullptr);
    const Pixels screen = Capture(screenDc, screenArea.left, screenArea.top, width, height);
    ReleaseDC(nullptr, screenDc);
    for (int y = 0; y + size <= height; ++y)
        for (int x = 0; x + size <= width; ++x)
            if (MatchesAt(screen, width, x, y, onBlack, opaque, size))
                return true;
    return false;
}

bool ScreenIcon::ShowsSoon(const RECT& screenArea, HICON icon, int size) {
    const auto deadline = std::chrono::steady_clock::now() + WindowDriver::kDefaultTimeout;
    do {
        if (Shows(screenArea, icon, size))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}
