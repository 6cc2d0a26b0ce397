// The watcher on the real desktop: a window of this test, of one colour, lies under the
// watched area and changes colour.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/handles.h"
#include "common/box_recorder.h"
#include "watch/screen_geometry.h"
#include "watch/screen_picture.h"
#include "watch/screen_watcher.h"

namespace {
const wchar_t kPatchClass[] = L"TlrTestColourPatch";
const COLORREF kGreen = RGB(40, 160, 90);
const COLORREF kRed = RGB(200, 30, 30);
const COLORREF kBlue = RGB(0, 0, 255);
COLORREF g_patchColour = kGreen;
// Single pixels of another colour, in screen coordinates.
struct ScreenPixel {
    POINT at;
    COLORREF colour;
};
std::vector<ScreenPixel> g_patchPixels;

LRESULT CALLBACK PatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        UniqueGdi<HBRUSH> brush(CreateSolidBrush(g_patchColour));
        FillRect(dc, &paint.rcPaint, brush.Get());
        for (const ScreenPixel& pixel : g_patchPixels) {
            POINT at = pixel.at;
            ScreenToClient(window, &at);
            SetPixelV(dc, at.x, at.y, pixel.colour);
        }
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Dispatches this thread's messages except timer messages, so that no watcher ticks on
// its own while a test changes the screen.
void PumpWithoutTimers() {
    MSG msg;
    for (UINT first : {0u, static_cast<UINT>(WM_TIMER + 1)}) {
        UINT last = first == 0 ? WM_TIMER - 1 : 0xFFFFFFFFu;
        while (PeekMessageW(&msg, nullptr, first, last, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            DispatchMessageW(&msg);
        }
    }
}

void Pump(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            DispatchMessageW(&msg);
        }
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

// The screen shows the colour at every point.
bool ScreenShows(const std::vector<POINT>& points, COLORREF colour) {
    WindowDc screen(nullptr);
    for (const POINT& p : points) {
        if (GetPixel(screen.Get(), p.x, p.y) != colour) return false;
    }
    return true;
}

// Waits, without timer messages, until the screen shows the colour at every point.
bool WaitForScreen(const std::vector<POINT>& points, COLORREF colour) {
    for (int i = 0; i < 500; ++i) {
        PumpWithoutTimers();
        if (ScreenShows(points, colour)) return true;
        Sleep(20);
    }
    return false;
}

// The quit code that a tick posted, or -1 when none was posted.
int TakePostedQuit() {
    MSG msg;
    if (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return static_cast<int>(msg.wParam);
    return -1;
}

bool Eventually(const std::function<bool()>& condition) {
    for (int i = 0; i < 100; ++i) {
        if (condition()) return true;
        Pump(20);
    }
    return false;
}

// A top-most window of one colour, 20 pixels larger than the area on every side.
class ColourPatch {
public:
    explicit ColourPatch(const RECT& area) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = PatchProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kPatchClass;
        RegisterClassW(&windowClass);
        g_patchColour = kGreen;
        g_patchPixels.clear();
        window_.Reset(CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kPatchClass, L"", WS_POPUP | WS_VISIBLE,
                                      area.left - 20, area.top - 20, area.right - area.left + 40,
                                      area.bottom - area.top + 40, nullptr, nullptr, GetModuleHandleW(nullptr),
                                      nullptr));
        UpdateWindow(window_.Get());
        Pump(300);
    }
    void SetColour(COLORREF colour) {
        g_patchColour = colour;
        g_patchPixels.clear();
        Repaint();
    }
    // One pixel of the screen (within the patch) in another colour.
    void SetPixel(POINT at, COLORREF colour) {
        g_patchPixels.push_back({at, colour});
        Repaint();
    }
    void Repaint() {
        InvalidateRect(window_.Get(), nullptr, TRUE);
        UpdateWindow(window_.Get());
    }
    HWND Get() const { return window_.Get(); }

private:
    UniqueWindow window_;
};

// Quits the loop with a code of its own after a while, in case nothing else ends it.
int g_laterCode = 0;
void CALLBACK QuitNow(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(g_laterCode);
}
class QuitLater {
public:
    QuitLater(UINT milliseconds, int code) {
        g_laterCode = code;
        timer_ = SetTimer(nullptr, 0, milliseconds, QuitNow);
    }
    ~QuitLater() { KillTimer(nullptr, timer_); }
    QuitLater(const QuitLater&) = delete;
    QuitLater& operator=(const QuitLater&) = delete;

private:
    UINT_PTR timer_;
};

const RECT kArea = {1600, 850, 1681, 950};  // 81 wide: 324 bytes a row
}  // namespace

TEST(ScreenPicture, ComparesEachPictureWithTheFirstInOneReusedBuffer) {
    BoxRecorder boxes;
    ColourPatch patch(kArea);
    ScreenPicture picture(kArea);
    ASSERT_TRUE(picture.IsReady());
    EXPECT_EQ(picture.ImageSize(), 324u * 100u);
    EXPECT_EQ(picture.Header().biWidth, 81);
    EXPECT_EQ(picture.Header().biHeight, 100);
    EXPECT_EQ(picture.Header().biBitCount, 32);
    picture.TakeReference();
    // The reference holds the patch's colour, blue first.
    const std::vector<unsigned char>& reference = picture.Reference();
    EXPECT_EQ(reference[0], 90);
    EXPECT_EQ(reference[1], 160);
    EXPECT_EQ(reference[2], 40);
    EXPECT_EQ(reference[324 * 99 + 80 * 4 + 2], 40);  // red of the last pixel of the top row

    const unsigned char* buffer = picture.BandBits();
    EXPECT_FALSE(picture.HasChanged());
    patch.SetColour(RGB(200, 30, 30));
    EXPECT_TRUE(Eventually([&] { return picture.HasChanged(); }));
    // Back to the first colour: equal to the reference again, which is never replaced.
    patch.SetColour(RGB(40, 160, 90));
    EXPECT_TRUE(Eventually([&] { return !picture.HasChanged(); }));
    EXPECT_EQ(picture.BandBits(), buffer);
    EXPECT_TRUE(boxes.boxes.empty());
}

// Exactly the pixels of the area are compared: the last one counts, the ones just
// outside it on every side do not.
TEST(ScreenPicture, ComparesThePixelsOfTheAreaAndNoOther) {
    BoxRecorder boxes;
    ColourPatch patch(kArea);
    ScreenPicture picture(kArea);
    ASSERT_TRUE(picture.IsReady());
    picture.TakeReference();

    const LONG l = kArea.left, t = kArea.top, r = kArea.right, b = kArea.bottom;
    const std::vector<POINT> outside = {{l - 1, t}, {l, t - 1}, {l - 1, t - 1}, {r, b - 1},
                                        {r - 1, b}, {r, b},     {r, t},         {l, b}};
    for (const POINT& p : outside) patch.SetPixel(p, kRed);
    ASSERT_TRUE(WaitForScreen(outside, kRed));
    EXPECT_FALSE(picture.HasChanged()) << "a pixel outside the area was compared";

    const std::vector<POINT> last = {{r - 1, b - 1}};
    patch.SetPixel(last[0], kRed);
    ASSERT_TRUE(WaitForScreen(last, kRed));
    EXPECT_TRUE(picture.HasChanged()) << "the last pixel of the area was not compared";

    const std::vector<POINT> first = {{l, t}};
    patch.SetColour(kGreen);
    ASSERT_TRUE(WaitForScreen(last, kGreen));
    EXPECT_FALSE(picture.HasChanged());
    patch.SetPixel(first[0], kRed);
    ASSERT_TRUE(WaitForScreen(first, kRed));
    EXPECT_TRUE(picture.HasChanged()) << "the first pixel of the area was not compared";
    EXPECT_TRUE(boxes.boxes.empty());
}

// A band whose copy fails for a moment (a secure desktop, a locked session) leaves the
// section holding the rows of the band before it: that is no change of the area.
TEST(ScreenPicture, ABandThatCannotBeCopiedShowsNoChange) {
    class FailingBand : public ScreenPicture {
    public:
        FailingBand() : ScreenPicture(kArea, 324 * 7) {}
        int failing = -1;  // rows done before the band that fails

    protected:
        bool CopyBand(int rowsDone, int rows) override {
            if (rowsDone == failing) return false;
            return ScreenPicture::CopyBand(rowsDone, rows);
        }
    };
    BoxRecorder boxes;
    ColourPatch patch(kArea);
    // The bottom band differs from the one above it.
    const std::vector<POINT> mark = {{kArea.left + 5, kArea.bottom - 2}};
    patch.SetPixel(mark[0], kBlue);
    ASSERT_TRUE(WaitForScreen(mark, kBlue));
    FailingBand picture;
    ASSERT_TRUE(picture.IsReady());
    picture.TakeReference();
    ASSERT_FALSE(picture.HasChanged());
    picture.failing = 7;
    EXPECT_FALSE(picture.HasChanged()) << "the rows of another band were compared";
    // A change below the failed band is still seen.
    patch.SetPixel({kArea.left + 6, kArea.bottom - 1}, kRed);
    ASSERT_TRUE(WaitForScreen({{kArea.left + 6, kArea.bottom - 1}}, kRed));
    EXPECT_TRUE(picture.HasChanged());
    EXPECT_TRUE(boxes.boxes.empty());
}

// The watch starts while the desktop cannot be read (a locked session, a secure desktop):
// a reference with a band that failed is no reference. It is taken again at the first
// comparison where every band copies, and the comparisons start after that one, so the
// first readable picture reports no change that never happened.
TEST(ScreenPicture, AReferenceWithAFailedBandIsTakenAgain) {
    class LockedDesktop : public ScreenPicture {
    public:
        LockedDesktop() : ScreenPicture(kArea, 324 * 7) {}
        bool locked = true;

    protected:
        bool CopyBand(int rowsDone, int rows) override {
            if (locked && rowsDone == 14) return false;
            return ScreenPicture::CopyBand(rowsDone, rows);
        }
    };
    BoxRecorder boxes;
    ColourPatch patch(kArea);
    // The bands differ, so that a band holding another band's rows differs from the screen.
    const std::vector<POINT> marks = {{kArea.left + 5, kArea.bottom - 2}, {kArea.left + 9, kArea.bottom - 12}};
    for (const POINT& p : marks) patch.SetPixel(p, kBlue);
    ASSERT_TRUE(WaitForScreen(marks, kBlue));
    LockedDesktop picture;
    ASSERT_TRUE(picture.IsReady());
    picture.TakeReference();
    EXPECT_FALSE(picture.HasWholeReference());
    EXPECT_FALSE(picture.HasChanged());
    picture.locked = false;
    EXPECT_FALSE(picture.HasChanged()) << "the first readable picture was compared with a broken reference";
    EXPECT_TRUE(picture.HasWholeReference());
    EXPECT_FALSE(picture.HasChanged());
    // From then on a real change is seen.
    patch.SetPixel({kArea.left + 20, kArea.bottom - 16}, kRed);
    ASSERT_TRUE(WaitForScreen({{kArea.left + 20, kArea.bottom - 16}}, kRed));
    EXPECT_TRUE(picture.HasChanged());
    EXPECT_TRUE(boxes.boxes.empty()) << "a box waits for someone who may not be there";
}

// The area copied in bands of 7 rows (the top band only 2 rows high) gives the same
// picture as one copy of the whole, and a change in any band is seen: the bottom row
// (the first in memory), the rows on both sides of band edges, and the top row.
TEST(ScreenPicture, BandsOfRowsMakeTheSamePictureAsOneCopy) {
    BoxRecorder boxes;
    ColourPatch patch(kArea);
    const LONG l = kArea.left, t = kArea.top, r = kArea.right, b = kArea.bottom;
    const std::vector<POINT> marks = {{l + 3, t + 1}, {r - 2, b - 7}, {l + 40, t + 50}};
    for (const POINT& p : marks) patch.SetPixel(p, kBlue);
    ASSERT_TRUE(WaitForScreen(marks, kBlue));
    ScreenPicture whole(kArea);
    ScreenPicture banded(kArea, 324 * 7);
    ASSERT_TRUE(whole.IsReady() && banded.IsReady());
    EXPECT_EQ(whole.BandRows(), 100);
    EXPECT_EQ(banded.BandRows(), 7);
    whole.TakeReference();
    banded.TakeReference();
    EXPECT_TRUE(banded.Reference() == whole.Reference()) << "the bands do not make up the picture";
    EXPECT_FALSE(banded.HasChanged());

    const std::vector<POINT> changes = {{l, b - 1},     {l + 7, b - 7}, {l + 8, b - 8},
                                        {r - 1, t + 2}, {r - 1, t + 1}, {r - 1, t}};
    for (const POINT& p : changes) {
        patch.SetPixel(p, kRed);
        ASSERT_TRUE(WaitForScreen({p}, kRed));
        EXPECT_TRUE(banded.HasChanged()) << "a change in row " << p.y - t << " was not seen";
        patch.SetColour(kGreen);
        for (const POINT& m : marks) patch.SetPixel(m, kBlue);
        ASSERT_TRUE(WaitForScreen({p}, kGreen));
        ASSERT_TRUE(WaitForScreen(marks, kBlue));
        EXPECT_FALSE(banded.HasChanged()) << "row " << p.y - t;
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

// Each tick compares the area with the picture taken at the start: a change undone
// before the tick is not seen, one that stays ends the watch at that tick.
TEST(ScreenWatcher, EachTickComparesWithTheFirstPicture) {
    BoxRecorder boxes;
    ColourPatch patch(kArea);
    ScreenWatcher watcher(kArea, false, L"", 1, L"cmd");
    ASSERT_TRUE(watcher.IsReady());
    const std::vector<POINT> corners = {{kArea.left, kArea.top}, {kArea.right - 1, kArea.bottom - 1}};
    watcher.Tick();
    EXPECT_EQ(TakePostedQuit(), -1) << "an unchanged area ended the watch";

    patch.SetColour(kRed);
    ASSERT_TRUE(WaitForScreen(corners, kRed));
    patch.SetColour(kGreen);
    ASSERT_TRUE(WaitForScreen(corners, kGreen));
    watcher.Tick();
    EXPECT_EQ(TakePostedQuit(), -1) << "a change undone before the tick ended the watch";

    patch.SetColour(kBlue);
    ASSERT_TRUE(WaitForScreen(corners, kBlue));
    watcher.Tick();
    EXPECT_EQ(TakePostedQuit(), 1) << "the change did not end the watch";
    EXPECT_TRUE(boxes.boxes.empty());
}

// Under Wine on a display without a window manager every window of the watcher takes
// about two seconds to go, so each test makes one watcher and runs it more than once.
TEST(ScreenWatcher, FrameClicksDoNothingAndAChangeEndsTheWatch) {
    BoxRecorder boxes;
    ColourPatch patch(kArea);
    ScreenWatcher watcher(kArea, true, L"モニター:10分", 1, L"cmd /c echo");
    ASSERT_TRUE(watcher.IsReady());
    const ScreenNote* note = watcher.Note();
    ASSERT_TRUE(note && note->Window());
    EXPECT_EQ(note->Lines().Count(), 6);
    EXPECT_EQ(note->Size().height, 6 * note->Size().lineHeight);
    // The note's own cursor (resource 904) is loaded.
    EXPECT_NE(GetClassLongPtrW(note->Window(), GCLP_HCURSOR), 0);

    // Clicks on the frame bars do nothing; the change ends the watch at the next tick.
    PostMessageW(watcher.FrameWindow(kLeftBar), WM_LBUTTONUP, 0, 0);
    PostMessageW(watcher.FrameWindow(kTopBar), WM_RBUTTONUP, 0, 0);
    patch.SetColour(kBlue);
    {
        QuitLater later(5000, 7);
        EXPECT_EQ(watcher.RunScreenWatch(), 1);
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(ScreenWatcher, ClicksOnTheNoteCancel) {
    BoxRecorder boxes;
    ColourPatch patch(kArea);
    ScreenWatcher watcher(kArea, false, L"モニター:10分", 0, L"");
    ASSERT_TRUE(watcher.IsReady());
    // Four lines without the hold; the empty action text still takes its line.
    const NoteSize& size = watcher.Note()->Size();
    EXPECT_EQ(watcher.Note()->Lines().Count(), 4);
    EXPECT_GT(size.lineHeight, 0);
    EXPECT_EQ(size.height, 4 * size.lineHeight);
    for (UINT click : {WM_LBUTTONUP, WM_RBUTTONUP}) {
        PostMessageW(watcher.Note()->Window(), click, 0, 0);
        QuitLater later(5000, 7);
        EXPECT_EQ(watcher.RunScreenWatch(), 0);
    }
    EXPECT_TRUE(boxes.boxes.empty());
}
