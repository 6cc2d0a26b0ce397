// The screen watch as the user meets it: a window of one colour (the colour_patch helper)
// lies under the watched area of a screen-mode setting started with "#". The frame and the
// note, the change that ends the watch with the capture and the command action, the
// clicks that cancel, and the screen saver's switch before, during and after the watch.
#include <gtest/gtest.h>

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "driver/mouse_driver.h"
#include "driver/system_state.h"

using namespace e2e;

namespace {
const DWORD kWait = 20000;
const wchar_t kSection[] = L"screen";
const wchar_t kPowerSchemeFailure[] = L"PowerGetActiveScheme Error Code =";
const COLORREF kGreen = RGB(40, 160, 90);
const COLORREF kBlue = RGB(20, 40, 220);
// The command action of every run (the settings file drops the quotes around it).
const wchar_t kCommand[] = L"cmd /c echo done>action.txt";
const UINT kSetPixel = WM_APP + 3;

// The screen shows the colour at the point.
bool ScreenShows(POINT at, COLORREF colour) {
    RECT one = {at.x, at.y, at.x + 1, at.y + 1};
    return GrabScreenPixels(one)[0] == Rgb(colour);
}

// The widest of the lines and their height together, in the menu font as the system gives
// it to every program.
SIZE TextSize(const std::vector<std::wstring>& lines) {
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = static_cast<UINT>(offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth));
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    HFONT font = CreateFontIndirectW(&metrics.lfMenuFont);
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    SIZE size = {0, 0};
    for (const std::wstring& line : lines) {
        SIZE extent = {0, 0};
        GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
        if (extent.cx > size.cx) size.cx = extent.cx;
        size.cy += extent.cy;
    }
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return size;
}

// The lines of text a window shows inside its one-pixel frame: runs of pixel rows with
// dark pixels, separated by rows without.
int ShownTextLines(const RECT& window) {
    long w = window.right - window.left, h = window.bottom - window.top;
    std::vector<DWORD> pixels = GrabScreenPixels(window);
    int lines = 0;
    bool inLine = false;
    for (long y = 1; y < h - 1; ++y) {
        bool dark = false;
        for (long x = 1; x < w - 1 && !dark; ++x) {
            DWORD p = pixels[static_cast<size_t>(y * w + x)];
            dark = ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 128;
        }
        if (dark && !inLine) ++lines;
        inLine = dark;
    }
    return lines;
}

POINT Centre(const RECT& r) {
    POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    return p;
}

// One screen-mode setting run from "#" over a colour patch 20 pixels larger than the area.
class ScreenRun {
public:
    ScreenRun(const RECT& area, int hold) : area_(area) {
        folder_.WriteSetting(kSection, L"WatchMode", 0);
        folder_.WriteSetting(kSection, L"ScrLeft", area.left);
        folder_.WriteSetting(kSection, L"ScrTop", area.top);
        folder_.WriteSetting(kSection, L"ScrRight", area.right);
        folder_.WriteSetting(kSection, L"ScrBottom", area.bottom);
        if (hold >= 0) folder_.WriteSetting(kSection, L"SSHold", hold);
        folder_.WriteSetting(kSection, L"Capture", 1);
        folder_.WriteSetting(kSection, L"Act", 1);
        folder_.WriteSetting(kSection, L"ParamCmd", std::wstring(L"\"") + kCommand + L"\"");
    }
    const TempFolder& Folder() const { return folder_; }
    Program& Tlr() { return tlr_; }

    // The patch: the area and 20 pixels around it.
    RECT PatchRect() const { return Rect(area_.left - 20, area_.top - 20, area_.right + 20, area_.bottom + 20); }

    void ShowPatch() {
        const RECT patch = PatchRect();
        wchar_t arguments[128];
        swprintf(arguments, 128, L"%ld %ld %ld %ld 28a05a", patch.left, patch.top, patch.right, patch.bottom);
        ASSERT_TRUE(patch_.Start(HelperPath(L"colour_patch"), arguments, folder_.Path()));
        patchWindow_ = patch_.WaitForWindowTitled(L"TLR colour patch", kWait);
        ASSERT_TRUE(patchWindow_) << "the colour patch shows no window";
        // Painted: both corners of the area show the patch.
        POINT first = {area_.left, area_.top}, last = {area_.right - 1, area_.bottom - 1};
        ASSERT_TRUE(WaitUntil([&] { return ScreenShows(first, kGreen) && ScreenShows(last, kGreen); }, kWait))
            << "the patch does not show; " << patch_.ShowsAt(patchWindow_, first).message();
    }
    // Gives one pixel of the screen (inside the patch) another colour and waits until the
    // screen shows it.
    ::testing::AssertionResult SetScreenPixel(POINT at, COLORREF colour) {
        ::testing::AssertionResult onTop = patch_.ShowsAt(patchWindow_, at);
        if (!onTop) return onTop;
        LPARAM where = MAKELPARAM(at.x - (area_.left - 20), at.y - (area_.top - 20));
        ::testing::AssertionResult sent = patch_.Send(patchWindow_, kSetPixel, colour, where);
        if (!sent) return sent;
        if (!WaitUntil([&] { return ScreenShows(at, colour); }, kWait))
            return ::testing::AssertionFailure() << "the pixel did not change on the screen";
        return ::testing::AssertionSuccess();
    }

    void Start() { ASSERT_TRUE(tlr_.Start(ProgramPath(), std::wstring(L"#") + kSection, folder_.Path())); }

    // Presses OK on every box of the program until the condition holds; returns false on
    // timeout. The texts of the boxes are kept.
    bool DismissBoxesUntil(const std::function<bool()>& done, DWORD timeoutMs) {
        return tlr_.DismissBoxesUntil(done, boxes, timeoutMs);
    }

    // Waits for the four frame bars and the note, answering the boxes before them, and
    // for the watch to run its loop: it pictures the area after it has shown them.
    ::testing::AssertionResult WaitForWatch() {
        if (!DismissBoxesUntil(
                [&] {
                    FindWatchWindows();
                    return frames.size() == 4 && note != nullptr;
                },
                kWait))
            return ::testing::AssertionFailure() << "no frame and note";
        return tlr_.TakesMessages(frames[0], kWait);
    }

    void FindWatchWindows() {
        frames.clear();
        note = nullptr;
        for (HWND w : tlr_.TopWindows()) {
            std::wstring cls = ClassName(w);
            if (cls == L"SCRWATCHWINCLASS") frames.push_back(w);
            if (cls == L"TLRSCRNOTE") note = w;
        }
    }

    bool WatchShown() {
        for (HWND w : frames) {
            if (!IsWindow(w) || !IsWindowVisible(w)) return false;
        }
        return note && IsWindow(note) && IsWindowVisible(note);
    }

    // Power-scheme failures shown so far; any other box is a fault.
    int PowerSchemeBoxes() const {
        int count = 0;
        for (const std::wstring& text : boxes) {
            if (text.compare(0, wcslen(kPowerSchemeFailure), kPowerSchemeFailure) == 0) {
                ++count;
            } else {
                ADD_FAILURE() << "unexpected box: " << Narrow(text);
            }
        }
        return count;
    }

    void ExpectFrameAroundArea() const {
        ASSERT_EQ(frames.size(), 4u);
        const RECT expected[4] = {
            Rect(area_.left - 2, area_.top - 2, area_.right + 2, area_.top),        // top
            Rect(area_.left - 2, area_.bottom, area_.right + 2, area_.bottom + 2),  // bottom
            Rect(area_.left - 2, area_.top - 2, area_.left, area_.bottom + 2),      // left
            Rect(area_.right, area_.top - 2, area_.right + 2, area_.bottom + 2),    // right
        };
        for (const RECT& bar : expected) {
            bool found = false;
            for (HWND w : frames) found = found || SameRect(WindowRect(w), bar);
            EXPECT_TRUE(found) << "no frame bar at " << Describe(bar);
        }
        for (HWND w : frames) EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
    }

    // The note holds its lines, each of which fits inside its frame, and shows as many
    // lines of text: the watch line, the hold line when the hold is on (no saved settings
    // under Wine, where the power scheme cannot be read), the command kind, the command
    // and the cancel line.
    void ExpectNoteFor(bool hold) const {
        ASSERT_TRUE(note);
        std::vector<std::wstring> lines = {L"Tollerup により枠の中を監視中"};
        if (hold) lines.push_back(L"スクリーンセーバ等抑止中");
        lines.push_back(L"動作：DOSコマンドを実行する");
        lines.push_back(kCommand);
        lines.push_back(L"キャンセルするにはこれをクリックしてください");
        SIZE text = TextSize(lines);
        RECT r = WindowRect(note);
        EXPECT_LE(text.cx, r.right - r.left - 2) << "a line is wider than the note";
        EXPECT_LE(text.cy, r.bottom - r.top) << "the lines are higher than the note";
        // The note lies over the patch's margin. Wine's virtual desktop may draw the patch
        // above it on the screen, although its own window order has the topmost note
        // above: the lines are counted on the part of the note beside the patch.
        RECT counted = r;
        const RECT patch = PatchRect();
        if (counted.left < patch.left && counted.right > patch.left) counted.right = patch.left;
        if (counted.left < patch.right && counted.right > patch.right) counted.left = patch.right;
        int shown = 0;
        bool allShown = WaitUntil(
            [&] {
                shown = ShownTextLines(counted);
                return shown == static_cast<int>(lines.size());
            },
            kWait);
        EXPECT_TRUE(allShown) << "the note shows " << shown << " lines of text, not " << lines.size();
        // The screen as the note was read: the diagnostics at the end come after the program.
        if (!allShown) SaveScreenshot(ArtifactsDir() + L"\\" + CurrentTestName() + L"-note.bmp");
    }

    // Waits for the end of the process, answering boxes; expects the exit code.
    void ExpectExit(DWORD expectedCode) {
        EXPECT_TRUE(DismissBoxesUntil([&] { return !tlr_.IsRunning(); }, 40000)) << "the program did not end";
        DWORD code = 99;
        ASSERT_TRUE(tlr_.WaitExit(1000, &code));
        EXPECT_EQ(code, expectedCode);
    }

    std::vector<HWND> frames;
    HWND note = nullptr;
    std::vector<std::wstring> boxes;

private:
    RECT area_;
    TempFolder folder_{L"tlr screen"};
    Program patch_;
    HWND patchWindow_ = nullptr;
    Program tlr_;
};

// A pixel of "Capture.bmp" (24 bits, bottom-up) as 0xRRGGBB.
class CaptureFile {
public:
    explicit CaptureFile(const std::string& bytes) : bytes_(bytes) {
        if (bytes_.size() < 54 || bytes_[0] != 'B' || bytes_[1] != 'M') return;
        width_ = Int(18);
        height_ = Int(22);
        stride_ = ((width_ * 24 + 31) / 32) * 4;
        valid_ = height_ > 0 && bytes_.size() >= 54 + static_cast<size_t>(stride_) * static_cast<size_t>(height_);
    }
    bool Valid() const { return valid_; }
    DWORD Pixel(int x, int y) const {
        size_t at =
            54 + static_cast<size_t>(height_ - 1 - y) * static_cast<size_t>(stride_) + static_cast<size_t>(x) * 3;
        const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes_.data()) + at;
        return (static_cast<DWORD>(p[2]) << 16) | (static_cast<DWORD>(p[1]) << 8) | p[0];
    }

private:
    int Int(size_t at) const {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes_.data()) + at;
        return static_cast<int>(p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<unsigned>(p[3]) << 24));
    }
    std::string bytes_;
    int width_ = 0, height_ = 0, stride_ = 0;
    bool valid_ = false;
};

// Every pixel of a line of the capture is black or white, and both occur: a dotted line.
void ExpectDottedLine(const CaptureFile& capture, int x0, int y0, int x1, int y1, const char* side) {
    int black = 0, white = 0, other = 0;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            DWORD p = capture.Pixel(x, y);
            if (p == 0) {
                ++black;
            } else if (p == 0xFFFFFF) {
                ++white;
            } else {
                ++other;
            }
        }
    }
    EXPECT_GT(black, 0) << side;
    EXPECT_GT(white, 0) << side;
    EXPECT_EQ(other, 0) << side;
}
}  // namespace

// The program ended, with neither the capture nor the command of the action.
void ExpectNoCaptureNorAction(ScreenRun& run) {
    EXPECT_FALSE(run.Folder().Exists(L"Capture.bmp"));
    EXPECT_EQ(run.Tlr().StartedProcesses(), 0) << "the program started a process";
    EXPECT_FALSE(run.Folder().Exists(L"action.txt"));
}

// With the hold on: frame and note, the screen saver off during the watch, and a left
// click on the note that cancels.
TEST(ScreenWatch, HoldOnShowsFrameAndNoteAndLeftClickOnTheNoteCancels) {
    ScreenSaverValue before(L"1");
    const RECT area = Rect(100, 100, 500, 400);
    ScreenRun run(area, -1);  // SSHold absent: on
    ASSERT_NO_FATAL_FAILURE(run.ShowPatch());
    ASSERT_NO_FATAL_FAILURE(run.Start());
    ASSERT_TRUE(run.WaitForWatch());
    // Under Wine the power scheme cannot be read nor set: reading and zeroing each report.
    if (RunsUnderWine()) {
        EXPECT_EQ(run.PowerSchemeBoxes(), 2);
    }
    run.ExpectFrameAroundArea();
    // Right of the area, tops aligned; the hold line, no earlier settings under Wine.
    RECT note = WindowRect(run.note);
    EXPECT_EQ(note.left, area.right);
    EXPECT_EQ(note.top, area.top);
    if (RunsUnderWine()) {
        run.ExpectNoteFor(true);
    }
    EXPECT_EQ(ReadScreenSaveActive(), L"0");

    size_t boxesBefore = run.boxes.size();
    ASSERT_TRUE(MouseClick(MouseButton::Left, Centre(note)));
    run.ExpectExit(0);
    if (RunsUnderWine()) {
        EXPECT_EQ(run.boxes.size() - boxesBefore, 1u);  // restoring reports once
    }
    run.PowerSchemeBoxes();
    ExpectNoCaptureNorAction(run);
    EXPECT_EQ(ReadScreenSaveActive(), L"1");
}

// With the hold off the screen saver is left alone; a right click cancels as well.
TEST(ScreenWatch, HoldOffLeavesTheScreenSaverAndRightClickOnTheNoteCancels) {
    ScreenSaverValue before(L"1");
    const RECT area = Rect(1500, 300, 1900, 700);
    ScreenRun run(area, 0);
    ASSERT_NO_FATAL_FAILURE(run.ShowPatch());
    ASSERT_NO_FATAL_FAILURE(run.Start());
    ASSERT_TRUE(run.WaitForWatch());
    if (RunsUnderWine()) {
        EXPECT_EQ(run.PowerSchemeBoxes(), 1);  // the time-outs are still read
    }
    run.ExpectFrameAroundArea();
    // Left of the area, tops aligned; no hold line.
    RECT note = WindowRect(run.note);
    EXPECT_EQ(note.right, area.left);
    EXPECT_EQ(note.top, area.top);
    run.ExpectNoteFor(false);
    EXPECT_EQ(ReadScreenSaveActive(), L"1");

    ASSERT_TRUE(MouseClick(MouseButton::Right, Centre(note)));
    run.ExpectExit(0);
    run.PowerSchemeBoxes();
    if (RunsUnderWine()) {
        EXPECT_EQ(run.boxes.size(), 1u);  // nothing to restore
    }
    ExpectNoCaptureNorAction(run);
    EXPECT_EQ(ReadScreenSaveActive(), L"1");
}

// A click on a bar of the frame does nothing; then one pixel changes, the last one of the
// area, and the watch ends: the capture with the outline and the action follow. (A
// click that cancelled would be taken before the next tick, which then could not end
// the watch. That the pixels just outside the area are not compared is tested on the
// picture itself, where no frame covers them.)
TEST(ScreenWatch, FrameClickDoesNothingAndTheAreasLastPixelEndsTheWatch) {
    ScreenSaverValue before(L"0");
    const RECT area = Rect(1400, 880, 1800, 1000);
    ScreenRun run(area, 1);
    ASSERT_NO_FATAL_FAILURE(run.ShowPatch());
    ASSERT_NO_FATAL_FAILURE(run.Start());
    ASSERT_TRUE(run.WaitForWatch());
    run.ExpectFrameAroundArea();
    // Above the area, left edges aligned.
    RECT note = WindowRect(run.note);
    EXPECT_EQ(note.left, area.left);
    EXPECT_EQ(note.bottom, area.top);
    EXPECT_EQ(ReadScreenSaveActive(), L"0");

    ASSERT_TRUE(MouseClick(MouseButton::Left, Centre(WindowRect(run.frames[0]))));
    const POINT last = {area.right - 1, area.bottom - 1};
    ASSERT_TRUE(run.SetScreenPixel(last, kBlue));

    ASSERT_TRUE(run.DismissBoxesUntil([&] { return run.Folder().Exists(L"action.txt"); }, 40000))
        << "the command action did not run";
    run.ExpectExit(0);
    if (RunsUnderWine()) {
        EXPECT_EQ(run.PowerSchemeBoxes(), 3);  // read, zero, restore
    }
    EXPECT_EQ(ReadScreenSaveActive(), L"0");

    CaptureFile capture(run.Folder().ReadBytes(L"Capture.bmp"));
    ASSERT_TRUE(capture.Valid()) << "no Capture.bmp";
    const int l = area.left, t = area.top, r = area.right, b = area.bottom;
    ExpectDottedLine(capture, l - 1, t - 1, r, t - 1, "top");
    ExpectDottedLine(capture, l - 1, b, r, b, "bottom");
    ExpectDottedLine(capture, l - 1, t - 1, l - 1, b, "left");
    ExpectDottedLine(capture, r, t - 1, r, b, "right");
    // Inside the area and outside the outline the patch shows, with the changed pixel.
    EXPECT_EQ(capture.Pixel(r - 1, b - 1), Rgb(kBlue));
    EXPECT_EQ(capture.Pixel(l, t), Rgb(kGreen));
    EXPECT_EQ(capture.Pixel(r - 2, b - 1), Rgb(kGreen));
    EXPECT_EQ(capture.Pixel(l - 2, t + 10), Rgb(kGreen));
    EXPECT_EQ(capture.Pixel(r + 1, t + 10), Rgb(kGreen));
}

// An area without width is refused before the hold is taken: no watch, no action.
TEST(ScreenWatch, AreaWithoutExtentIsRefused) {
    ScreenSaverValue before(L"1");
    ScreenRun run(Rect(300, 200, 300, 400), -1);
    ASSERT_NO_FATAL_FAILURE(run.Start());
    MessageBoxInfo box = run.Tlr().WaitForMessageBox(kWait);
    ASSERT_TRUE(box) << "no box";
    EXPECT_EQ(box.text, L"監視範囲に幅または高さがありません。画面範囲を指定し直してください");
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(ReadScreenSaveActive(), L"1");
    ASSERT_TRUE(PressButton(box.window, IDOK));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); }, kWait));
    run.ExpectExit(1);
    EXPECT_TRUE(run.boxes.empty()) << "a box after the refusal: " << Narrow(run.boxes.front());
    run.FindWatchWindows();
    EXPECT_TRUE(run.frames.empty());
    EXPECT_FALSE(run.Folder().Exists(L"Capture.bmp"));
    EXPECT_FALSE(run.Folder().Exists(L"action.txt"));
    EXPECT_EQ(ReadScreenSaveActive(), L"1");
}

// Two watches of different settings hold the screen saver at once (two shortcuts). The
// first is ended first, then the second: the screen saver stays off while either holds,
// and is what it was before either began once both have ended, whichever value that was.
namespace {
struct HoldingWatch {
    Program tlr;
    std::vector<std::wstring> boxes;
    HWND note = nullptr;

    bool WaitForWatch() {
        return tlr.DismissBoxesUntil(
            [&] {
                int frames = 0;
                note = nullptr;
                for (HWND w : tlr.TopWindows()) {
                    std::wstring cls = ClassName(w);
                    if (cls == L"SCRWATCHWINCLASS") ++frames;
                    if (cls == L"TLRSCRNOTE") note = w;
                }
                return frames == 4 && note != nullptr;
            },
            boxes, kWait);
    }
    // Cancels with a click on the note and waits for the end, answering the boxes.
    void Cancel() {
        ASSERT_TRUE(PostMessageW(note, WM_LBUTTONUP, 0, MAKELPARAM(2, 2)));
        EXPECT_TRUE(tlr.DismissBoxesUntil([&] { return !tlr.IsRunning(); }, boxes, 40000)) << "the watch did not end";
        DWORD code = 99;
        ASSERT_TRUE(tlr.WaitExit(1000, &code));
        EXPECT_EQ(code, 0u);
        for (const std::wstring& text : boxes) {
            EXPECT_EQ(text.compare(0, wcslen(kPowerSchemeFailure), kPowerSchemeFailure), 0)
                << "unexpected box: " << Narrow(text);
        }
    }
};
}  // namespace

TEST(ScreenWatch, TwoHoldsGiveBackTheUsersScreenSaverWhenTheLastEnds) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    // Two still corners of the screen, far from each other's notes and from the boxes.
    const RECT areas[2] = {Rect(5, 5, 55, 55), Rect(width - 60, height - 60, width - 10, height - 10)};
    const wchar_t* sections[2] = {L"first", L"second"};
    for (const wchar_t* start : {L"1", L"0"}) {
        SCOPED_TRACE(Narrow(std::wstring(L"ScreenSaveActive was ") + start));
        ScreenSaverValue before(start);
        TempFolder folder(L"tlr holds");
        for (int i = 0; i < 2; ++i) {
            folder.WriteSetting(sections[i], L"WatchMode", 0);
            folder.WriteSetting(sections[i], L"ScrLeft", areas[i].left);
            folder.WriteSetting(sections[i], L"ScrTop", areas[i].top);
            folder.WriteSetting(sections[i], L"ScrRight", areas[i].right);
            folder.WriteSetting(sections[i], L"ScrBottom", areas[i].bottom);
            folder.WriteSetting(sections[i], L"SSHold", 1);
            folder.WriteSetting(sections[i], L"Act", 3);
        }
        HoldingWatch watches[2];
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(watches[i].tlr.Start(ProgramPath(), std::wstring(L"#") + sections[i], folder.Path()));
            ASSERT_TRUE(watches[i].WaitForWatch()) << "watch " << i << " did not start";
            EXPECT_EQ(ReadScreenSaveActive(), L"0") << "watch " << i << " runs with the screen saver on";
        }
        ASSERT_NO_FATAL_FAILURE(watches[0].Cancel());
        EXPECT_EQ(ReadScreenSaveActive(), L"0") << "the screen saver came back while the second watch holds";
        ASSERT_NO_FATAL_FAILURE(watches[1].Cancel());
        EXPECT_EQ(ReadScreenSaveActive(), start) << "the user's screen saver did not come back";
    }
}
