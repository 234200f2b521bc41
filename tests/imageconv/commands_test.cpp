// The three commands as the application calls them: argument checks, result
// codes, damaged input, unwritable destinations, and what is left on disk.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <random>

#include "imageconv_test_support.h"
#include "libs/imageconv/convert_commands.h"
#include "libs/imageconv/convert_result.h"
#include "libs/imageconv/library_notify.h"

namespace imageconv_test {
namespace {

using namespace imageconv;
using rt::ArgRecord;

class CommandsTest : public ImageconvTest {
protected:
    void SetUp() override {
        ImageconvTest::SetUp();
        photo_ = Work("photo.png");
        ASSERT_TRUE(Magick("-seed 5 -size 50x40 plasma:fractal -depth 8 PNG24:" + photo_));
    }
    void TearDown() override {
        for (const std::string& name : WorkEntries()) {
            EXPECT_EQ(name.find(".picbatch-partial"), std::string::npos) << name;
        }
        ImageconvTest::TearDown();
    }

    std::vector<std::string> WorkEntries() const {
        std::vector<std::string> names;
        std::string command = "ls -A '" + work_ + "'";
        if (FILE* p = popen(command.c_str(), "r")) {
            char line[512];
            while (std::fgets(line, sizeof line, p)) {
                std::string name = line;
                name.pop_back();
                names.push_back(name);
            }
            pclose(p);
        }
        return names;
    }

    static int32_t Call(rt::CommandEntry entry, const std::vector<ArgRecord>& args) {
        rt::ResultSlot result{};
        entry(&result, int32_t(args.size()), args.data());
        EXPECT_EQ(result.type, rt::TYPE_INT);
        return result.asInt();
    }
    static int32_t Jpeg(const char* source, const char* destination, int32_t quality = 100,
                        int32_t smoothing = 0, bool gray = false) {
        return Call(ConvertToJpeg,
                    {ArgRecord::Pointer(source, rt::TYPE_TEXT),
                     ArgRecord::Pointer(destination, rt::TYPE_TEXT),
                     ArgRecord::Int(gray ? 1 : 0, rt::TYPE_BOOL), ArgRecord::Int(quality),
                     ArgRecord::Int(1, rt::TYPE_BOOL), ArgRecord::Int(smoothing)});
    }
    static int32_t Tiff(const char* source, const char* destination, bool gray8 = false) {
        return Call(ConvertToTiff, {ArgRecord::Pointer(source, rt::TYPE_TEXT),
                                    ArgRecord::Pointer(destination, rt::TYPE_TEXT),
                                    ArgRecord::Int(gray8 ? 1 : 0, rt::TYPE_BOOL)});
    }
    static int32_t Png(const char* source, const char* destination, int32_t depth = 24) {
        return Call(ConvertToPng,
                    {ArgRecord::Pointer(source, rt::TYPE_TEXT),
                     ArgRecord::Pointer(destination, rt::TYPE_TEXT), ArgRecord::Int(depth)});
    }
    // Every command on one source; all must give `expected`.
    void ExpectAll(const std::string& source, int32_t expected) {
        SCOPED_TRACE(source);
        const std::string out = Work("out");
        for (const char* ext : {".jpg", ".tif", ".png"})
            unlink((out + ext).c_str());
        EXPECT_EQ(Jpeg(source.c_str(), (out + ".jpg").c_str()), expected);
        EXPECT_EQ(Tiff(source.c_str(), (out + ".tif").c_str()), expected);
        EXPECT_EQ(Png(source.c_str(), (out + ".png").c_str()), expected);
        if (expected != CONVERT_OK) {
            for (const char* ext : {".jpg", ".tif", ".png"})
                EXPECT_FALSE(FileExists(out + ext));
        }
    }

    std::string photo_;
};

TEST_F(CommandsTest, EachCommandWritesItsFormat) {
    const std::string jpg = Work("a.jpg"), tif = Work("a.tif"), gray = Work("g.tif"),
                      png = Work("a.png"), grayJpg = Work("g.jpg");
    ASSERT_EQ(Jpeg(photo_.c_str(), jpg.c_str()), CONVERT_OK);
    ASSERT_EQ(Jpeg(photo_.c_str(), grayJpg.c_str(), 75, 10, true), CONVERT_OK);
    ASSERT_EQ(Tiff(photo_.c_str(), tif.c_str()), CONVERT_OK);
    ASSERT_EQ(Tiff(photo_.c_str(), gray.c_str(), true), CONVERT_OK);
    ASSERT_EQ(Png(photo_.c_str(), png.c_str()), CONVERT_OK);
    EXPECT_EQ(MagickIdentify("%m %w %h %[channels]", jpg), "JPEG 50 40 srgb");
    EXPECT_EQ(MagickIdentify("%m %[channels]", grayJpg), "JPEG gray");
    EXPECT_EQ(MagickIdentify("%m %[channels]", tif), "TIFF srgb");
    EXPECT_EQ(MagickIdentify("%m %[tiff:photometric]", gray), "TIFF palette");
    EXPECT_EQ(MagickRgb(png), MagickRgb(photo_));
    EXPECT_EQ(MagickRgb(tif), MagickRgb(photo_));
    // Converting a file onto itself is safe: it is read whole first.
    ASSERT_EQ(Png(png.c_str(), png.c_str()), CONVERT_OK);
    EXPECT_EQ(MagickRgb(png), MagickRgb(photo_));
}

TEST_F(CommandsTest, ArgumentsOutOfRangeTouchNothing) {
    const std::string out = Work("out.jpg");
    EXPECT_EQ(Jpeg(photo_.c_str(), out.c_str(), 0), CONVERT_BAD_ARGUMENTS);
    EXPECT_EQ(Jpeg(photo_.c_str(), out.c_str(), 101), CONVERT_BAD_ARGUMENTS);
    EXPECT_EQ(Jpeg(photo_.c_str(), out.c_str(), 100, -1), CONVERT_BAD_ARGUMENTS);
    EXPECT_EQ(Jpeg(photo_.c_str(), out.c_str(), 100, 101), CONVERT_BAD_ARGUMENTS);
    EXPECT_EQ(Jpeg(photo_.c_str(), nullptr), CONVERT_BAD_ARGUMENTS);
    EXPECT_EQ(Jpeg(nullptr, out.c_str()), CONVERT_BAD_ARGUMENTS);
    EXPECT_EQ(Png(photo_.c_str(), out.c_str(), 8), CONVERT_BAD_ARGUMENTS);
    EXPECT_EQ(Png(photo_.c_str(), out.c_str(), 32), CONVERT_BAD_ARGUMENTS);
    EXPECT_EQ(Tiff(nullptr, out.c_str()), CONVERT_BAD_ARGUMENTS);
    EXPECT_EQ(Call(ConvertToTiff, {ArgRecord::TextArg(photo_.c_str())}), CONVERT_BAD_ARGUMENTS);
    EXPECT_EQ(Call(ConvertToPng,
                   {ArgRecord::TextArg(photo_.c_str()), ArgRecord::Omitted(), ArgRecord::Int(24)}),
              CONVERT_BAD_ARGUMENTS);
    EXPECT_FALSE(FileExists(out));
    // An empty destination text is present, just unusable.
    EXPECT_EQ(Png(photo_.c_str(), ""), CONVERT_WRITE_FAILED);
    EXPECT_EQ(Png(Work("absent.png").c_str(), ""), CONVERT_NO_SOURCE);
}

TEST_F(CommandsTest, SourcesThatCannotBeRead) {
    ExpectAll(Work("absent.bmp"), CONVERT_NO_SOURCE);
    WriteAll(Work("notes.jpg"), std::vector<uint8_t>(5000, 'x'));
    ExpectAll(Work("notes.jpg"), CONVERT_UNREADABLE);

    // The JPEG reader accepted the header, so the file is JPEG's to fail,
    // even though it is large enough to pass for Photo CD data.
    ASSERT_TRUE(Magick(photo_ + " " + Work("small.jpg")));
    std::vector<uint8_t> bytes = ReadAll(Work("small.jpg"));
    const size_t scan = bytes.size() / 2;
    std::mt19937 random(1);
    bytes.resize(scan);
    while (bytes.size() < 1500 * 1024)
        bytes.push_back(uint8_t(random()));
    WriteAll(Work("big-broken.jpg"), bytes);
    ExpectAll(Work("big-broken.jpg"), CONVERT_UNREADABLE);

    // A few hundred bytes that declare a 40000 x 30000 picture are refused at
    // the first missing row instead of being padded out to gigabytes.
    std::vector<uint8_t> huge = ReadAll(Work("small.jpg"));
    for (size_t i = 0; i + 8 < huge.size(); ++i) {
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) {
            const uint8_t size[] = {0x75, 0x30, 0x9C, 0x40};  // height, width
            std::copy(size, size + 4, huge.begin() + long(i) + 5);
            break;
        }
    }
    huge.resize(huge.size() / 2);
    WriteAll(Work("huge.jpg"), huge);
    ExpectAll(Work("huge.jpg"), CONVERT_UNREADABLE);

    // A JPEG signature with an unreadable header is declined by the JPEG
    // reader and left to the others: small, nothing takes it...
    std::vector<uint8_t> fake = {0xFF, 0xD8, 0x00, 0x11, 0x22};
    fake.resize(4096, 0x33);
    WriteAll(Work("fake.jpg"), fake);
    ExpectAll(Work("fake.jpg"), CONVERT_UNREADABLE);
    // ...large, it is read as Photo CD data.
    fake.resize(2 << 20, 0x80);
    WriteAll(Work("fake-big.jpg"), fake);
    ExpectAll(Work("fake-big.jpg"), CONVERT_OK);
    EXPECT_EQ(MagickIdentify("%w %h", Work("out.png")), "768 512");

    // Variants a reader declines stay unreadable however large they are:
    // their signature says they are not Photo CD data.
    for (const char* variant :
         {"PNG48:big16.png", "-colorspace CMYK big-cmyk.jpg", "-type Palette BMP3:big8.bmp"}) {
        SCOPED_TRACE(variant);
        std::string args = variant;
        const size_t split =
            args.rfind(' ') == std::string::npos ? args.find(':') + 1 : args.rfind(' ') + 1;
        const std::string path = Work(args.substr(split));
        const std::string options = args.substr(0, split);
        ASSERT_TRUE(Magick("-seed 2 -size 700x600 plasma:fractal " + options +
                           (options.empty() || options.back() == ':' ? "" : " ") + path));
        std::vector<uint8_t> bytes = ReadAll(path);
        bytes.resize(std::max<size_t>(bytes.size(), 1100 * 1024), 0);  // trailing bytes are ignored
        WriteAll(path, bytes);
        ExpectAll(path, CONVERT_UNREADABLE);
    }
}

TEST_F(CommandsTest, TruncatedOrCorruptedFilesOfEveryFormatAreUnreadable) {
    struct Case {
        const char* file;
        const char* magickArgs;
        size_t corruptAt;  // where a run of damaging bytes goes
        std::vector<uint8_t> damage;
    };
    const std::vector<Case> cases = {
        // Data offset far past the end of the file.
        {"a.bmp", "-type TrueColor BMP3:", 10, {0xFF, 0xFF, 0xFF, 0x00}},
        // Bytes per line below the width.
        {"a.pcx", "-type TrueColor", 66, {1, 0}},
        {"p.pcx", "-type Palette", 66, {1, 0}},
        // A TIFF whose compressed strips are noise.
        {"a.tif", "-compress LZW", 8, std::vector<uint8_t>(200, 0xA5)},
        // A PNG chunk whose checksum no longer matches.
        {"a.png", "PNG24:", 40, {0x00, 0x00, 0x00, 0x00}},
        // An unsupported sample precision in the frame header.
        {"a.jpg", "-quality 90", 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = Work(c.file);
        const std::string args = c.magickArgs;
        ASSERT_TRUE(Magick(photo_ + " " + args + (args.back() == ':' ? "" : " ") + path));
        std::vector<uint8_t> bytes = ReadAll(path);

        std::vector<uint8_t> truncated(bytes.begin(), bytes.begin() + long(bytes.size() * 2 / 3));
        WriteAll(path + ".truncated", truncated);
        ExpectAll(path + ".truncated", CONVERT_UNREADABLE);

        std::vector<uint8_t> corrupted = bytes;
        if (std::string(c.file) == "a.jpg") {
            for (size_t i = 0; i + 4 < corrupted.size(); ++i) {
                if (corrupted[i] == 0xFF && corrupted[i + 1] == 0xC0)
                    corrupted[i + 4] = 3;
            }
        } else {
            std::copy(c.damage.begin(), c.damage.end(), corrupted.begin() + long(c.corruptAt));
        }
        ASSERT_NE(corrupted, bytes);
        WriteAll(path + ".corrupted", corrupted);
        ExpectAll(path + ".corrupted", CONVERT_UNREADABLE);
    }
}

TEST_F(CommandsTest, UnwritableDestinationsFailWithoutHarm) {
    EXPECT_EQ(Jpeg(photo_.c_str(), Work("missing/out.jpg").c_str()), CONVERT_WRITE_FAILED);
    EXPECT_EQ(Tiff(photo_.c_str(), Work("missing/out.tif").c_str()), CONVERT_WRITE_FAILED);
    EXPECT_EQ(Png(photo_.c_str(), Work("missing/out.png").c_str()), CONVERT_WRITE_FAILED);
    EXPECT_FALSE(FileExists(Work("missing")));
    // A destination that cannot be replaced keeps what it had.
    const std::string folder = Work("taken.png");
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    WriteAll(folder + "/inside", {1, 2, 3});
    EXPECT_EQ(Png(photo_.c_str(), folder.c_str()), CONVERT_WRITE_FAILED);
    EXPECT_EQ(ReadAll(folder + "/inside"), (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(CommandsTest, LibraryNotifyKeepsTheSystemEntry) {
    static int calls;
    auto system = [](int32_t message, intptr_t, intptr_t) -> intptr_t {
        ++calls;
        return message;
    };
    EXPECT_EQ(LibraryNotify(rt::LN_SET_SYSTEM, reinterpret_cast<intptr_t>(+system), 0), 0);
    EXPECT_EQ(SystemCallback().Call(rt::SN_ALLOC, 0, 0), rt::SN_ALLOC);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(LibraryNotify(rt::LN_CLEANUP, 0, 0), -1);
    LibraryNotify(rt::LN_SET_SYSTEM, 0, 0);
}

TEST_F(CommandsTest, ToolExitStatusNamesTheFailure) {
    auto run = [](const std::string& args) {
        std::string command =
            std::string(PICBATCH_CONVERT_TOOL) + " " + args + " 2>/dev/null >/dev/null";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    const std::string out = Work("tool.tif");
    EXPECT_EQ(run("--to tiff " + photo_ + " " + out), 0);
    EXPECT_EQ(MagickIdentify("%m", out), "TIFF");
    EXPECT_EQ(run("--to jpeg --quality 80 --smoothing 5 --gray --no-optimize " + photo_ + " " +
                  Work("tool.jpg")),
              0);
    EXPECT_EQ(MagickIdentify("%[channels]", Work("tool.jpg")), "gray");
    EXPECT_EQ(run("--help"), 0);
    EXPECT_EQ(run("--to gif " + photo_ + " " + out), 1);
    EXPECT_EQ(run("--to png " + photo_), 1);
    EXPECT_EQ(run("--to png " + Work("absent") + " " + out), 2);
    EXPECT_EQ(run("--to png " + Work("tool.tif.missing") + " " + out), 2);
    WriteAll(Work("junk"), {1, 2, 3});
    EXPECT_EQ(run("--to png " + Work("junk") + " " + out), 3);
    EXPECT_EQ(run("--to png " + photo_ + " " + Work("no/such/dir.png")), 4);
    EXPECT_EQ(run("--to jpeg --quality 0 " + photo_ + " " + out), 5);
    EXPECT_EQ(run("--to png --depth 8 " + photo_ + " " + out), 5);
}

}  // namespace
}  // namespace imageconv_test
