// A conform killed partway (as by a crash or a power cut) leaves a file that other programs
// open, declaring only audio it holds.
#include "ConformFixture.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace tabrix::testing {

TEST(ConformCrash, KilledRunLeavesAFileDeclaringOnlyTheAudioItHolds)
{
    constexpr std::uint64_t blocks = 400; // 16-bit mono: 32 KiB a block
    const std::vector<TakeDef> takes = {{.frames = blocks * blockFrames, .channels = 1, .bits = 16}};
    ConformScene scene;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child conforms on a worker thread and kills itself once 40 blocks are written:
        // past the first header update, far from the end.
        ConformScene& s = scene;
        if (!s.prepare(takes, false, 1))
            _exit(2);
        std::thread worker([&s] { (void)s.project.run(s.progress); });
        while (s.progress.load() < 40 * 100.0 / blocks)
            std::this_thread::yield();
        raise(SIGKILL);
        _exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;

    const Bytes file = readFile(scene.out("L.wav"));
    ASSERT_GE(file.size(), 1024u);
    const std::uint32_t dataBytes = loadU32le(&file[1020]);
    EXPECT_EQ(loadU32le(&file[4]), 1016u + dataBytes);
    EXPECT_GE(dataBytes, 32 * 2 * blockFrames) << "no header update reached the file";
    EXPECT_LE(dataBytes, file.size() - 1024) << "the header declares bytes that aren't there";
    EXPECT_LT(dataBytes, blocks * 2 * blockFrames) << "the run was not cut off";
    const Bytes expected = convertEach(referenceRender(takes, 48000), 16, 1).first;
    EXPECT_TRUE(std::equal(file.begin() + 1024, file.begin() + 1024 + dataBytes, expected.begin()));

    SF_INFO info{};
    SNDFILE* opened = sf_open(scene.out("L.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(opened, nullptr) << sf_strerror(nullptr);
    EXPECT_EQ(info.frames, dataBytes / 2);
    std::vector<short> samples(std::size_t(info.frames));
    EXPECT_EQ(sf_readf_short(opened, samples.data(), info.frames), info.frames);
    sf_close(opened);
    for (std::size_t i = 0; i < samples.size(); ++i)
        if (samples[i] != loadS16le(&expected[2 * i])) {
            ADD_FAILURE() << "frame " << i << " reads back wrong";
            break;
        }
}

} // namespace tabrix::testing
