#include "runtime/framework/application_icon.h"

#include <cstdint>
#include <vector>

#include "platform/graphics/gdi.h"

namespace rt {
namespace {

// One pixel of the icon at (x, y) of a size-by-size square, as 0xAARRGGBB:
// a dark frame, a sky above a hill, and a sun.
uint32_t IconPixel(int x, int y, int size) {
    int frame = size / 16 + 1;
    if (x < frame || y < frame || x >= size - frame || y >= size - frame)
        return 0xff303840;
    int sunX = size * 2 / 3, sunY = size / 3, sunR = size / 8 + 1;
    if ((x - sunX) * (x - sunX) + (y - sunY) * (y - sunY) <= sunR * sunR)
        return 0xfff2c230;
    int hill = size * 3 / 5 + (x - size / 3) * (x - size / 3) / size;
    if (y >= hill)
        return 0xff3f8f4a;
    return 0xff6fb0e0;
}

NativeHandle MakeIcon(int size) {
    std::vector<uint32_t> pixels(size_t(size) * size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            pixels[size_t(y) * size + x] = IconPixel(x, y, size);
    std::vector<uint8_t> maskBits(size_t((size + 15) / 16 * 2) * size, 0);
    platform::HBITMAP colour = platform::CreateBitmap(size, size, 1, 32, pixels.data());
    platform::HBITMAP mask = platform::CreateBitmap(size, size, 1, 1, maskBits.data());
    platform::HICON icon = nullptr;
    if (colour && mask)
        icon = platform::CreateIconFromBitmaps(colour, mask);
    if (colour)
        platform::DeleteObject(colour);
    if (mask)
        platform::DeleteObject(mask);
    return reinterpret_cast<NativeHandle>(icon);
}

}  // namespace

bool LoadApplicationIcons(NativeHandle* large, NativeHandle* small) {
    NativeHandle big = MakeIcon(32);
    NativeHandle little = MakeIcon(16);
    if (!big || !little) {
        if (big)
            platform::DestroyIcon(reinterpret_cast<platform::HICON>(big));
        if (little)
            platform::DestroyIcon(reinterpret_cast<platform::HICON>(little));
        return false;
    }
    *large = big;
    *small = little;
    return true;
}

}  // namespace rt
