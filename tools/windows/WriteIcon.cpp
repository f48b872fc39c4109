// Writes the program's icon file for the Windows build's resources: IconPicture at the sizes
// Windows shows, each as a 32-bit image with its alpha. Built and run on the build machine.
//   tabrix-write-icon OUT.ico
#include "app/win32/IconPicture.h"
#include "audio/ByteOrder.h"

#include <array>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

constexpr std::array<int, 7> sizes{16, 20, 24, 32, 48, 64, 256};
constexpr std::size_t fileHeaderBytes = 6;
constexpr std::size_t entryBytes = 16;
constexpr std::size_t bitmapHeaderBytes = 40;

// One image of the file: a bitmap header, the colour rows bottom-up as B, G, R, A, then the
// 1-bit mask rows (all clear: the alpha decides).
std::vector<std::uint8_t> imageBytes(int sizePixels)
{
    const auto side = static_cast<std::uint32_t>(sizePixels);
    const std::uint32_t maskRowBytes = (side + 31) / 32 * 4;
    std::vector<std::uint8_t> image(bitmapHeaderBytes + side * side * 4 + maskRowBytes * side);
    std::uint8_t* header = image.data();
    tabrix::storeU32le(header, bitmapHeaderBytes);
    tabrix::storeU32le(header + 4, side);
    tabrix::storeU32le(header + 8, side * 2); // colour and mask, stacked
    tabrix::storeU16le(header + 12, 1);
    tabrix::storeU16le(header + 14, 32);
    tabrix::storeU32le(header + 20, side * side * 4);
    const std::vector<std::uint32_t> pixels = tabrix::win32::IconPicture::render(sizePixels);
    std::uint8_t* rows = image.data() + bitmapHeaderBytes;
    for (std::uint32_t y = 0; y < side; ++y)
        for (std::uint32_t x = 0; x < side; ++x) {
            const std::uint32_t argb = pixels[(side - 1 - y) * side + x];
            tabrix::storeU32le(rows + (y * side + x) * 4, argb); // B, G, R, A in memory order
        }
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: tabrix-write-icon OUT.ico\n");
        return 2;
    }
    std::vector<std::vector<std::uint8_t>> images;
    for (int sizePixels : sizes)
        images.push_back(imageBytes(sizePixels));
    std::vector<std::uint8_t> file(fileHeaderBytes + entryBytes * sizes.size());
    tabrix::storeU16le(&file[2], 1); // an icon, not a cursor
    tabrix::storeU16le(&file[4], static_cast<std::uint16_t>(sizes.size()));
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        std::uint8_t* entry = &file[fileHeaderBytes + entryBytes * i];
        entry[0] = entry[1] = static_cast<std::uint8_t>(sizes[i] % 256); // 0 means 256
        tabrix::storeU16le(entry + 4, 1);
        tabrix::storeU16le(entry + 6, 32);
        tabrix::storeU32le(entry + 8, static_cast<std::uint32_t>(images[i].size()));
        tabrix::storeU32le(entry + 12, static_cast<std::uint32_t>(file.size()));
        file.insert(file.end(), images[i].begin(), images[i].end());
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    return out.good() ? 0 : 1;
}
