#include "audio/PlatformFs.h"
#include "audio/Types.h"

#include "LongPaths.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

using namespace tabrix;
using namespace tabrix::testing;

namespace {

#ifdef _WIN32
constexpr bool namesFoldCase = true;
#else
constexpr bool namesFoldCase = false;
#endif

// Names whose UTF-16 form needs more than one unit per character, or surrogate pairs.
const std::string accented = "Tàke ünïcode é";
const std::string cjk = "场景 テイク 1 🎙";

} // namespace

TEST(FolderListing, GivesUnicodeNamesExactlyAndMarksSubfolders)
{
    TempDir dir;
    const auto deep = makeDeepFolder(dir.path(), 300);
    for (const auto& folder : {dir.path(), deep}) {
        SCOPED_TRACE(folder.native().size());
        writeFile(platform::longPath(folder / pathFromUtf8(accented + ".wav")), {1});
        writeFile(platform::longPath(folder / pathFromUtf8(cjk + ".WAV")), {2});
        std::filesystem::create_directory(platform::longPath(folder / pathFromUtf8(cjk)));
        std::vector<platform::FolderEntry> entries = platform::listFolder(folder);
        std::sort(entries.begin(), entries.end(),
                  [](const auto& a, const auto& b) { return a.name < b.name; });
        std::vector<std::tuple<std::string, bool, bool>> seen; // name, folder, regular file
        for (const auto& entry : entries)
            if (entry.name.rfind("level ", 0) != 0) // the deep chain's own next level
                seen.emplace_back(entry.name, entry.isFolder, entry.isRegularFile);
        const std::vector<std::tuple<std::string, bool, bool>> expected = {
            {accented + ".wav", false, true}, {cjk, true, false}, {cjk + ".WAV", false, true}};
        EXPECT_EQ(seen, expected);
    }
    EXPECT_TRUE(platform::listFolder(dir.path() / "missing").empty());
}

TEST(FolderChecks, SeeFoldersAndFilesAndRemoveFilesPast260Characters)
{
    TempDir dir;
    const auto deep = makeDeepFolder(dir.path(), 300);
    const auto file = deep / pathFromUtf8(cjk + ".wav");
    writeFile(platform::longPath(file), {1, 2, 3});
    struct Case {
        std::filesystem::path path;
        bool isFolder, exists;
    };
    const Case cases[] = {{deep, true, true}, {file, false, true}, {deep / "missing", false, false}};
    for (const Case& c : cases) {
        EXPECT_EQ(platform::isFolder(c.path), c.isFolder) << c.path;
        EXPECT_EQ(platform::exists(c.path), c.exists) << c.path;
    }
    EXPECT_TRUE(platform::removeFile(file));
    EXPECT_FALSE(platform::removeFile(file)) << "already gone";
    EXPECT_TRUE(platform::listFolder(deep).empty());
}

TEST(FileIdentity, SameFileHoweverSpeltAndOnlyThat)
{
    TempDir dir;
    const auto deep = makeDeepFolder(dir.path(), 300);
    const auto take = dir.write("Audio Files/" + cjk + ".wav", {1, 2, 3});
    const auto twin = dir.write("Audio Files/twin.wav", {1, 2, 3});
    writeFile(platform::longPath(deep / "deep.wav"), {1});
    std::error_code linkError;
    std::filesystem::create_hard_link(take, dir.path() / "link.wav", linkError);
    ASSERT_FALSE(linkError) << linkError.message();
    const auto upper = dir.path() / "AUDIO FILES" / pathFromUtf8(cjk + ".WAV");

    struct Case { std::filesystem::path a, b; bool same; };
    const Case cases[] = {
        {take, dir.path() / "x" / ".." / "Audio Files" / pathFromUtf8(cjk + ".wav"), true},
        {take, dir.path() / "link.wav", true}, // another name for the same data
        {take, twin, false},                   // equal bytes, another file
        {take, dir.path() / "missing.wav", false},
        {dir.path() / "new.wav", dir.path() / "." / "new.wav", true}, // neither exists yet
        {take, upper, namesFoldCase},
        {dir.path() / "new.wav", dir.path() / "NEW.wav", namesFoldCase},
        {deep / "deep.wav", deep / ".." / deep.filename() / "deep.wav", true},
        {deep / "deep.wav", take, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.a << " | " << c.b);
        EXPECT_EQ(platform::sameFile(c.a, c.b), c.same);
        EXPECT_EQ(platform::sameFile(c.b, c.a), c.same);
    }
}

TEST(VolumeSpace, AnswersForExistingFoldersOfAnyNameOnly)
{
    TempDir dir;
    const auto deep = makeDeepFolder(dir.path() / pathFromUtf8(cjk), 300);
    for (const auto& folder : {dir.path(), deep}) {
        SCOPED_TRACE(folder.native().size());
        const std::optional<platform::VolumeBytes> space = platform::volumeSpace(folder);
        ASSERT_TRUE(space.has_value());
        EXPECT_GT(space->capacityBytes, 0u);
        EXPECT_LE(space->availableBytes, space->capacityBytes);
    }
    EXPECT_FALSE(platform::volumeSpace(dir.path() / "missing").has_value());
}

#ifdef _WIN32
// The verbatim form must already be absolute and normalised: Windows passes it on untouched.
TEST(LongPathForm, IsAbsoluteNormalisedAndVerbatim)
{
    struct Case { std::wstring path, expected; };
    const Case cases[] = {
        {L"C:\\a\\..\\b/c.wav", L"\\\\?\\C:\\b\\c.wav"},
        {L"\\\\server\\share\\d\\.\\x.wav", L"\\\\?\\UNC\\server\\share\\d\\x.wav"},
        {L"\\\\?\\C:\\a\\..\\b", L"\\\\?\\C:\\a\\..\\b"},
        {L"x.wav", L"\\\\?\\" + std::filesystem::current_path().wstring() + L"\\x.wav"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(platform::longPath(c.path).wstring(), c.expected);
}
#endif
