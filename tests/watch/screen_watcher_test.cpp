// The watcher on the real desktop: a window of this test, of one colour, lies under the
// watched area and changes colour.
#include <gtest/gtest.h>

#include <functional>

#include "app/handles.h"
#include "common/box_recorder.h"
#include "watch/screen_geometry.h"
#include "watch/screen_picture.h"
#include "watch/screen_watcher.h"

namespace {
const wchar_t kPatchClass[] = L"TlrTestColourPatch";
COLORREF g_patchColour = RGB(40, 160, 90);

LRESULT CALLBACK PatchProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        UniqueGdi<HBRUSH> brush(CreateSolidBrush(g_patchColour));
        FillRect(dc, &paint.rcPaint, brush.Get());
        EndPaint(window, &paint);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
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
        g_patchColour = RGB(40, 160, 90);
        window_.Reset(CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kPatchClass, L"", WS_POPUP | WS_VISIBLE,
                                      area.left - 20, area.top - 20, area.right - area.left + 40,
                                      area.bottom - area.top + 40, nullptr, nullptr, GetModuleHandleW(nullptr),
                                      nullptr));
        UpdateWindow(window_.Get());
        Pump(300);
    }
    void SetColour(COLORREF colour) {
        g_patchColour = colour;
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

const RECT kArea = {1600, 850, 1681, 950};  // 81 wide: rows padded by one byte
}  // namespace

TEST(ScreenPicture, ComparesEachPictureWithTheFirstInOneReusedBuffer) {
    BoxRecorder boxes;
    ColourPatch patch(kArea);
    ScreenPicture picture(kArea);
    ASSERT_TRUE(picture.IsReady());
    EXPECT_EQ(picture.ImageSize(), 244u * 100u);
    EXPECT_EQ(picture.Header().biWidth, 81);
    EXPECT_EQ(picture.Header().biHeight, 100);
    EXPECT_EQ(picture.Header().biBitCount, 24);
    picture.TakeReference();
    // The reference holds the patch's colour, blue first.
    const std::vector<unsigned char>& reference = picture.Reference();
    EXPECT_EQ(reference[0], 90);
    EXPECT_EQ(reference[1], 160);
    EXPECT_EQ(reference[2], 40);
    EXPECT_EQ(reference[244 * 99 + 80 * 3 + 2], 40);  // red of the last pixel of the top row

    const unsigned char* buffer = picture.Current().data();
    EXPECT_FALSE(picture.HasChanged());
    patch.SetColour(RGB(200, 30, 30));
    EXPECT_TRUE(Eventually([&] { return picture.HasChanged(); }));
    // Back to the first colour: equal to the reference again, which is never replaced.
    patch.SetColour(RGB(40, 160, 90));
    EXPECT_TRUE(Eventually([&] { return !picture.HasChanged(); }));
    EXPECT_EQ(picture.Current().data(), buffer);
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
    patch.SetColour(RGB(0, 0, 255));
    {
        QuitLater later(5000, 7);
        EXPECT_EQ(watcher.RunScreenWatch(), 1);
    }
    EXPECT_TRUE(boxes.boxes.empty());
}

TEST(ScreenWatcher, UnchangedAreaKeepsWatchingUntilTheNoteIsClicked) {
    BoxRecorder boxes;
    ColourPatch patch(kArea);
    ScreenWatcher watcher(kArea, false, L"モニター:10分", 0, L"");
    ASSERT_TRUE(watcher.IsReady());
    // Four lines without the hold; the empty action text still takes its line.
    const NoteSize& size = watcher.Note()->Size();
    EXPECT_EQ(watcher.Note()->Lines().Count(), 4);
    EXPECT_GT(size.lineHeight, 0);
    EXPECT_EQ(size.height, 4 * size.lineHeight);
    {
        QuitLater later(2600, 7);  // two ticks and a half
        EXPECT_EQ(watcher.RunScreenWatch(), 7);
    }
    for (UINT click : {WM_LBUTTONUP, WM_RBUTTONUP}) {
        PostMessageW(watcher.Note()->Window(), click, 0, 0);
        QuitLater later(5000, 7);
        EXPECT_EQ(watcher.RunScreenWatch(), 0);
    }
    EXPECT_TRUE(boxes.boxes.empty());
}
