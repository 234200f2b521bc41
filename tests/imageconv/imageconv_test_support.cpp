#include "imageconv_test_support.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>

namespace imageconv_test {

namespace {

std::string Quote(const std::string& s) {
    return "'" + s + "'";
}

std::vector<std::string> ListDir(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..")
                names.push_back(n);
        }
        closedir(d);
    }
    return names;
}

void RemoveTree(const std::string& path) {
    std::string command = "rm -rf " + Quote(path);
    if (std::system(command.c_str()) != 0)
        ADD_FAILURE() << "could not remove " << path;
}

}  // namespace

void ImageconvTest::SetUp() {
    char pattern[] = "/tmp/imageconv-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    temp_ = root_ + "/tmp";
    work_ = root_ + "/work";
    ASSERT_EQ(mkdir(temp_.c_str(), 0700), 0);
    ASSERT_EQ(mkdir(work_.c_str(), 0700), 0);
    if (const char* old = std::getenv("TMPDIR")) {
        hadTmpdir_ = true;
        savedTmpdir_ = old;
    }
    setenv("TMPDIR", temp_.c_str(), 1);
}

void ImageconvTest::TearDown() {
    EXPECT_TRUE(TempEntries().empty()) << "temporary files were left behind";
    if (hadTmpdir_) {
        setenv("TMPDIR", savedTmpdir_.c_str(), 1);
    } else {
        unsetenv("TMPDIR");
    }
    RemoveTree(root_);
}

std::vector<std::string> ImageconvTest::WorkEntries() const {
    return ListDir(work_);
}

std::vector<std::string> ImageconvTest::TempEntries() const {
    return ListDir(temp_);
}

bool Magick(const std::string& args) {
    std::string command = "convert " + args + " 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

std::string MagickIdentify(const std::string& format, const std::string& path) {
    std::string command = "identify -format " + Quote(format) + " " + Quote(path) + " 2>/dev/null";
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, p))
            out += buffer;
        pclose(p);
    }
    return out;
}

std::vector<uint8_t> MagickRgb(const std::string& path, int* width, int* height) {
    std::string size = MagickIdentify("%w %h", path);
    int w = 0, h = 0;
    std::sscanf(size.c_str(), "%d %d", &w, &h);
    if (width)
        *width = w;
    if (height)
        *height = h;
    std::string raw = path + ".reference.rgb";
    if (!Magick(Quote(path) + " -alpha off -depth 8 rgb:" + Quote(raw)))
        return {};
    std::vector<uint8_t> bytes = ReadAll(raw);
    unlink(raw.c_str());
    return bytes;
}

std::vector<uint8_t> ImageRgb(const imageconv::RasterImage& image) {
    imageconv::RasterImage rgb;
    if (!image.ConvertTo(rgb, 24, 0))
        return {};
    return std::vector<uint8_t>(rgb.pixels(), rgb.pixels() + rgb.pixelDataSize());
}

double Psnr(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size() || a.empty())
        return 0;
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        double d = double(a[i]) - double(b[i]);
        sum += d * d;
    }
    if (sum == 0)
        return std::numeric_limits<double>::infinity();
    return 10 * std::log10(255.0 * 255.0 / (sum / double(a.size())));
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

}  // namespace imageconv_test
