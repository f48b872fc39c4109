// The Windows views driven through their own controls: run under Wine on a virtual display by
// tools/windows/window-test.sh, which also compares the conformed file with the Linux build's.
#include "FakeDialogs.h"
#include "WindowDriver.h"

#include "MainDialogView.h"
#include "PlanStripView.h"
#include "ProgressDialogView.h"
#include "SkippedFilesView.h"
#include "WideText.h"
#include "Win32DialogServices.h"
#include "audio/ByteOrder.h"
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
        ProgressDialogView view(project, job);
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
            EXPECT_EQ(textOf(view.handle()), "Conform Cancelled...");
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
        {day, false, {}, "window.wav", "Conform Complete...", "Complete: window.wav", 160000 * 6},
        {longer, true, {}, "cancelled.wav", "Conform Cancelled...", "Cancelled after", 0},
        {gone, false, dir.path() / "Gone" / "Audio Files" / "1728000000.wav", "failed.wav",
         "Conform Failed...", "Failed: cannot read take 1728000000.wav", 0},
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
        EXPECT_EQ(services.barPosition == 100, c.dataBytes > 0); // full only when complete
        const Bytes written = readFile(out / c.file);
        ASSERT_GE(written.size(), 1024u);
        // A valid file whatever the end: its header declares exactly the samples it holds.
        EXPECT_EQ(written.size(), 1024u + loadU32le(&written[1020]));
        if (c.dataBytes > 0) {
            EXPECT_EQ(loadU32le(&written[1020]), c.dataBytes);
        } else if (c.close) {
            EXPECT_GT(loadU32le(&written[1020]), 0u) << "a cancel keeps what was written";
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
    EXPECT_EQ(services.asked, std::vector<std::string>{"Choose Filename: Keys"});

    pressKey(VK_ESCAPE);
    EXPECT_EQ(view.handle(), nullptr);
}

// A folder dropped from the shell opens like a chosen one; a Unicode name survives the trip.
TEST(Win32MainWindow, ADroppedFolderOpensAndKeepsItsUnicodeName)
{
    TempDir dir;
    const std::string project = writeDay(dir.path(), "Día 1 – Ωmega");
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
    EXPECT_TRUE(view.logic().projectPath().empty()) << "a file is not a project folder";
    drop(project);
    EXPECT_EQ(view.logic().projectName(), "Día 1 – Ωmega");
    EXPECT_EQ(textOf(view.pathLine()), project);
    EXPECT_TRUE(IsWindowEnabled(view.conformButton()));
}

TEST(Win32PlanStrip, PaintsOneBlockPerSegmentInItsRecordingsColour)
{
    TempDir dir;
    FakeServices services;
    MainDialogView view(&services);
    ASSERT_TRUE(view.logic().openProject(writeDay(dir.path(), "S"), "S"));
    PlanStripView& strip = view.planStrip();
    RECT client{};
    GetClientRect(strip.handle(), &client);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    ReleaseDC(nullptr, screen);
    SelectObject(dc, bitmap);
    strip.paint(dc);

    const ConformPlan& plan = strip.plan();
    ASSERT_EQ(plan.segments().size(), 4u);
    ASSERT_EQ(strip.paintedBlocks().size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        const RECT block = strip.paintedBlocks()[i];
        const int middle = (block.left + block.right) / 2;
        const PlanColour c = plan.segments()[i].colour;
        EXPECT_EQ(GetPixel(dc, middle, block.bottom - 3), RGB(c.red, c.green, c.blue)) << i;
        EXPECT_EQ(strip.segmentAtX(middle), int(i));
    }
    const RECT third = strip.paintedBlocks()[2], fourth = strip.paintedBlocks()[3];
    EXPECT_EQ(strip.segmentAtX((third.right + fourth.left) / 2), -1); // the gap
    EXPECT_EQ(GetPixel(dc, (third.right + fourth.left) / 2, third.bottom - 3),
              GetSysColor(COLOR_WINDOW));
    DeleteDC(dc);
    DeleteObject(bitmap);
    EXPECT_EQ(textOf(view.takesLine()), "3 takes, 0 skipped");
    EXPECT_FALSE(IsWindowEnabled(view.detailsButton()));
}

TEST(Win32Details, ListsEverySkippedFileWithItsReasonAndClosesOnEscape)
{
    const std::vector<SkippedRow> rows = {{"Slate.wav", "no audio data"},
                                          {"Phone Memo.wav", "compressed audio"}};
    SkippedFilesView view(rows);
    ASSERT_TRUE(view.open(nullptr));
    ASSERT_EQ(ListView_GetItemCount(view.list()), 2);
    for (int i = 0; i < 2; ++i) {
        wchar_t text[64] = {};
        ListView_GetItemText(view.list(), i, 0, text, 64);
        EXPECT_EQ(utf8FromWide(text), rows[std::size_t(i)].fileName);
        ListView_GetItemText(view.list(), i, 1, text, 64);
        EXPECT_EQ(utf8FromWide(text), rows[std::size_t(i)].reason);
    }
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
