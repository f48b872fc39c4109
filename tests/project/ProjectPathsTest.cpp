#include "audio/PlatformFs.h"
#include "WrittenWav.h"
#include "audio/Types.h"
#include "project/ConformProject.h"

#include "LongPaths.h"
#include "RiffBuilder.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <string>
#include <system_error>

using namespace tabrix;
using namespace tabrix::testing;

// Names that only reach Windows as UTF-16, and folders deeper than its 260-character limit,
// load and conform like any other; the output keeps the take's samples between the fades.
TEST(ProjectPaths, UnicodeNamesAndPathsPast260CharactersLoadAndConform)
{
    constexpr std::uint64_t frames = 4800;
    constexpr std::size_t fadeBytes = 1024 * 6; // 48 kHz fade length, 24-bit stereo
    struct Case { std::size_t minProjectChars; std::string project, take, output; };
    const Case cases[] = {
        {0, "Projet été 東京", "Tàke ünï 场景 テイク 🎙.wav", "Conformé 混音.wav"},
        {300, "Project", "Take 1.wav", "Conformed.wav"},
        {300, "Projet été 東京", "Tàke 场景.WAV", "混音.wav"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.take);
        TempDir dir;
        const auto project =
            makeDeepFolder(dir.path() / pathFromUtf8(c.project), c.minProjectChars);
        ASSERT_GE(project.native().size(), c.minProjectChars);
        const auto audioFiles = project / "Audio Files";
        std::filesystem::create_directory(platform::longPath(audioFiles));
        const Bytes data = constantFrames(2, 24, frames, 0x1000, true);
        writeFile(platform::longPath(audioFiles / pathFromUtf8(c.take)),
                  takeBytes({.timeReference = 10ull * 3600 * 48000, .data = data}));

        ConformProject conform;
        ASSERT_TRUE(conform.load(utf8FromPath(project)));
        conform.setOutputOptions(true, 0);
        const auto output = project / pathFromUtf8(c.output);
        ASSERT_TRUE(conform.prepareOutput(utf8FromPath(output)));
        std::atomic<double> progress{0.0};
        ASSERT_TRUE(conform.run(progress));

        const WrittenWav written = readWrittenWav(platform::longPath(output));
        EXPECT_TRUE(written.wellFormed);
        ASSERT_EQ(written.data.size(), data.size());
        EXPECT_TRUE(std::equal(written.data.begin() + fadeBytes, written.data.end() - fadeBytes,
                               data.begin() + fadeBytes));
        std::error_code ignored; // the deep chain is out of reach of the ordinary spelling
        std::filesystem::remove_all(platform::longPath(dir.path()), ignored);
    }
}

// A folder "Scene 5." copied from a card is that folder, not "Scene 5": Windows' own path
// handling strips a trailing dot or space, the platform layer must not.
TEST(ProjectPaths, NamesEndingInADotOrASpaceAreReachedAsTheyAre)
{
    TempDir dir;
    // Such names are out of reach of the ordinary spelling the folder's own clean-up uses, and
    // Windows lists no folder in the verbatim one: each goes by name before the folder does,
    // also when a check fails.
    struct RemovedByName {
        const TempDir& dir;
        ~RemovedByName()
        {
            for (const char* name : {"Scene 5./Mix.", "Scene 5./Audio Files/Take 1.wav",
                                     "Scene 5./Audio Files", "Scene 5.", "Scene 6 /Mix.",
                                     "Scene 6 /Audio Files/T 2 .wav", "Scene 6 /Audio Files",
                                     "Scene 6 "}) {
                std::filesystem::path path = dir.path();
                for (const auto& part : pathFromUtf8(name))
                    path /= part;
                std::error_code ignored;
                std::filesystem::remove(verbatimPath(path), ignored);
            }
        }
    } removedByName{dir};
    for (const char* project : {"Scene 5.", "Scene 5", "Scene 6 "})
        std::filesystem::create_directories(
            verbatimPath(dir.path() / pathFromUtf8(project) / "Audio Files"));
    const Bytes data = constantFrames(2, 24, 4800, 0x1000, true);
    for (const auto& [project, take] :
         {std::pair{"Scene 5.", "Take 1.wav"}, {"Scene 6 ", "T 2 .wav"}})
        writeFile(verbatimPath(dir.path() / pathFromUtf8(project) / "Audio Files" / take),
                  takeBytes({.timeReference = 10ull * 3600 * 48000, .data = data}));
    for (const char* project : {"Scene 5.", "Scene 6 "}) {
        SCOPED_TRACE(project);
        ConformProject conform;
        ASSERT_TRUE(conform.load(utf8FromPath(dir.path() / pathFromUtf8(project))));
        EXPECT_EQ(conform.takes().count(), 1u);
        conform.setOutputOptions(true, 0);
        const auto output = dir.path() / pathFromUtf8(project) / "Mix.";
        ASSERT_TRUE(conform.prepareOutput(utf8FromPath(output)));
        std::atomic<double> progress{0.0};
        ASSERT_TRUE(conform.run(progress));
        const WrittenWav written = readWrittenWav(verbatimPath(output));
        EXPECT_TRUE(written.wellFormed);
        EXPECT_EQ(written.data.size(), data.size());
    }
    EXPECT_FALSE(std::filesystem::exists(verbatimPath(dir.path() / "Scene 5" / "Mix")));
}
