// Two conversions to one destination at once (in a batch, photo.jpg and
// photo.bmp both become photo.png): each stages its own file, so the
// destination is always one writer's complete output and neither writer
// fails for the other's sake.
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>

#include "imageconv_test_support.h"

extern char** environ;

namespace imageconv_test {
namespace {

class SharedDestinationTest : public ImageconvTest {
protected:
    // Starts picbatch-convert; answers its process id.
    pid_t Start(const std::vector<std::string>& args) {
        std::vector<std::string> all = {PICBATCH_CONVERT_TOOL};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : all)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        pid_t pid = -1;
        EXPECT_EQ(posix_spawn(&pid, PICBATCH_CONVERT_TOOL, nullptr, nullptr, argv.data(), environ),
                  0);
        return pid;
    }
    static int ExitStatus(pid_t pid) {
        int status = 0;
        if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
            return -1;
        return WEXITSTATUS(status);
    }
    int Run(const std::vector<std::string>& args) { return ExitStatus(Start(args)); }
};

TEST_F(SharedDestinationTest, TwoWritersLeaveOneWritersWholeOutput) {
    const std::string a = Work("a.tif"), b = Work("b.tif");
    ASSERT_TRUE(Magick("-seed 1 -size 1500x1000 plasma:fractal -depth 8 " + a));
    ASSERT_TRUE(Magick("-seed 2 -size 1200x900 plasma:fractal -depth 8 " + b));
    for (const char* format : {"png", "tiff", "jpeg"}) {
        SCOPED_TRACE(format);
        const std::string alone = Work(std::string("alone-a.") + format);
        const std::string aloneB = Work(std::string("alone-b.") + format);
        ASSERT_EQ(Run({"--to", format, a, alone}), 0);
        ASSERT_EQ(Run({"--to", format, b, aloneB}), 0);
        const std::vector<uint8_t> outputA = ReadAll(alone), outputB = ReadAll(aloneB);
        const std::string shared = Work(std::string("shared.") + format);
        for (int round = 0; round < 5; ++round) {
            const pid_t first = Start({"--to", format, a, shared});
            const pid_t second = Start({"--to", format, b, shared});
            EXPECT_EQ(ExitStatus(first), 0);
            EXPECT_EQ(ExitStatus(second), 0);
            const std::vector<uint8_t> result = ReadAll(shared);
            EXPECT_TRUE(result == outputA || result == outputB)
                << "round " << round << ": " << result.size() << " bytes";
        }
    }
    // Nothing but the sources and the outputs: no stage is left behind.
    std::vector<std::string> entries = WorkEntries();
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries,
              (std::vector<std::string>{"a.tif", "alone-a.jpeg", "alone-a.png", "alone-a.tiff",
                                        "alone-b.jpeg", "alone-b.png", "alone-b.tiff", "b.tif",
                                        "shared.jpeg", "shared.png", "shared.tiff"}));
}

}  // namespace
}  // namespace imageconv_test
