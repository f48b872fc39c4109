// Conforms that meet a fault: a take that can't be read, an output that can't be written or
// created. Each leaves files whose headers declare exactly the audio they hold.
#include "ConformFixture.h"
#include "FileSizeLimit.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <tuple>

namespace tabrix::testing {

// The first `frameCount` frames of `bytes` of `frameBytes` each.
static Bytes prefix(const Bytes& bytes, std::uint64_t frameCount, std::size_t frameBytes)
{
    const std::size_t n = std::min<std::size_t>(bytes.size(), frameCount * frameBytes);
    return Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(n));
}

// An output file cut off by a file size limit at several points: the run fails exactly when
// the file is short (also of the chunks after the audio), and the file keeps every whole
// frame that reached it, declared exactly.
TEST(ConformWriteFailure, KeepsExactlyTheWholeFramesOnDisk)
{
    constexpr std::uint64_t totalFrames = 40 * blockFrames; // more than one header update
    constexpr std::uint64_t full = 1024 + 2 * totalFrames;  // 16-bit mono
    struct Case { const char* where; int mode; std::uint64_t limitBytes, frames; bool runs; };
    const Case cases[] = {
        {"inside the first block", 1, 1024 + 1001, 500, false},
        {"at a block boundary", 1, 1024 + 2 * 2 * blockFrames, 2 * blockFrames, false},
        {"right after a header update", 1, 1024 + 2 * 32 * blockFrames, 32 * blockFrames, false},
        {"a few bytes before the end", 1, full - 3, totalFrames - 2, false},
        {"the last byte", 1, full - 1, totalFrames - 1, false},
        {"no room for the markers", 1, full + 100, totalFrames, false},
        {"nothing missing", 1, full + 4096, totalFrames, true},
        // The left file takes part of the third block, the right none: both keep two blocks.
        {"Dual Mono, inside a block", 4, 1024 + 2 * 2 * blockFrames + 1001, 2 * blockFrames,
         false},
    };
    const std::vector<TakeDef> takes = {{.frames = totalFrames, .channels = 1, .bits = 16}};
    const auto expected = convertEach(referenceRender(takes, 48000), 16, 4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        ConformScene scene; // a folder of its own
        ASSERT_TRUE(scene.prepare(takes, false, c.mode));
        const std::vector<Bytes> before = scene.sources(takes.size());
        bool ran = false;
        {
            FileSizeLimit limit(c.limitBytes);
            if (!limit.active())
                GTEST_SKIP() << "file size limits are not available here";
            ran = scene.project.run(scene.progress);
        }
        const RunFailure& failure = scene.project.lastFailure();
        EXPECT_EQ(ran, c.runs);
        EXPECT_EQ(failure.kind, c.runs ? FailureKind::None : FailureKind::WriteOutput);
        if (c.frames == totalFrames) { // with its markers only when all of them fit
            EXPECT_EQ(readWrittenWav(scene.out("L.wav")).trailingIds().size(), c.runs ? 3u : 0u);
        }
        if (!c.runs) {
            EXPECT_EQ(failure.fileName, "L.wav");
            EXPECT_EQ(failure.systemError, EFBIG);
        }
        EXPECT_TRUE(scene.declaredData("L.wav") == prefix(expected.first, c.frames, 2));
        if (c.mode == 4) {
            EXPECT_TRUE(scene.declaredData("R.wav") == prefix(expected.second, c.frames, 2));
        }
        EXPECT_TRUE(scene.sources(takes.size()) == before);
        for (const TimelineSegment* s = scene.project.timeline()->first(); s; s = s->next)
            EXPECT_FALSE(s->cache.hasBuffer());
    }
}

// A take that disappears, is cut short or turns unreadable after loading ends the run at the
// block that needs it; every block before it is kept and declared.
TEST(ConformReadFailure, EndsTheRunAfterTheBlocksBeforeTheUnreadableTake)
{
    const std::vector<TakeDef> takes = {{.frames = 6 * blockFrames, .tfid = 1},
                                        {.start = 6 * blockFrames, .frames = 30000, .tfid = 2}};
    using Path = std::filesystem::path;
    const auto cutTo = [&](const Path& take, std::uint64_t frames, std::uint64_t had) {
        std::filesystem::resize_file(take, std::filesystem::file_size(take) - (had - frames) * 6);
    };
    struct Case {
        const char* what;
        std::size_t take;
        std::function<void(const Path&)> fault;
        FailureKind kind;
        int systemError;
        std::uint64_t frames; // kept in the output
    };
    const Case cases[] = {
        {"second take removed", 1, [](const Path& p) { std::filesystem::remove(p); },
         FailureKind::ReadTake, ENOENT, 6 * blockFrames},
        {"second take replaced by a folder", 1,
         [](const Path& p) { std::filesystem::remove(p), std::filesystem::create_directory(p); },
         FailureKind::ReadTake, EISDIR, 6 * blockFrames},
        {"second take cut short", 1, [&](const Path& p) { cutTo(p, 10000, 30000); },
         FailureKind::TakeChanged, 0, 6 * blockFrames},
        // The cut at frame 50000 lies inside the fourth block: the three before it are whole.
        {"first take cut short", 0, [&](const Path& p) { cutTo(p, 50000, 6 * blockFrames); },
         FailureKind::TakeChanged, 0, 3 * blockFrames},
        {"first take removed", 0, [](const Path& p) { std::filesystem::remove(p); },
         FailureKind::ReadTake, ENOENT, 0},
    };
    const Bytes expected = convertEach(referenceRender(takes, 48000), 24, 0).first;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ConformScene scene;
        ASSERT_TRUE(scene.prepare(takes, true, 0));
        c.fault(scene.dir.path() / "Audio Files" / takeName(c.take));
        const std::vector<Bytes> before = scene.sources(takes.size());
        EXPECT_FALSE(scene.project.run(scene.progress));
        const RunFailure& failure = scene.project.lastFailure();
        EXPECT_EQ(std::tuple(failure.kind, failure.fileName, failure.systemError),
                  std::tuple(c.kind, takeName(c.take), c.systemError));
        EXPECT_TRUE(scene.sources(takes.size()) == before);
        for (const TimelineSegment* s = scene.project.timeline()->first(); s; s = s->next)
            EXPECT_FALSE(s->cache.hasBuffer());
        if (c.frames == 0) // nothing to declare: the placeholder and nothing after it
            EXPECT_EQ(readFile(scene.out("L.wav")).size(), 1024u);
        else
            EXPECT_TRUE(scene.declaredData("L.wav") == prefix(expected, c.frames, 6));
    }
}

TEST_F(Conform, DualMonoRightFileThatCantBeCreatedTakesTheLeftOneAway)
{
    ASSERT_TRUE(prepare({{.frames = 3000}}, true, 4));
    EXPECT_FALSE(project.prepareDualMonoOutput(out("L2.wav"), out("missing/R.wav")));
    EXPECT_FALSE(std::filesystem::exists(out("L2.wav")));
    EXPECT_EQ(project.lastFailure().kind, FailureKind::CreateOutput);
    EXPECT_EQ(project.lastFailure().fileName, "R.wav");
    EXPECT_EQ(project.lastFailure().systemError, ENOENT);
    EXPECT_FALSE(project.run(progress)) << "no output may stay prepared";
}

} // namespace tabrix::testing
