// A conform killed partway (as by a crash or a power cut) leaves a file that other programs
// open, declaring only audio it holds.
#include "ConformFixture.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace tabrix::testing {

TEST(ConformCrash, KilledRunLeavesAFileDeclaringOnlyTheAudioItHolds)
{
    constexpr std::uint64_t blocks = 400, blockBytes = blockFrames * 2; // 16-bit mono
    constexpr std::uint64_t update = ConformProject::headerUpdateBlocks;
    const std::vector<TakeDef> takes = {{.frames = blocks * blockFrames, .channels = 1, .bits = 16}};
    ConformScene scene;
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The child kills itself once block update + 8 is on disk: past the first header
        // update, before the second, far from the end.
        if (!scene.prepare(takes, false, 1))
            _exit(2);
        scene.project.setBlockObserver([](std::uint64_t written) {
            if (written == update + 8)
                raise(SIGKILL);
        });
        (void)scene.project.run(scene.progress);
        _exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;

    const Bytes file = readFile(scene.out("L.wav"));
    ASSERT_EQ(file.size(), 1024 + (update + 8) * blockBytes) << "every block written is kept";
    const std::uint32_t dataBytes = loadU32le(&file[1020]);
    EXPECT_EQ(loadU32le(&file[4]), 1016u + dataBytes);
    EXPECT_EQ(dataBytes, update * blockBytes) << "the last header update declares its blocks";
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
