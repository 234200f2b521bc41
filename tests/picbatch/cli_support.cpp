#include "cli_support.h"

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace picbatch_test {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

Outcome RunPicbatch(const std::vector<std::string>& args) {
    std::string base = testing::TempDir() + "picbatch_run_" + std::to_string(::getpid());
    std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY PICBATCH_HEADLESS=1 " + Quote(PICBATCH_PROGRAM);
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    command += " >" + Quote(base + ".out") + " 2>" + Quote(base + ".err") + " </dev/null";
    Outcome run;
    int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadText(base + ".out");
    run.err = ReadText(base + ".err");
    std::remove((base + ".out").c_str());
    std::remove((base + ".err").c_str());
    return run;
}

bool Magick(const std::string& args) {
    return std::system(("convert " + args + " >/dev/null 2>&1").c_str()) == 0;
}

std::vector<uint8_t> MagickRgb(const std::string& path, int* width, int* height) {
    std::string raw = testing::TempDir() + "picbatch_rgb_" + std::to_string(::getpid()) + ".rgb";
    std::vector<uint8_t> pixels;
    if (!Magick(Quote(path) + "[0] -alpha off -depth 8 rgb:" + Quote(raw)))
        return pixels;
    std::string bytes = ReadText(raw);
    std::remove(raw.c_str());
    pixels.assign(bytes.begin(), bytes.end());
    if (width || height) {
        std::string size;
        FILE* pipe = popen(("identify -format '%w %h' " + Quote(path + "[0]")).c_str(), "r");
        char line[64] = {};
        if (pipe) {
            if (fgets(line, sizeof line, pipe))
                size = line;
            pclose(pipe);
        }
        int w = 0, h = 0;
        std::sscanf(size.c_str(), "%d %d", &w, &h);
        if (width)
            *width = w;
        if (height)
            *height = h;
    }
    return pixels;
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
        return 1000;
    double mse = sum / double(a.size());
    return 10 * std::log10(255.0 * 255.0 / mse);
}

bool Exists(const std::string& path) {
    std::error_code error;
    return fs::exists(path, error);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

int CountOccurrences(const std::string& text, const std::string& piece) {
    int count = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++count;
    return count;
}

void PicbatchTest::SetUp() {
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    root_ = testing::TempDir() + "picbatch_" + info->test_suite_name() + "_" + info->name() + "_" +
            std::to_string(::getpid());
    fs::remove_all(root_);
    fs::create_directories(root_);
}

void PicbatchTest::TearDown() {
    if (!HasFailure())
        fs::remove_all(root_);
}

std::string PicbatchTest::Folder(const std::string& name) const {
    std::string path = Path(name);
    fs::create_directories(path);
    return path;
}

}  // namespace picbatch_test
