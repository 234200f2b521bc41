#include "reference_files.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace platform::imaging::testing {

bool HaveImageMagick() {
    return std::system("convert -version > /dev/null 2>&1") == 0;
}

std::filesystem::path ScratchFolder() {
    static int serial = 0;
    auto base =
        std::filesystem::temp_directory_path() / ("picbatch-imaging-" + std::to_string(getpid()));
    std::filesystem::remove_all(base);
    auto folder = base / std::to_string(++serial);
    std::filesystem::create_directories(folder);
    return folder;
}

bool Convert(const std::string& arguments) {
    return std::system(("convert " + arguments + " 2>/dev/null").c_str()) == 0;
}

std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<uint8_t> MagickRgba(const std::filesystem::path& path) {
    auto raw = path;
    raw += ".rgba";
    if (!Convert("'" + path.string() + "[0]' -depth 8 RGBA:'" + raw.string() + "'"))
        return {};
    return ReadFile(raw);
}

bool HavePillow() {
    return std::system("/usr/bin/python3 -c 'import PIL' > /dev/null 2>&1") == 0;
}

std::vector<uint8_t> PillowPixels(const std::filesystem::path& path, const std::string& mode) {
    auto raw = path;
    raw += "." + mode;
    const std::string command =
        "/usr/bin/python3 -c 'import sys; from PIL import Image; "
        "open(sys.argv[2], \"wb\").write(Image.open(sys.argv[1]).convert(sys.argv[3]).tobytes())' "
        "'" +
        path.string() + "' '" + raw.string() + "' " + mode;
    if (std::system(command.c_str()) != 0)
        return {};
    return ReadFile(raw);
}

std::vector<uint8_t> Rgba(const Image& image) {
    std::vector<uint8_t> out;
    out.reserve(size_t(image.width()) * image.height() * 4);
    for (uint32_t y = 0; y < image.height(); ++y) {
        const uint8_t* p = image.row(y);
        for (uint32_t x = 0; x < image.width(); ++x, p += image.bytesPerPixel()) {
            out.insert(out.end(), {p[2], p[1], p[0], image.hasAlpha() ? p[3] : uint8_t(255)});
        }
    }
    return out;
}

size_t MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size())
        return SIZE_MAX;
    size_t worst = 0;
    for (size_t i = 0; i < a.size(); ++i)
        worst = std::max<size_t>(worst, size_t(std::abs(a[i] - b[i])));
    return worst;
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i)
        sum += double(a[i] - b[i]) * (a[i] - b[i]);
    if (sum == 0)
        return 99;
    return 10 * std::log10(255.0 * 255.0 / (sum / double(a.size())));
}

}  // namespace platform::imaging::testing
