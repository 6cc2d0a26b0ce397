// The watches when something goes wrong: a comparison that fails every second, a
// picture that cannot be prepared, a fault inside the watch and the end of the Windows
// session. The screen watch runs with recorded power-hold calls and a picture given by
// the test; the process watcher with samples given by the test.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <vector>

#include "common/box_recorder.h"
#include "common/modal_box_stand_in.h"
#include "power/fake_power_system.h"
#include "watch/process_watcher.h"
#include "watch/screen_watcher.h"

namespace {
const RECT kArea = {1600, 850, 1681, 950};

// A picture of the area as the test scripts it: each comparison may report an error, throw
// or see a change. The script outlives the picture, which the watcher owns.
struct PictureScript {
    bool ready = true;
    const char* failedCall = nullptr;  // of the preparation
    DWORD failedError = ERROR_SUCCESS;
    int comparisons = 0;
    int changeAt = 20;           // the comparison that sees a change (a safety net)
    int failingComparisons = 0;  // the first ones report an error box
    bool throwOnReference = false;
    bool throwOnComparison = false;
    std::function<void()> afterReference;
};

class ScriptedPicture : public AreaPicture {
public:
    explicit ScriptedPicture(PictureScript& script) : script_(script) {}
    bool IsReady() const override { return script_.ready; }
    const char* FailedCall() const override { return script_.failedCall; }
    DWORD FailedError() const override { return script_.failedError; }
    void TakeReference() override {
        if (script_.throwOnReference) throw std::bad_alloc();
        if (script_.afterReference) script_.afterReference();
    }
    bool HasChanged() override {
        ++script_.comparisons;
        if (script_.throwOnComparison) throw std::bad_alloc();
        if (script_.comparisons <= script_.failingComparisons) ReportLastError(FALSE, "GetDIBits");
        return script_.comparisons >= script_.changeAt;
    }

private:
    PictureScript& script_;
};

std::unique_ptr<AreaPicture> PictureOf(PictureScript& script) {
    return std::unique_ptr<AreaPicture>(new ScriptedPicture(script));
}

ScreenWatchSetup WatchOf(bool hold) {
    ScreenWatchSetup setup;
    setup.area = kArea;
    setup.holdScreenSaver = hold;
    setup.actionKind = 1;
    setup.actionText = L"cmd /c echo";
    return setup;
}

// Records each box with the screen-saver switches made before it.
class OrderRecorder : public MessageBoxPresenter {
public:
    explicit OrderRecorder(const FakePowerSystem& system) : system_(system) {
        previous_ = SetMessageBoxPresenter(this);
    }
    ~OrderRecorder() override { SetMessageBoxPresenter(previous_); }
    OrderRecorder(const OrderRecorder&) = delete;
    OrderRecorder& operator=(const OrderRecorder&) = delete;
    int Present(HWND, const WideString& text, UINT) override {
        texts.push_back(text.str());
        switchesBefore.push_back(system_.screenSaverSets);
        return IDOK;
    }
    std::vector<std::wstring> texts;
    std::vector<std::vector<bool>> switchesBefore;

private:
    const FakePowerSystem& system_;
    MessageBoxPresenter* previous_ = nullptr;
};

// Samples of a process whose end check fails at first: each failure shows its box.
class BoxShowingSource : public ProcessSource {
public:
    int failingEndChecks = 0;
    int endedAt = 1000;
    int endChecks = 0;
    int throwAt = 0;  // the end check that throws, 0 for none

    bool HasEnded() override {
        ++endChecks;
        if (endChecks == throwAt) throw std::runtime_error("sampling failed");
        if (endChecks <= failingEndChecks) ReportLastError(FALSE, "OpenProcess");
        return endChecks >= endedAt;
    }
    unsigned long long CpuDelta() override { return 0; }
    int CountParentWindows() override { return 1; }
    bool ReadWatchedText(WideString& text) override {
        text = L"";
        return true;
    }
};

struct ClassSearch {
    const wchar_t* name;
    HWND found;
};

BOOL CALLBACK MatchClass(HWND window, LPARAM param) {
    ClassSearch* search = reinterpret_cast<ClassSearch*>(param);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (lstrcmpW(name, search->name) != 0) return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindOwnWindowOfClass(const wchar_t* className) {
    ClassSearch search = {className, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), MatchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
}  // namespace

// A comparison that fails shows its box; the box's own loop keeps the timer going, but no
// tick starts under the box. Once it is answered the ticks go on and see the change.
TEST(ScreenWatchRobustness, TicksDoNotPileUpUnderAnErrorBox) {
    FakePowerSystem system;
    ModalBoxStandIn boxes(kScreenFrameClass, 3);
    PictureScript picture;
    picture.failingComparisons = 2;
    picture.changeAt = 3;
    EXPECT_EQ(WatchScreenArea(WatchOf(false), system, PictureOf(picture)), WatchResult::Met);
    EXPECT_EQ(boxes.deepest, 1) << "a tick under the box opened another box";
    EXPECT_EQ(boxes.timersDispatched, 6) << "the timer did not go on under the boxes";
    ASSERT_EQ(boxes.texts.size(), 2u);
    for (const std::wstring& text : boxes.texts) EXPECT_EQ(text.compare(0, 22, L"GetDIBits Error Code ="), 0);
    EXPECT_EQ(picture.comparisons, 3);
}

// The same for the process watcher: a sample whose call fails shows a box, and no tick
// samples the process again until it is answered.
TEST(ProcessWatchRobustness, TicksDoNotPileUpUnderAnErrorBox) {
    ModalBoxStandIn boxes(L"#32770", 3);
    BoxShowingSource source;
    source.failingEndChecks = 2;
    source.endedAt = 3;
    ProcessWatcher watcher(L"C:\\tests\\watch_tests.exe", static_cast<int>(GetCurrentProcessId()), 0, nullptr, 1,
                           L"cmd", false, &source);
    EXPECT_EQ(watcher.RunDialog(), 1) << "the end of the process did not end the watch";
    EXPECT_EQ(boxes.deepest, 1) << "a tick under the box opened another box";
    EXPECT_EQ(boxes.timersDispatched, 6) << "the timer did not go on under the boxes";
    EXPECT_EQ(source.endChecks, 3);
}

// A fault in a tick of the process watch ends its dialog and comes out of RunDialog, so
// that the run reports it once and the action does not follow; no tick runs after it.
TEST(ProcessWatchRobustness, AFaultInATickEndsTheDialogAndComesOutOfIt) {
    BoxShowingSource source;
    source.throwAt = 2;
    ProcessWatcher watcher(L"C:\\tests\\watch_tests.exe", static_cast<int>(GetCurrentProcessId()), 0, nullptr, 1,
                           L"cmd", false, &source);
    EXPECT_THROW(watcher.RunDialog(), std::runtime_error);
    EXPECT_EQ(source.endChecks, 2);
    EXPECT_FALSE(FindOwnWindowOfClass(L"#32770")) << "the watch dialog outlived the fault";
}

// When the area cannot be pictured the hold is given back before the user is told, so
// that a box nobody answers does not keep the time-outs off.
TEST(ScreenWatchRobustness, APictureThatCannotBePreparedIsReportedAfterTheHoldEnded) {
    FakePowerSystem system;
    OrderRecorder boxes(system);
    PictureScript picture;
    picture.ready = false;
    picture.failedCall = "CreateDIBSection";
    picture.failedError = ERROR_NOT_ENOUGH_MEMORY;
    EXPECT_EQ(WatchScreenArea(WatchOf(true), system, PictureOf(picture)), WatchResult::Refused);
    ASSERT_EQ(boxes.texts.size(), 2u);
    EXPECT_EQ(boxes.texts[0], L"CreateDIBSection Error Code =8") << "the failed call was not named";
    EXPECT_EQ(boxes.texts[1], kPictureNotPreparedText);
    for (const std::vector<bool>& switches : boxes.switchesBefore)
        EXPECT_EQ(switches, (std::vector<bool>{false, true})) << "a box came while the hold was on";
    // The saved time-outs went back before the box too, and only once.
    EXPECT_EQ(system.applied.size(), 2u);
    EXPECT_EQ(system.screenSaverSets.size(), 2u);
}

// Frame windows that cannot be made (window handles exhausted) refuse the watch as a
// picture that cannot be prepared does: the hold goes back first, then the boxes, and no
// bar of the frame is left on the screen.
TEST(ScreenWatchRobustness, AFrameThatCannotBeMadeRefusesTheWatchAfterTheHoldEnded) {
    FakePowerSystem system;
    OrderRecorder boxes(system);
    PictureScript picture;
    int made = 0;
    FrameBarMaker exhausted = [&](const BarRect& bar) -> HWND {
        if (made == 2) {
            SetLastError(ERROR_NO_MORE_USER_HANDLES);
            return nullptr;
        }
        ++made;
        return CreateWindowExW(WS_EX_TOOLWINDOW, kScreenFrameClass, L"", WS_POPUP, bar.x, bar.y, bar.width, bar.height,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    };
    EXPECT_EQ(WatchScreenArea(WatchOf(true), system, PictureOf(picture), exhausted), WatchResult::Refused);
    ASSERT_EQ(boxes.texts.size(), 2u);
    EXPECT_EQ(boxes.texts[0], L"CreateWindowEx Error Code =1158");
    EXPECT_EQ(boxes.texts[1], kPictureNotPreparedText);
    for (const std::vector<bool>& switches : boxes.switchesBefore)
        EXPECT_EQ(switches, (std::vector<bool>{false, true})) << "a box came while the hold was on";
    EXPECT_EQ(picture.comparisons, 0) << "the watch ran without its frame";
    EXPECT_FALSE(FindOwnWindowOfClass(kScreenFrameClass)) << "a bar of the frame was left";
}

// A fault inside the watch, while the reference is taken or in a tick, ends it: the hold
// is given back, one box tells of it, and the run is refused (exit code 1).
TEST(ScreenWatchRobustness, AFaultInsideTheWatchGivesTheHoldBackAndIsReportedOnce) {
    for (bool inTick : {false, true}) {
        FakePowerSystem system;
        OrderRecorder boxes(system);
        PictureScript picture;
        picture.throwOnReference = !inTick;
        picture.throwOnComparison = inTick;
        EXPECT_EQ(WatchScreenArea(WatchOf(true), system, PictureOf(picture)), WatchResult::Refused) << inTick;
        ASSERT_EQ(boxes.texts.size(), 1u) << inTick;
        EXPECT_EQ(boxes.texts[0], kWatchFaultText);
        EXPECT_EQ(boxes.switchesBefore[0], (std::vector<bool>{false, true})) << inTick;
        EXPECT_EQ(system.applied.size(), 2u) << "the saved time-outs did not go back";
        EXPECT_FALSE(FindOwnWindowOfClass(kScreenFrameClass)) << "a frame window outlived the watch";
    }
}

// Windows ends the session during the watch: the hold is given back there and then, its
// failures shown to nobody (a box would hold up the shutdown), and the watch ends as
// cancelled, without giving the hold back a second time.
TEST(ScreenWatchRobustness, TheEndOfTheSessionGivesTheHoldBackAtOnce) {
    FakePowerSystem system;
    // Reading and zeroing work; the scheme cannot be had when the hold is given back.
    system.activeSchemeErrors = {0, 0, 120};
    BoxRecorder boxes;
    PictureScript picture;
    std::vector<bool> switchesAtQuery;
    picture.afterReference = [&] {
        HWND frame = FindOwnWindowOfClass(kScreenFrameClass);
        ASSERT_TRUE(frame);
        switchesAtQuery = system.screenSaverSets;
        EXPECT_TRUE(SendMessageW(frame, WM_QUERYENDSESSION, 0, 0)) << "the watch refused the end of the session";
        EXPECT_EQ(system.screenSaverSets, switchesAtQuery) << "asking whether the session may end changed the hold";
        PostMessageW(frame, WM_ENDSESSION, TRUE, 0);
    };
    EXPECT_EQ(WatchScreenArea(WatchOf(true), system, PictureOf(picture)), WatchResult::Cancelled);
    EXPECT_EQ(switchesAtQuery, std::vector<bool>{false});
    EXPECT_EQ(system.screenSaverSets, (std::vector<bool>{false, true}));
    EXPECT_EQ(system.activeSchemeCalls, 3) << "the time-outs were not given back, or twice";
    EXPECT_TRUE(boxes.boxes.empty()) << "a box was shown while the session ended";
    EXPECT_LT(picture.comparisons, picture.changeAt) << "the watch went on after the session ended";
}
