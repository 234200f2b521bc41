// picbatch-play from a terminal's point of view: it plays a song on the
// recording device, exits when the song ends, and says why it cannot play.
#include <sys/wait.h>

#include "tests/sound/sound_test_support.h"

namespace {

class PlayTool : public ::testing::Test {
protected:
    static void SetUpTestSuite() { files_.Make("make_songs.py"); }
    static void TearDownTestSuite() { files_.Remove(); }
    // Runs the tool; answers its exit status, its standard output in *out.
    int Run(const std::string& arguments, std::string* out = nullptr) {
        std::string output = folder_.File("stdout.txt");
        std::string command = std::string(PICBATCH_PLAY_TOOL) + " " + arguments + " > " + output +
                              " 2> " + folder_.File("stderr.txt");
        int status = std::system(command.c_str());
        if (out) {
            auto bytes = mmtest::ReadBytes(output);
            out->assign(bytes.begin(), bytes.end());
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static inline soundtest::GeneratedFiles files_;
    mmtest::TempFolder folder_;
};

TEST_F(PlayTool, RecordsASongToItsEndAndExits) {
    std::string log = folder_.File("song.log");
    // A stale log is started afresh.
    { std::ofstream(log) << "stale line\n"; }
    std::string out;
    ASSERT_EQ(Run(files_.File("tempo_map.mid") + " --record " + log + " --speed 400", &out), 0);
    EXPECT_NE(out.find("played to the end"), std::string::npos) << out;
    soundtest::ExpectSameTimedLines(soundtest::ReadTimedLines(log),
                                    soundtest::ReadTimedLines(files_.File("tempo_map.expected")),
                                    5.0, 0.25);
}

TEST_F(PlayTool, ExplainsWhatItCannotPlay) {
    std::string out;
    std::string text = folder_.File("text.txt");
    { std::ofstream(text) << "not a sound at all"; }
    EXPECT_EQ(Run(text, &out), 1);
    EXPECT_EQ(out, text + ": neither a standard MIDI file nor a RIFF WAVE file\n");

    auto song = mmtest::ReadBytes(files_.File("loop.mid"));
    song.resize(song.size() - 3);
    std::string cut = folder_.File("cut.mid");
    {
        std::ofstream(cut, std::ios::binary)
            .write(reinterpret_cast<char*>(song.data()), long(song.size()));
    }
    EXPECT_EQ(Run(cut, &out), 1);
    EXPECT_EQ(out,
              cut + ": damaged MIDI file (bad header, or a track chunk missing or cut short)\n");

    EXPECT_EQ(Run(folder_.File("missing.mid"), &out), 1);
    EXPECT_EQ(Run(""), 2);
    EXPECT_EQ(Run(files_.File("loop.mid") + " --speed 0"), 2);
    EXPECT_EQ(Run(files_.File("loop.mid") + " --bogus"), 2);
}

TEST_F(PlayTool, StopsALoopAfterTheGivenSeconds) {
    std::string log = folder_.File("loop.log");
    std::string out;
    ASSERT_EQ(Run(files_.File("loop.mid") + " --loop --seconds 0.5 --record " + log, &out), 0);
    EXPECT_NE(out.find("stopped after"), std::string::npos) << out;
    EXPECT_GE(mmtest::ReadLines(log).size(), 4u);
}

}  // namespace
