#include "FakeDialogs.h"
#include "ListingFault.h"

#include "frontend/ProblemText.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace tabrix::testing {
namespace {

// A take folder the system fails to list to its end is refused in the summary line with the
// system's reason, with nothing to plan or conform, never shown as a shorter project.
TEST(ProjectChoicePosix, AListingBrokenOffPartwayIsRefusedWithTheSystemsReason)
{
    TempDir dir;
    for (const std::uint64_t start : {0u, 10000u, 20000u})
        writeTake(dir, "Card", 48000, 4800, start);
    Window window;
    failNextListing(2 + 1, EIO); // ".", ".." and one take
    EXPECT_FALSE(window.dialog.openProject(utf8FromPath(dir.path() / "Card"), "Card"));
    EXPECT_EQ(window.shown.summaryText, "The folder " +
                                            utf8FromPath(dir.path() / "Card" / "Audio Files") +
                                            " can't be read: " + systemErrorText(EIO) + ".");
    EXPECT_TRUE(window.shown.refused);
    EXPECT_FALSE(window.shown.conformEnabled);
    EXPECT_TRUE(window.shown.plan.empty());
    EXPECT_EQ(window.shown.takesText, "0 takes, 0 skipped");
}

} // namespace
} // namespace tabrix::testing
