// Writes a 3 x 2 24-bit bitmap file with known pixels, for the picture
// control's resources: row y, column x is red 10x + 1, green 20y + 2, blue 3.
#include <cstdint>
#include <fstream>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    const int width = 3, height = 2, stride = 12;
    std::vector<std::uint8_t> file(54 + stride * height, 0);
    const auto put = [&file](std::size_t at, std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i)
            file[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put(2, static_cast<std::uint32_t>(file.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, width, 4);
    put(22, height, 4); // bottom-up
    put(26, 1, 2);
    put(28, 24, 2);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* pixel = &file[54 + (height - 1 - y) * stride + x * 3];
            pixel[0] = 3;
            pixel[1] = static_cast<std::uint8_t>(20 * y + 2);
            pixel[2] = static_cast<std::uint8_t>(10 * x + 1);
        }
    std::ofstream(argv[1], std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
    return 0;
}
