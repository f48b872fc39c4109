#include "audio/PlatformFs.h"
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

        const Bytes written = readFile(platform::longPath(output));
        ASSERT_EQ(written.size(), 1024 + data.size());
        EXPECT_TRUE(std::equal(written.begin() + 1024 + fadeBytes, written.end() - fadeBytes,
                               data.begin() + fadeBytes));
        std::error_code ignored; // the deep chain is out of reach of the ordinary spelling
        std::filesystem::remove_all(platform::longPath(dir.path()), ignored);
    }
}
