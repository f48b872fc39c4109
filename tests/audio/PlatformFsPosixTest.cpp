#include "audio/PlatformFs.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace tabrix;
using namespace tabrix::testing;

// A link that leads nowhere still stands where an output would go: writing through it would
// create a file elsewhere.
TEST(FolderChecksPosix, ALinkLeadingNowhereExists)
{
    TempDir dir;
    const auto file = dir.write("a.wav", Bytes(5));
    ASSERT_EQ(symlink(file.c_str(), (dir.path() / "link.wav").c_str()), 0);
    ASSERT_EQ(symlink((dir.path() / "gone.wav").c_str(), (dir.path() / "dangling.wav").c_str()), 0);
    ASSERT_EQ(mkfifo((dir.path() / "pipe.wav").c_str(), 0600), 0);
    struct Case { const char* name; bool exists; };
    constexpr Case cases[] = {
        {"link.wav", true}, {"dangling.wav", true}, {"pipe.wav", true}, {"gone.wav", false}};
    for (const Case& c : cases)
        EXPECT_EQ(platform::exists(dir.path() / c.name), c.exists) << c.name;
}
