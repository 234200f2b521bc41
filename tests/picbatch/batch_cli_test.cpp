// The program end to end from a terminal without a display: folder, drop and
// single-file conversions in each format, checked against ImageMagick's
// decode of the sources; bad input among good; the exit statuses.
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "cli_support.h"

namespace picbatch_test {
namespace {

namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Four small pictures of four kinds in `folder`; answers their names.
std::vector<std::string> MakeMixedFolder(const std::string& folder) {
    EXPECT_TRUE(
        Magick("-size 64x48 gradient:red-blue -depth 8 " + Quote(folder + "/gradient.png")));
    EXPECT_TRUE(Magick("-size 50x30 plasma:fractal -seed 7 " + Quote(folder + "/plasma.bmp")));
    EXPECT_TRUE(Magick("-size 80x60 xc:orange -fill navy -draw 'circle 40,30 40,10' -quality 92 " +
                       Quote(folder + "/circle.jpg")));
    EXPECT_TRUE(Magick("-size 40x40 pattern:checkerboard " + Quote(folder + "/board.gif")));
    return {"gradient.png", "plasma.bmp", "circle.jpg", "board.gif"};
}

std::string Stem(const std::string& name) {
    return name.substr(0, name.rfind('.'));
}

struct FormatCase {
    const char* format;
    bool lossless;
};

class FolderBatch : public PicbatchTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(FolderBatch, ConvertsEveryPictureIntoTheFormatsSubfolder) {
    const FormatCase& c = GetParam();
    std::string folder = Folder("pictures");
    std::vector<std::string> names = MakeMixedFolder(folder);
    WriteBytes(folder + "/notes.txt", "not a picture");

    Outcome run = RunPicbatch({"--format", c.format, "--folder", folder, "--no-open"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(CountOccurrences(run.out, "All 4 files done, "), 1) << run.out;

    std::string out = folder + "/" + c.format;
    std::vector<std::string> expected;
    for (const std::string& name : names)
        expected.push_back(Stem(name) + "." + c.format);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Entries(out), expected);  // nothing else: no staging files left
    for (const std::string& name : names) {
        int w = 0, h = 0, ow = 0, oh = 0;
        std::vector<uint8_t> source = MagickRgb(folder + "/" + name, &w, &h);
        std::vector<uint8_t> result = MagickRgb(out + "/" + Stem(name) + "." + c.format, &ow, &oh);
        EXPECT_EQ(ow, w) << name;
        EXPECT_EQ(oh, h) << name;
        // A JPEG source decodes alike in both programs up to rounding; a
        // JPEG result is as close to the source as ImageMagick's own at
        // quality 100.
        bool exact = c.lossless && name.find(".jpg") == std::string::npos;
        if (exact) {
            EXPECT_TRUE(result == source) << name;
        } else if (c.lossless) {
            EXPECT_GT(Psnr(source, result), 45.0) << name;
        } else {
            std::string reference = Path("reference.jpg");
            ASSERT_TRUE(Magick(Quote(folder + "/" + name) + " -quality 100 -sampling-factor 2x2 " +
                               Quote(reference)));
            EXPECT_GT(Psnr(source, result), Psnr(source, MagickRgb(reference)) - 1.0) << name;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, FolderBatch,
                         ::testing::Values(FormatCase{"jpg", false}, FormatCase{"tif", true},
                                           FormatCase{"png", true}),
                         [](const auto& info) { return std::string(info.param.format); });

TEST_F(PicbatchTest, NamesWithSpacesUpperCaseAndChineseConvert) {
    std::string folder = Folder("mixed names");
    ASSERT_TRUE(Magick("-size 20x10 xc:green " + Quote(folder + "/my photo.JPG")));
    ASSERT_TRUE(Magick("-size 12x12 xc:red " + Quote(folder + "/照片 一.png")));
    Outcome run = RunPicbatch({"--format", "png", "--folder", folder, "--no-open"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Entries(folder + "/png"), (std::vector<std::string>{"my photo.png", "照片 一.png"}));
    EXPECT_TRUE(MagickRgb(folder + "/png/照片 一.png") == MagickRgb(folder + "/照片 一.png"));
}

TEST_F(PicbatchTest, DamagedFilesAreReportedAndLeaveNothingBehind) {
    std::string folder = Folder("some bad");
    ASSERT_TRUE(Magick("-size 30x20 xc:teal " + Quote(folder + "/good.png")));
    ASSERT_TRUE(Magick("-size 300x200 plasma: " + Quote(folder + "/whole.jpg")));
    std::string whole = ReadFile(folder + "/whole.jpg");
    WriteBytes(folder + "/cut.jpg", whole.substr(0, whole.size() / 3));
    std::remove((folder + "/whole.jpg").c_str());
    WriteBytes(folder + "/empty.png", "");
    WriteBytes(folder + "/noise.bmp", std::string(5000, '\x5a'));
    std::string cutBefore = ReadFile(folder + "/cut.jpg");

    Outcome run = RunPicbatch({"--format", "png", "--folder", folder, "--no-open"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.out.find("1 of 4 files done, "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("3 failed"), std::string::npos) << run.out;
    // Each line keeps the imaging platform's own reason after the words.
    for (const char* line : {"cut.jpg: not a picture this program can read (Premature end of "
                             "JPEG file)\n",
                             "empty.png: not a picture this program can read (the file is "
                             "empty)\n",
                             "noise.bmp: not a picture this program can read (the file is in "
                             "no picture format this program reads)\n"}) {
        EXPECT_NE(run.out.find("\n" + folder + "/" + line), std::string::npos) << line << run.out;
    }
    EXPECT_EQ(Entries(folder + "/png"), std::vector<std::string>{"good.png"});
    EXPECT_EQ(ReadFile(folder + "/cut.jpg"), cutBefore);  // sources are never changed
}

// Headers that declare pictures far larger than their bytes can hold are
// refused at once with the reason, and the good picture beside them
// converts: six such files can no longer exhaust the machine.
TEST_F(PicbatchTest, HostileSizesAreRefusedWithTheirReason) {
    std::string folder = Folder("hostile");
    ASSERT_TRUE(Magick("-size 12x8 xc:teal " + Quote(folder + "/good.png")));
    // A GIF of 35 bytes whose screen is 16384 by 16384.
    WriteBytes(folder + "/screen.gif",
               std::string("GIF89a\x00\x40\x00\x40\x80\x00\x00\x00\x00\x00\xff\xff\xff"
                           "\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x4c\x01\x00"
                           "\x3b",
                           35));
    // A progressive JPEG whose frame declares 60000 by 60000.
    ASSERT_TRUE(Magick("-size 16x16 plasma: -interlace JPEG " + Quote(folder + "/huge.jpg")));
    std::string jpeg = ReadFile(folder + "/huge.jpg");
    const size_t frame = jpeg.find("\xff\xc2");
    ASSERT_NE(frame, std::string::npos);
    jpeg.replace(frame + 5, 4, "\xea\x60\xea\x60");
    WriteBytes(folder + "/huge.jpg", jpeg);

    Outcome run = RunPicbatch({"--format", "png", "--folder", folder, "--no-open"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(run.out.find("\n" + folder +
                           "/huge.jpg: not a picture this program can read (the picture "
                           "declares 60000 x 60000 pixels, more than 268435456)\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\n" + folder +
                           "/screen.gif: not a picture this program can read (the picture "
                           "declares 16384 x 16384 pixels, more than 35 bytes can hold)\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(Entries(folder + "/png"), std::vector<std::string>{"good.png"});
}

TEST_F(PicbatchTest, AnUnwritableDestinationSaysWhy) {
    std::string folder = Folder("blocked");
    ASSERT_TRUE(Magick("-size 6x6 xc:navy " + Quote(folder + "/a.png")));
    WriteBytes(folder + "/tif", "a file where the output folder would go");
    Outcome run = RunPicbatch({"--format", "tif", "--folder", folder, "--no-open"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_NE(
        run.out.find("\n" + folder + "/a.png: could not be written to " + folder +
                     "/tif/a.tif (cannot create a file in " + folder + "/tif/: Not a directory)\n"),
        std::string::npos)
        << run.out;
    EXPECT_EQ(Entries(folder), (std::vector<std::string>{"a.png", "tif"}));
}

TEST_F(PicbatchTest, AFolderWithoutPicturesStartsNoBatch) {
    std::string folder = Folder("empty");
    WriteBytes(folder + "/readme.txt", "hello");
    Outcome run = RunPicbatch({"--format", "jpg", "--folder", folder, "--no-open"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("There are no pictures to convert in " + folder + "/"),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(Exists(folder + "/jpg"));
}

TEST_F(PicbatchTest, ACancelledFolderDialogConvertsNothing) {
    std::string folder = Folder("untouched");
    ASSERT_TRUE(Magick("-size 8x8 xc:white " + Quote(folder + "/a.png")));
    Outcome run =
        RunPicbatch({"--format", "tif", "--folder", folder, "--answer", "cancel", "--no-open"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("no batch was started"), std::string::npos) << run.err;
    EXPECT_EQ(Entries(folder), std::vector<std::string>{"a.png"});
}

TEST_F(PicbatchTest, DroppedFilesConvert) {
    std::string folder = Folder("drop");
    ASSERT_TRUE(Magick("-size 16x16 xc:red " + Quote(folder + "/one.png")));
    ASSERT_TRUE(Magick("-size 16x8 xc:blue " + Quote(folder + "/two.bmp")));
    ASSERT_TRUE(Magick("-size 8x16 xc:yellow " + Quote(folder + "/three.gif")));

    Outcome single = RunPicbatch({"--format", "jpg", "--no-open", folder + "/one.png"});
    ASSERT_EQ(single.status, 0) << single.err;
    EXPECT_NE(single.out.find("All 1 files done, "), std::string::npos) << single.out;
    EXPECT_EQ(Entries(folder + "/jpg"), std::vector<std::string>{"one.jpg"});

    Outcome three = RunPicbatch({"--format", "png", "--no-open", folder + "/one.png",
                                 folder + "/two.bmp", folder + "/three.gif"});
    ASSERT_EQ(three.status, 0) << three.err;
    EXPECT_NE(three.out.find("All 3 files done, "), std::string::npos) << three.out;
    EXPECT_EQ(Entries(folder + "/png"),
              (std::vector<std::string>{"one.png", "three.png", "two.png"}));
    EXPECT_TRUE(MagickRgb(folder + "/png/two.png") == MagickRgb(folder + "/two.bmp"));
}

TEST_F(PicbatchTest, DroppedNamesAreLookedUpInTheFirstFilesFolder) {
    std::string first = Folder("first");
    std::string second = Folder("second");
    ASSERT_TRUE(Magick("-size 4x4 xc:red " + Quote(first + "/here.png")));
    ASSERT_TRUE(Magick("-size 4x4 xc:blue " + Quote(second + "/there.png")));
    Outcome run =
        RunPicbatch({"--format", "tif", "--no-open", first + "/here.png", second + "/there.png"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("1 of 2 files done, "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(first + "/there.png: no such file in " + first + "/"), std::string::npos)
        << run.out;
    EXPECT_EQ(Entries(first + "/tif"), std::vector<std::string>{"here.tif"});
    EXPECT_FALSE(Exists(second + "/tif"));
}

TEST_F(PicbatchTest, TheSameFileDroppedThriceGivesThreeOutputs) {
    std::string folder = Folder("thrice");
    ASSERT_TRUE(Magick("-size 5x5 xc:red " + Quote(folder + "/x.png")));
    std::string x = folder + "/x.png";
    Outcome run = RunPicbatch({"--format", "png", "--no-open", x, x, x});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Entries(folder + "/png"),
              (std::vector<std::string>{"x.png", "x.png.3.png", "x.png.png"}));
}

TEST_F(PicbatchTest, AListOfFilesIsDroppedLikeFiles) {
    std::string folder = Folder("list");
    ASSERT_TRUE(Magick("-size 5x5 xc:red " + Quote(folder + "/a b.png")));
    ASSERT_TRUE(Magick("-size 5x5 xc:blue " + Quote(folder + "/c.bmp")));
    WriteBytes(Path("lines.txt"), folder + "/a b.png\r\n" + folder + "/c.bmp\n\n");
    Outcome lines =
        RunPicbatch({"--format", "tif", "--no-open", "--files-from", Path("lines.txt")});
    ASSERT_EQ(lines.status, 0) << lines.err;
    EXPECT_EQ(Entries(folder + "/tif"), (std::vector<std::string>{"a b.tif", "c.tif"}));

    WriteBytes(Path("nul.txt"), std::string(folder + "/c.bmp") + '\0');
    Outcome nul =
        RunPicbatch({"--format", "jpg", "--no-open", "-0", "--files-from", Path("nul.txt")});
    ASSERT_EQ(nul.status, 0) << nul.err;
    EXPECT_EQ(Entries(folder + "/jpg"), std::vector<std::string>{"c.jpg"});

    WriteBytes(Path("empty.txt"), "\n");
    EXPECT_EQ(RunPicbatch({"--format", "jpg", "--files-from", Path("empty.txt")}).status, 2);
    EXPECT_EQ(RunPicbatch({"--format", "jpg", "--files-from", Path("missing.txt")}).status, 2);
}

TEST_F(PicbatchTest, DroppingNoPictureStartsNothing) {
    std::string folder = Folder("words");
    WriteBytes(folder + "/a.txt", "words");
    Outcome run = RunPicbatch({"--format", "png", "--no-open", folder + "/a.txt"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("There are no pictures to convert"), std::string::npos) << run.err;
}

TEST_F(PicbatchTest, TwoSourcesWithOneBaseKeepBothOutputs) {
    std::string folder = Folder("twins");
    ASSERT_TRUE(Magick("-size 10x10 xc:red " + Quote(folder + "/photo.png")));
    ASSERT_TRUE(Magick("-size 10x10 xc:blue " + Quote(folder + "/photo.bmp")));
    Outcome run = RunPicbatch({"--format", "png", "--folder", folder, "--no-open"});
    ASSERT_EQ(run.status, 0) << run.err;
    // The folder lists photo.bmp first: it keeps the plain name.
    EXPECT_EQ(Entries(folder + "/png"), (std::vector<std::string>{"photo.png", "photo.png.png"}));
    EXPECT_TRUE(MagickRgb(folder + "/png/photo.png") == MagickRgb(folder + "/photo.bmp"));
    EXPECT_TRUE(MagickRgb(folder + "/png/photo.png.png") == MagickRgb(folder + "/photo.png"));
}

TEST_F(PicbatchTest, ManySmallFilesCompleteExactlyOnce) {
    std::string folder = Folder("many");
    ASSERT_TRUE(Magick("-size 6x5 xc:gray " + Quote(folder + "/seed.png")));
    std::string seed = ReadFile(folder + "/seed.png");
    for (int i = 0; i < 150; ++i)
        WriteBytes(folder + "/f" + std::to_string(i) + ".png", seed);
    std::remove((folder + "/seed.png").c_str());
    Outcome run = RunPicbatch({"--format", "jpg", "--folder", folder, "--no-open"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(CountOccurrences(run.out, "files done"), 1) << run.out;
    EXPECT_NE(run.out.find("All 150 files done, "), std::string::npos);
    EXPECT_EQ(Entries(folder + "/jpg").size(), 150u);
}

struct SingleCase {
    const char* format;
    const char* suffix;
};

class SingleFile : public PicbatchTest, public ::testing::WithParamInterface<SingleCase> {};

TEST_P(SingleFile, ConvertsThePickedFileOnItsOwnThread) {
    std::string folder = Folder("one");
    ASSERT_TRUE(Magick("-size 33x21 gradient:white-black " + Quote(folder + "/pick.bmp")));
    Outcome run =
        RunPicbatch({"--format", GetParam().format, "--file", folder + "/pick.bmp", "--no-open"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::string out = folder + "/" + GetParam().format + "/pick." + GetParam().suffix;
    ASSERT_TRUE(Exists(out)) << run.err;
    double psnr = Psnr(MagickRgb(folder + "/pick.bmp"), MagickRgb(out));
    EXPECT_GT(psnr, std::string(GetParam().format) == "jpg" ? 35.0 : 999.0);
}

INSTANTIATE_TEST_SUITE_P(Formats, SingleFile,
                         ::testing::Values(SingleCase{"jpg", "jpg"}, SingleCase{"tif", "tif"},
                                           SingleCase{"png", "png"}),
                         [](const auto& info) { return std::string(info.param.format); });

TEST_F(PicbatchTest, ASinglePickThatIsNoPictureIsSaid) {
    std::string folder = Folder("text");
    WriteBytes(folder + "/letter.txt", "dear");
    Outcome run = RunPicbatch({"--format", "png", "--file", folder + "/letter.txt", "--no-open"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Not a picture this can read."), std::string::npos) << run.err;

    WriteBytes(folder + "/fake.png", "not really");
    Outcome fake = RunPicbatch({"--format", "png", "--file", folder + "/fake.png", "--no-open"});
    EXPECT_EQ(fake.status, 1);
    EXPECT_NE(fake.err.find("Could not convert " + folder + "/fake.png"), std::string::npos)
        << fake.err;
    EXPECT_FALSE(Exists(folder + "/png/fake.png"));
}

TEST_F(PicbatchTest, UsageErrorsAndHelp) {
    Outcome help = RunPicbatch({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Exit status: 0"), std::string::npos);
    EXPECT_EQ(RunPicbatch({"--format", "gif", "--folder", root_}).status, 2);
    EXPECT_EQ(RunPicbatch({"--folder", root_}).status, 2);
    EXPECT_EQ(RunPicbatch({"--format", "png", "--folder", root_ + "/missing"}).status, 2);
    Outcome noDisplay = RunPicbatch({});
    EXPECT_EQ(noDisplay.status, 2);
    EXPECT_NE(noDisplay.err.find("no display"), std::string::npos);
}

TEST_F(PicbatchTest, ScreenshotOfTheStartWindow) {
    std::string shot = Path("window.png");
    Outcome run = RunPicbatch({"--screenshot", shot});
    ASSERT_EQ(run.status, 0) << run.err;
    int w = 0, h = 0;
    const std::vector<uint8_t> rgb = MagickRgb(shot, &w, &h);
    ASSERT_EQ(w, 460);
    ASSERT_EQ(h, 200);
    ASSERT_EQ(rgb.size(), size_t(460) * 200 * 3);
    // The window as painted, not a blank surface: its face behind the
    // controls, and the controls' many shades of text and edges.
    EXPECT_EQ(std::vector<uint8_t>(rgb.begin(), rgb.begin() + 3),
              (std::vector<uint8_t>{240, 240, 240}));
    std::set<uint32_t> colours;
    for (size_t i = 0; i < rgb.size(); i += 3)
        colours.insert(uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2]);
    EXPECT_GT(colours.size(), 50u);
}

}  // namespace
}  // namespace picbatch_test
