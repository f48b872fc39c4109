// The Windows views driven through their own controls: run under Wine on a virtual display by
// tools/windows/window-test.sh, which also compares the conformed file with the Linux build's.
#include "FakeDialogs.h"
#include "WrittenWav.h"
#include "WindowDriver.h"

#include "DetailsDialogView.h"
#include "MainDialogView.h"
#include "PlanStripView.h"
#include "ProgressDialogView.h"
#include "WideText.h"
#include "Win32DialogServices.h"
#include "app/ThreadWorker.h"
#include "frontend/ProjectSummary.h"

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace tabrix;
using namespace tabrix::testing;
using namespace tabrix::win32;

namespace {

constexpr std::uint64_t ten = 10ull * 3600 * 48000;

// Writes the project every window test conforms: an older take split by a newer one, a gap,
// a second piece of the first recording, and audio that differs frame by frame.
std::string writeDay(const std::filesystem::path& root, const std::string& name)
{
    struct Piece {
        const char* file;
        std::uint64_t start, frames;
        const char* time;
        int tfid;
    };
    constexpr Piece pieces[] = {{"A.wav", 0, 96000, "10:00:00", 1},
                                {"B.wav", 48000, 24000, "11:00:00", 2},
                                {"C.wav", 120000, 40000, "10:00:05", 1}};
    const std::filesystem::path folder = root / pathFromUtf8(name) / "Audio Files";
    std::filesystem::create_directories(folder);
    for (const Piece& p : pieces)
        writeFile(folder / p.file,
                  takeBytes({.timeReference = ten + p.start,
                             .time = p.time,
                             .tfid = p.tfid,
                             .data = constantFrames(2, 24, p.frames, int(p.start) + 7, true)}));
    return utf8FromPath(root / pathFromUtf8(name));
}

std::string textOf(HWND control)
{
    return windowTextOf(control);
}

void click(HWND button)
{
    SendMessageW(button, BM_CLICK, 0, 0);
}

// The folder given by the script for the files it compares with the Linux build; a fresh
// temporary one otherwise.
std::filesystem::path outputFolder(const TempDir& dir)
{
    const char* given = std::getenv("TABRIX_WINDOW_TEST_OUT");
    return given != nullptr && *given != '\0' ? pathFromUtf8(given) : dir.path();
}

// Scripted file dialogs around the real progress window and its worker thread. With
// `closeWhileRunning` the window is closed once the run has started, which cancels it; a take
// named in `removeBeforeRun` goes missing once the output is prepared, which fails the run.
struct DrivenProgress : FakeServices {
    void runProgress(ConformProject& project, const ProgressJob& job) override
    {
        if (!removeBeforeRun.empty())
            std::filesystem::remove(removeBeforeRun);
        ThreadWorker worker;
        ProgressDialogView view(project, worker, job);
        ASSERT_TRUE(view.open(nullptr));
        EXPECT_EQ(textOf(view.handle()), "Converting...");
        // A stray Enter never stops a running conform. The window learns of the run's end only
        // from a posted message, which no key press handles, so it is still running here.
        SetFocus(view.button());
        pressKey(VK_RETURN);
        EXPECT_EQ(view.logic().state(), ProgressState::Running);
        if (closeWhileRunning) {
            // The close follows the first progress at once: the run is listening, and has
            // hundreds of blocks still to go.
            ASSERT_TRUE(pumpUntil([&] { return view.progressPercent() > 0.0; }));
            SendMessageW(view.handle(), WM_CLOSE, 0, 0);
            EXPECT_TRUE(view.isOpen()); // a running conform can't be closed, only cancelled
            EXPECT_EQ(textOf(view.handle()), "Cancelling...");
        }
        ASSERT_TRUE(pumpUntil([&] { return view.logic().ended(); }));
        title = textOf(view.handle());
        message = textOf(view.messageLine());
        barPosition = int(SendMessageW(view.bar(), PBM_GETPOS, 0, 0));
        EXPECT_EQ(textOf(view.button()), "OK");
        EXPECT_TRUE(view.workerJoined());
        SetFocus(view.button());
        pressKey(VK_RETURN); // Enter is "OK" once the conform has ended
        EXPECT_FALSE(view.isOpen());
    }
    bool closeWhileRunning = false;
    std::filesystem::path removeBeforeRun;
    std::string title, message;
    int barPosition = -1;
};

} // namespace

TEST(Win32MainWindow, StartsAt16BitStereoAndEachClickRebuildsTheSummary)
{
    TempDir dir;
    FakeServices services;
    services.folder = {1, writeTake(dir, "Proj"), "Proj"};
    MainDialogView view(&services);
    ASSERT_TRUE(view.created());
    ASSERT_EQ(view.widthButtonCount(), widthChoiceTexts().size());
    ASSERT_EQ(view.channelButtonCount(), channelChoiceTexts().size());
    EXPECT_EQ(textOf(view.summaryLine()), "16 Bit, Stereo");
    EXPECT_FALSE(IsWindowEnabled(view.conformButton()));
    const std::pair<HWND, const char*> clicks[] = {
        {view.widthButton(1), "24 Bit, Stereo"},
        {view.channelButton(4), "24 Bit, Dual Mono"},
        {view.channelButton(2), "24 Bit, Mono Right"},
        {view.channelButton(3), "24 Bit, Mono Sum"},
        {view.widthButton(0), "16 Bit, Mono Sum"},
        {view.channelButton(1), "16 Bit, Mono Left"},
        {view.chooseButton(), "16 Bit, Mono Left, 48.0Khz, 10:00:00.00-10:00:00.10, 9.60 KB"},
        {view.widthButton(2), "32 Bit Float, Mono Left, 48.0Khz, 10:00:00.00-10:00:00.10, 19 KB"},
        {view.channelButton(5),
         "32 Bit Float, All Tracks (2), 48.0Khz, 10:00:00.00-10:00:00.10, 38 KB"},
        {view.channelButton(6),
         "32 Bit Float, Split Tracks (2), 48.0Khz, 10:00:00.00-10:00:00.10, 38 KB"},
    };
    for (const auto& [button, summary] : clicks) {
        click(button);
        EXPECT_EQ(textOf(view.summaryLine()), summary);
    }
    // Each group keeps exactly one button checked: the one the logic holds.
    for (std::size_t i = 0; i < view.channelButtonCount(); ++i)
        EXPECT_EQ(SendMessageW(view.channelButton(i), BM_GETCHECK, 0, 0) == BST_CHECKED, i == 6);
    EXPECT_EQ(textOf(view.pathLine()), services.folder.selectedPath);
    EXPECT_TRUE(IsWindowEnabled(view.conformButton()));
    EXPECT_EQ(textOf(view.takesLine()), "1 take, 0 skipped");
}

// The Conform button's own path: save dialog (scripted), checks, the real progress window and
// its worker; the file is left for the script to compare with the Linux build's.
TEST(Win32MainWindow, ConformsThroughTheProgressWindowOrStopsWhenItIsClosed)
{
    TempDir dir;
    const std::filesystem::path out = outputFolder(dir);
    const std::string day = writeDay(out, "Window Day");
    const std::string longer = writeTake(dir, "Long", 48000, 600 * 48000, 0, 1, 16);
    const std::string gone = writeTake(dir, "Gone");
    struct Case {
        std::string project;
        bool close;
        std::filesystem::path removed;
        const char* file;
        const char* title;
        const char* messageStart;
        std::uint32_t dataBytes; // what the file declares at the end
    };
    const Case cases[] = {
        {day, false, {}, "window.wav", "Conform Complete", "Complete: window.wav", 160000 * 6},
        {longer, true, {}, "cancelled.wav", "Conform Cancelled", "Cancelled after", 0},
        {gone, false, dir.path() / "Gone" / "Audio Files" / "1728000000.wav", "failed.wav",
         "Conform Failed", "Failed: cannot read take 1728000000.wav", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        std::filesystem::remove(out / c.file);
        DrivenProgress services;
        services.folder = {1, c.project, "P"};
        services.saves = {savedAs(out / c.file)};
        services.closeWhileRunning = c.close;
        services.removeBeforeRun = c.removed;
        MainDialogView view(&services);
        click(view.chooseButton());
        click(view.widthButton(1));
        click(view.conformButton());
        EXPECT_EQ(services.title, c.title);
        EXPECT_EQ(services.message.rfind(c.messageStart, 0), 0u) << services.message;
        // Full only when complete.
        EXPECT_EQ(services.barPosition == progressBarSteps, c.dataBytes > 0);
        // A valid file whatever the end: its header declares exactly the samples it holds.
        const WrittenWav written = readWrittenWav(out / c.file);
        EXPECT_TRUE(written.wellFormed);
        if (c.dataBytes > 0) {
            EXPECT_EQ(written.dataBytes, c.dataBytes);
        } else if (c.close) {
            EXPECT_GT(written.dataBytes, 0u) << "a cancel keeps what was written";
        }
        EXPECT_TRUE(services.messages.empty());
    }
    std::filesystem::remove(out / "cancelled.wav");
    std::filesystem::remove(out / "failed.wav");
}

// Enter presses the focused button, or conforms; Escape closes the window.
TEST(Win32MainWindow, EnterPressesTheFocusedButtonOrConformsAndEscapeCloses)
{
    TempDir dir;
    FakeServices services;
    services.folder = {2, "", ""};
    MainDialogView view(&services);
    ShowWindow(view.handle(), SW_SHOW);
    SetFocus(view.channelButton(0));
    pressKey(VK_RETURN); // nothing open: nothing to conform
    EXPECT_TRUE(services.asked.empty());
    EXPECT_TRUE(services.folderStarts.empty());

    SetFocus(view.chooseButton());
    pressKey(VK_RETURN);
    EXPECT_EQ(services.folderStarts.size(), 1u) << "Enter on Choose Project opens the chooser";

    ASSERT_TRUE(view.logic().openProject(writeTake(dir, "Keys"), "Keys"));
    SetFocus(view.channelButton(0));
    pressKey(VK_RETURN);
    EXPECT_EQ(services.asked, std::vector<std::string>{"Save the conformed file: Keys"});

    pressKey(VK_ESCAPE);
    EXPECT_EQ(view.handle(), nullptr);
}

// A folder dropped from the shell opens like a chosen one, a take opens its project, anything
// else says why it opened nothing; a Unicode name survives the trip.
TEST(Win32MainWindow, ADroppedFolderOrTakeOpensItsProjectAndKeepsItsUnicodeName)
{
    TempDir dir;
    const std::string project = writeDay(dir.path(), "Día 1 – Ωmega");
    const std::string other = writeDay(dir.path(), "Other");
    writeFile(dir.path() / "notes.txt", Bytes{1});
    FakeServices services;
    MainDialogView view(&services);
    const auto drop = [&](const std::string& path) {
        const std::wstring wide = wideFromUtf8(path);
        const std::size_t bytes = sizeof(DROPFILES) + (wide.size() + 2) * sizeof(wchar_t);
        HGLOBAL memory = GlobalAlloc(GHND, bytes);
        auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
        files->pFiles = sizeof(DROPFILES);
        files->fWide = TRUE;
        std::copy(wide.begin(), wide.end(), reinterpret_cast<wchar_t*>(files + 1));
        GlobalUnlock(memory);
        SendMessageW(view.handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
    };
    drop(project + "\\Audio Files\\A.wav");
    EXPECT_EQ(view.logic().projectName(), "Día 1 – Ωmega");
    EXPECT_EQ(textOf(view.pathLine()), project);
    EXPECT_TRUE(IsWindowEnabled(view.conformButton()));
    drop(utf8FromPath(dir.path() / "notes.txt"));
    EXPECT_EQ(view.logic().projectPath(), project) << "not a project: the open one stays";
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].rfind(MainDialog::notOpenedTitle, 0), 0u);
    drop(other);
    EXPECT_EQ(view.logic().projectName(), "Other");
}

// The program's argument opens its project as a drop would.
TEST(Win32MainWindow, OpensTheProjectGivenAsTheFirstArgument)
{
    TempDir dir;
    const std::string project = writeDay(dir.path(), "Argued");
    FakeServices services;
    MainDialogView view(&services);
    view.logic().onStartArguments({project});
    EXPECT_EQ(textOf(view.pathLine()), project);
    EXPECT_TRUE(IsWindowEnabled(view.conformButton()));
}

// The window can be made larger (the strip grows) but not smaller than its content, and opens
// at the size it had when it was last closed.
TEST(Win32MainWindow, GrowsItsStripAndOpensAtTheSizeItWasClosedAt)
{
    FakeServices services;
    WindowSize closedAt;
    int stripHeight = 0;
    {
        MainDialogView view(&services);
        RECT opened{};
        GetWindowRect(view.handle(), &opened);
        RECT strip{};
        GetWindowRect(view.planStrip().handle(), &strip);
        SetWindowPos(view.handle(), nullptr, 0, 0, 10, 10, SWP_NOMOVE | SWP_NOZORDER);
        // No smaller than the content: the strip at its least, Conform still inside.
        RECT least{}, conform{}, client{};
        GetWindowRect(view.planStrip().handle(), &least);
        EXPECT_EQ(least.bottom - least.top, view.planStrip().minimumHeight());
        GetWindowRect(view.conformButton(), &conform);
        MapWindowPoints(nullptr, view.handle(), reinterpret_cast<POINT*>(&conform), 2);
        GetClientRect(view.handle(), &client);
        EXPECT_LE(conform.bottom, client.bottom);
        const int grown = 200;
        SetWindowPos(view.handle(), nullptr, 0, 0, opened.right - opened.left + grown,
                     opened.bottom - opened.top + grown, SWP_NOMOVE | SWP_NOZORDER);
        RECT taller{};
        GetWindowRect(view.planStrip().handle(), &taller);
        EXPECT_GT(taller.right - taller.left, strip.right - strip.left);
        stripHeight = int(taller.bottom - taller.top);
        EXPECT_GE(stripHeight, int(strip.bottom - strip.top));
        closedAt = view.sizeInDips();
        SendMessageW(view.handle(), WM_CLOSE, 0, 0);
    }
    MainDialogView reopened(&services);
    EXPECT_EQ(reopened.sizeInDips(), closedAt);
}

TEST(Win32PlanStrip, PaintsTheVisibleBlocksInTheirColoursAndZoomsWithItsButtons)
{
    TempDir dir;
    FakeServices services;
    MainDialogView view(&services);
    ASSERT_TRUE(view.logic().openProject(writeDay(dir.path(), "S"), "S"));
    PlanStripView& strip = view.planStrip();
    const auto painted = [&] {
        RECT client{};
        GetClientRect(strip.handle(), &client);
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
        ReleaseDC(nullptr, screen);
        SelectObject(dc, bitmap);
        strip.paint(dc);
        return std::pair{dc, bitmap};
    };
    const auto [dc, bitmap] = painted();
    const RECT lane = strip.laneRect();
    const std::vector<PlanBlockShape> blocks = strip.logic().blockShapes();
    ASSERT_EQ(blocks.size(), 4u);
    for (const PlanBlockShape& block : blocks) {
        const int middle = lane.left + int((block.left + block.right) / 2);
        const PlanColour c = strip.plan().segments()[block.segment].colour;
        EXPECT_EQ(GetPixel(dc, middle, lane.bottom - 3), RGB(c.red, c.green, c.blue))
            << block.segment;
    }
    const std::vector<PlanGapShape> gaps = strip.logic().gapShapes();
    ASSERT_EQ(gaps.size(), 1u);
    const int gapMiddle = lane.left + int((gaps[0].left + gaps[0].right) / 2);
    EXPECT_EQ(strip.tooltipAt(gapMiddle).rfind("Silence, ", 0), 0u) << strip.tooltipAt(gapMiddle);
    const int firstMiddle = lane.left + int((blocks[0].left + blocks[0].right) / 2);
    EXPECT_EQ(strip.tooltipAt(firstMiddle).rfind("A.wav", 0), 0u);
    DeleteDC(dc);
    DeleteObject(bitmap);
    EXPECT_EQ(textOf(view.takesLine()), "3 takes, 0 skipped");

    // Shown whole: only zooming in can be done; in, the bar scrolls; "Fit All" shows it whole.
    EXPECT_FALSE(IsWindowEnabled(view.zoomOutButton()));
    EXPECT_FALSE(IsWindowEnabled(view.fitAllButton()));
    EXPECT_FALSE(IsWindowEnabled(view.planScrollBar()));
    click(view.zoomInButton());
    click(view.zoomInButton());
    EXPECT_FALSE(strip.logic().fitted());
    EXPECT_TRUE(IsWindowEnabled(view.planScrollBar()));
    SetFocus(strip.handle());
    pressKey(VK_END);
    EXPECT_GE(strip.logic().visibleEnd() + strip.logic().framesPerPixel(),
              double(strip.plan().end()));
    click(view.widthButton(1)); // an option keeps the zoom
    EXPECT_FALSE(strip.logic().fitted());
    click(view.fitAllButton());
    EXPECT_TRUE(strip.logic().fitted());
    EXPECT_FALSE(IsWindowEnabled(view.planScrollBar()));
}

TEST(Win32Details, ListsEverySectionInFullAndClosesOnEscape)
{
    DetailsContent content;
    content.intro = "Read from";
    content.folder = "C:\\Day 1\\Audio Files";
    content.sections = {{"Skipped files: 2",
                         {"File", "Reason"},
                         {{"Slate.wav", "no audio data"}, {"Phone Memo.wav", "compressed audio"}},
                         "None."},
                        {"Takes not used: 0", {"Take", "Would play", "Plays there"}, {}, "None."}};
    DetailsDialogView view(content);
    ASSERT_TRUE(view.open(nullptr));
    ASSERT_EQ(ListView_GetItemCount(view.list(0)), 2);
    for (int i = 0; i < 2; ++i)
        for (int column = 0; column < 2; ++column) {
            wchar_t text[64] = {};
            ListView_GetItemText(view.list(0), i, column, text, 64);
            EXPECT_EQ(utf8FromWide(text),
                      content.sections[0].rows[std::size_t(i)][std::size_t(column)]);
        }
    EXPECT_EQ(view.list(1), nullptr) << "an empty section says so instead";
    EXPECT_EQ(GetFocus(), view.list(0));
    pressKey(VK_ESCAPE);
    EXPECT_FALSE(view.isOpen());
}

// Remembered folders live in the registry and come back whole, whatever their letters.
TEST(Win32Settings, RemembersUnicodeValuesUnderItsKey)
{
    const std::wstring key = L"Software\\Tabrix\\Conform Test";
    Win32DialogServices services(nullptr, key);
    EXPECT_EQ(services.recall("lastProjectFolder"), "");
    const std::string folder = "C:\\Aufnahmen\\Día 1 – Ωmega\\" + std::string(300, 'x');
    services.remember("lastProjectFolder", folder);
    EXPECT_EQ(services.recall("lastProjectFolder"), folder);
    EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str()), ERROR_SUCCESS);
}

int main(int argc, char** argv)
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS |
                                                       ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    (void)CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
