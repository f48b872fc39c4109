#include "FakeDialogs.h"

#include "app/ProjectLocation.h"

#include <gtest/gtest.h>

using namespace tabrix;
using namespace tabrix::testing;
using Texts = std::vector<std::string>;

// A folder is the project; a take opens its project; anything else says why nothing opened.
TEST(ProjectLocation, AFolderOrATakeLeadsToItsProjectAnythingElseSaysWhyNot)
{
    TempDir dir;
    const std::string project = writeTake(dir, "Day 1");
    dir.write("Card/A001.WAV", takeBytes({.data = Bytes(12)}));
    dir.write("Day 1/notes.txt", Bytes{'x'});
    dir.write("Loose/Audio Files.wav", Bytes{'x'}); // a file named like the folder
    // In the platform's own separators, as a found folder is given back.
    const auto at = [&](const std::filesystem::path& relative) {
        return utf8FromPath((dir.path() / relative).make_preferred());
    };
    struct Case { std::string dropped; std::string folder, name, refusal; };
    const Case cases[] = {
        {project, project, "Day 1", ""},
        {project + "/", project, "Day 1", ""},
        {at("Day 1/Audio Files/1728000000.wav"), project, "Day 1", ""},
        {at("Day 1/Audio Files"), at("Day 1/Audio Files"), "Audio Files", ""},
        {at("Card/A001.WAV"), at("Card"), "Card", ""}, // a card holds its takes itself
        {at("Loose/Audio Files.wav"), at("Loose"), "Loose", ""},
        {at("Day 1/notes.txt"), "", "",
         "notes.txt is neither a folder nor a WAV file, so no project was opened. Drop a project "
         "folder, or one of its WAV takes."},
        {at("gone.wav"), "", "", at("gone.wav") + " can't be found."},
        {"", "", "", "Nothing was given to open. Drop a project folder, or one of its WAV takes."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dropped);
        const ProjectLocation location = ProjectLocation::of(c.dropped);
        EXPECT_EQ(location.found(), c.refusal.empty());
        EXPECT_EQ(location.folder, c.folder);
        EXPECT_EQ(location.displayName, c.name);
        EXPECT_EQ(location.refusal, c.refusal);
    }
    EXPECT_EQ(ProjectLocation::ofDrop({project, at("Card")}).refusal,
              "2 items were dropped; a project is opened from one. Drop a project folder, or one "
              "of its WAV takes.");
    EXPECT_EQ(ProjectLocation::ofDrop({project}).folder, project);
}

TEST(ProjectLocation, ADropOrTheProgramsArgumentOpensTheProjectOrSaysWhyNot)
{
    TempDir dir;
    const std::string project = writeTake(dir, "Dropped");
    const std::string take = utf8FromPath(dir.path() / "Dropped" / "Audio Files" /
                                          "1728000000.wav");
    const std::string text = utf8FromPath(dir.path() / "readme.txt");
    dir.write("readme.txt", Bytes{'x'});
    // The program's arguments: only the first one counts.
    struct Case { Texts items; bool dropOpens, startOpens; };
    const Case cases[] = {{{take}, true, true}, {{project}, true, true}, {{text}, false, false},
                          {{project, take}, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.items.front());
        Window dropped, started;
        EXPECT_EQ(dropped.dialog.onDrop(c.items), c.dropOpens);
        started.dialog.onStartArguments(c.items);
        for (const auto& [window, opens] : {std::pair{&dropped, c.dropOpens},
                                            std::pair{&started, c.startOpens}}) {
            EXPECT_EQ(window->shown.conformEnabled, opens);
            EXPECT_EQ(window->dialog.projectName(), opens ? "Dropped" : "");
            EXPECT_EQ(window->services.messages.size(), opens ? 0u : 1u);
            if (!opens) {
                EXPECT_EQ(window->services.messages.front().rfind(MainDialog::notOpenedTitle, 0),
                          0u);
            }
        }
    }
    Window window;
    window.dialog.onStartArguments({});
    EXPECT_EQ(window.shown.projectPath, "");
    EXPECT_TRUE(window.services.messages.empty());
}
