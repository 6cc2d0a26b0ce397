// The screen range page as the user meets it: the map of the monitors, the range dragged
// open with the real mouse over a window of one colour (the colour_patch helper), the
// buttons that follow the range, Esc during a drag, Back, the screen-saver hold, and the
// whole screen road from the wizard to the watch and its command.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "driver/mouse_driver.h"
#include "driver/system_state.h"
#include "driver/wizard_driver.h"

using namespace e2e;

namespace {
const DWORD kWait = 15000;
const int kModePage = 110;
const int kRangePage = 120;
const int kActionPage = 170;
const int kSavedList = 1111;
const int kRangeFrame = 1201;
const int kRangeBox = 1202;
const int kSettingName = 1203;
const int kHoldCheck = 1204;
const int kDragButton = 1205;
const wchar_t kWorking[] = L"Tollerup";
const wchar_t kDragClass[] = L"RANGEDRAGWINCLASS";
const UINT kSetColour = WM_APP + 1;
const COLORREF kPatchGreen = RGB(40, 160, 90);
const COLORREF kPatchBlue = RGB(20, 40, 220);
// The patch lies right of and below the wizard; every range of these tests is inside it.
const RECT kPatch = {1200, 480, 1820, 900};

POINT Point(long x, long y) {
    POINT p = {x, y};
    return p;
}

int CountPixels(const RECT& r, DWORD colour) {
    int count = 0;
    for (DWORD pixel : GrabScreenPixels(r)) count += pixel == colour ? 1 : 0;
    return count;
}

// The grey box shows the range in the map: it lies inside the map, and each of its edges
// lies as far into the map as the range's edge lies into the desktop, to within a pixel of
// the map (a box thinner than a pixel is shown one pixel wide).
::testing::AssertionResult BoxShowsRange(HWND frame, HWND box, const RECT& range) {
    RECT f = WindowRect(frame), b = WindowRect(box);
    if (b.left < f.left || b.top < f.top || b.right > f.right || b.bottom > f.bottom)
        return ::testing::AssertionFailure() << "the box " << Describe(b) << " is not inside the map " << Describe(f);
    const double desktopLeft = GetSystemMetrics(SM_XVIRTUALSCREEN), desktopTop = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const double across = static_cast<double>(f.right - f.left) / GetSystemMetrics(SM_CXVIRTUALSCREEN);
    const double down = static_cast<double>(f.bottom - f.top) / GetSystemMetrics(SM_CYVIRTUALSCREEN);
    const double shown[4] = {static_cast<double>(b.left - f.left), static_cast<double>(b.top - f.top),
                             static_cast<double>(b.right - f.left), static_cast<double>(b.bottom - f.top)};
    const double lies[4] = {(range.left - desktopLeft) * across, (range.top - desktopTop) * down,
                            (range.right - desktopLeft) * across, (range.bottom - desktopTop) * down};
    for (int i = 0; i < 4; ++i) {
        if (std::fabs(shown[i] - lies[i]) >= 1.0)
            return ::testing::AssertionFailure()
                   << "the box " << Describe(b) << " in the map " << Describe(f) << " does not lie where the range "
                   << Describe(range) << " lies on the desktop";
    }
    return ::testing::AssertionSuccess();
}

// The keys of a section, in file order.
std::vector<std::wstring> SectionKeys(const TempFolder& folder, const wchar_t* section) {
    std::vector<wchar_t> block(32768);
    DWORD n =
        GetPrivateProfileSectionW(section, block.data(), static_cast<DWORD>(block.size()), folder.IniPath().c_str());
    std::vector<std::wstring> keys;
    for (DWORD at = 0; at < n && block[at];) {
        std::wstring line(&block[at]);
        keys.push_back(line.substr(0, line.find(L'=')));
        at += static_cast<DWORD>(line.size()) + 1;
    }
    return keys;
}

class RangeWizard {
public:
    explicit RangeWizard(const wchar_t* hint = L"tlr range") : folder_(hint) {}
    // The patch stays until its Program ends it, after the program's diagnostics have
    // pictured the screen with the patch on it.
    ~RangeWizard() {
        // A test that stopped in the middle of a drag leaves no button held.
        if (buttonHeld_) {
            INPUT input = {};
            input.type = INPUT_MOUSE;
            input.mi.dwFlags = heldButton_ == MouseButton::Left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP;
            SendInput(1, &input, sizeof(INPUT));
        }
    }

    const TempFolder& Folder() const { return folder_; }
    Program& Tlr() { return tlr_; }
    const Wizard& Sheet() const { return wizard_; }
    HWND Control(int id) const { return wizard_.Control(id); }

    void ShowPatch() {
        wchar_t arguments[128];
        swprintf(arguments, 128, L"%ld %ld %ld %ld 28a05a", kPatch.left, kPatch.top, kPatch.right, kPatch.bottom);
        ASSERT_TRUE(patch_.Start(HelperPath(L"colour_patch"), arguments, folder_.Path()));
        patchWindow_ = patch_.WaitForWindowTitled(L"TLR colour patch", kWait);
        ASSERT_TRUE(patchWindow_) << "the colour patch shows no window";
        ASSERT_TRUE(PatchShows(kPatch, kPatchGreen));
    }
    ::testing::AssertionResult SetPatchColour(COLORREF colour) { return patch_.Send(patchWindow_, kSetColour, colour); }
    // The patch's window is there and on top inside the rectangle.
    ::testing::AssertionResult PatchOnTop(const RECT& r) const {
        return patch_.ShowsAt(patchWindow_, Point((r.left + r.right) / 2, (r.top + r.bottom) / 2));
    }
    // Waits until the screen inside the rectangle shows the patch alone (no window of the
    // program over it any more); else says why not.
    ::testing::AssertionResult PatchShows(const RECT& r, COLORREF colour) {
        size_t all = static_cast<size_t>(r.right - r.left) * static_cast<size_t>(r.bottom - r.top);
        if (WaitUntil([&] { return static_cast<size_t>(CountPixels(r, Rgb(colour))) == all; }, kWait))
            return ::testing::AssertionSuccess();
        ::testing::AssertionResult onTop = PatchOnTop(r);
        if (!onTop) return onTop;
        return ::testing::AssertionFailure() << CountPixels(r, Rgb(colour)) << " of the " << all << " pixels in "
                                             << Describe(r) << " show the patch's colour";
    }

    // Opens the wizard and goes on to the range page, from the given saved setting (list
    // index) or the working section.
    void OpenRangePage(int savedIndex = 0) {
        ASSERT_TRUE(tlr_.Start(ProgramPath(), L"", folder_.Path()));
        wizard_ = Wizard::WaitFor(tlr_, kWait);
        ASSERT_TRUE(wizard_) << "no wizard";
        ASSERT_TRUE(wizard_.WaitForPage(kModePage, kWait));
        if (savedIndex > 0) {
            ASSERT_TRUE(ChooseComboItem(wizard_.Control(kSavedList), savedIndex));
        }
        ASSERT_TRUE(wizard_.Press(kSheetNext));
        ASSERT_TRUE(wizard_.WaitForPage(kRangePage, kWait));
    }

    // Opens the wizard in a folder whose settings file takes no write and goes on to the
    // range page: the first write (the start's "no window") and the mode page's Next each
    // show the box.
    void OpenRangePageWithoutWrites(const std::wstring& box) {
        ASSERT_TRUE(tlr_.Start(ProgramPath(), L"", folder_.Path()));
        ASSERT_NO_FATAL_FAILURE(AnswerBox(box));
        wizard_ = Wizard::WaitFor(tlr_, kWait);
        ASSERT_TRUE(wizard_) << "no wizard";
        ASSERT_TRUE(wizard_.WaitForPage(kModePage, kWait));
        ASSERT_TRUE(wizard_.Press(kSheetNext));
        ASSERT_NO_FATAL_FAILURE(AnswerBox(box));
        ASSERT_TRUE(wizard_.WaitForPage(kRangePage, kWait));
    }

    // The next box of the program holds this text as an error; it is answered.
    void AnswerBox(const std::wstring& text) {
        MessageBoxInfo box = tlr_.WaitForMessageBox(kWait);
        ASSERT_TRUE(box) << "no box, expected " << Narrow(text);
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
        ASSERT_TRUE(PressButton(box.window, IDOK));
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box.window); }, kWait)) << "the box stays";
    }

    // Clicks the page's button with the mouse, as a user does (which also brings the
    // wizard to the front), then moves the pointer to the point: the label follows it.
    HWND StartDrag(POINT at) {
        RECT button = WindowRect(Control(kDragButton));
        POINT centre = Point((button.left + button.right) / 2, (button.top + button.bottom) / 2);
        EXPECT_TRUE(MousePress(MouseButton::Left, centre));
        EXPECT_TRUE(MouseRelease(MouseButton::Left, centre));
        HWND drag = tlr_.WaitForWindow([](HWND w) { return ClassName(w) == kDragClass; }, kWait);
        EXPECT_TRUE(drag) << "no range-drag window";
        if (!drag) return nullptr;
        EXPECT_TRUE(LabelCentredOn(drag, centre)) << "label at " << Describe(WindowRect(drag));
        EXPECT_TRUE(MouseMoveTo(at));
        EXPECT_TRUE(LabelCentredOn(drag, at)) << "label at " << Describe(WindowRect(drag));
        return drag;
    }

    static bool LabelCentredOn(HWND drag, POINT at) {
        return WaitUntil(
            [&] {
                RECT r = WindowRect(drag);
                long w = r.right - r.left, h = r.bottom - r.top;
                return w > 1 && h > 1 && r.left == at.x - w / 2 && r.top == at.y - h / 2;
            },
            kWait);
    }

    // Press, move and release as a user does; the window follows at every step.
    void Drag(HWND drag, MouseButton press, POINT from, POINT to, MouseButton release) {
        ASSERT_TRUE(MousePress(press, from));
        buttonHeld_ = true;
        heldButton_ = press;
        // The window shrinks to the press point (1 x 1, or nothing once a move at the same
        // point has followed).
        ASSERT_TRUE(WaitUntil(
            [&] {
                RECT r = WindowRect(drag);
                return r.left == from.x && r.top == from.y && r.right - r.left <= 1 && r.bottom - r.top <= 1;
            },
            kWait))
            << "after the press the window is " << Describe(WindowRect(drag));
        // From the press on the window is half transparent.
        EXPECT_TRUE(GetWindowLongW(drag, GWL_EXSTYLE) & WS_EX_LAYERED);
        BYTE alpha = 0;
        DWORD flags = 0;
        EXPECT_TRUE(GetLayeredWindowAttributes(drag, nullptr, &alpha, &flags)) << "no layered attributes";
        EXPECT_EQ(alpha, 128);
        EXPECT_TRUE(flags & LWA_ALPHA);
        ASSERT_TRUE(MouseMoveTo(to));
        RECT expected = Rect(from.x < to.x ? from.x : to.x, from.y < to.y ? from.y : to.y,
                             from.x < to.x ? to.x : from.x, from.y < to.y ? to.y : from.y);
        if (expected.right > expected.left && expected.bottom > expected.top) {
            ASSERT_TRUE(WaitUntil([&] { return SameRect(WindowRect(drag), expected); }, kWait))
                << "while dragging the window is " << Describe(WindowRect(drag)) << ", not " << Describe(expected);
        }
        if (release != press) {
            // The other button goes down and up while the first is still held: the
            // release of either ends the drag.
            ASSERT_TRUE(MousePress(release, to));
            ASSERT_TRUE(MouseRelease(release, to));
            ASSERT_TRUE(WaitUntil([&] { return !IsWindow(drag); }, kWait)) << "the drag did not end";
            ASSERT_TRUE(MouseRelease(press, to));
        } else {
            ASSERT_TRUE(MouseRelease(release, to));
        }
        buttonHeld_ = false;
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(drag); }, kWait)) << "the drag did not end";
    }

    // The grey box comes to show the range in the map, shown or hidden.
    ::testing::AssertionResult WaitForBox(const RECT& range, bool shown) {
        HWND box = Control(kRangeBox);
        if (WaitUntil(
                [&] {
                    return BoxShowsRange(Control(kRangeFrame), box, range) && (IsWindowVisible(box) != FALSE) == shown;
                },
                kWait))
            return ::testing::AssertionSuccess();
        ::testing::AssertionResult placed = BoxShowsRange(Control(kRangeFrame), box, range);
        if (!placed) return placed;
        return ::testing::AssertionFailure() << "the box is " << (shown ? "hidden" : "shown");
    }

    void ExpectRangeInFile(const wchar_t* section, const RECT& r) const {
        EXPECT_EQ(folder_.ReadSetting(section, L"ScrLeft"), std::to_wstring(r.left));
        EXPECT_EQ(folder_.ReadSetting(section, L"ScrTop"), std::to_wstring(r.top));
        EXPECT_EQ(folder_.ReadSetting(section, L"ScrRight"), std::to_wstring(r.right));
        EXPECT_EQ(folder_.ReadSetting(section, L"ScrBottom"), std::to_wstring(r.bottom));
    }

    // Presses OK on every box of the program until the condition holds; keeps the texts.
    bool DismissBoxesUntil(const std::function<bool()>& done, DWORD timeoutMs) {
        return tlr_.DismissBoxesUntil(done, boxes, timeoutMs);
    }

    void CancelAndExpectQuietEnd() {
        ASSERT_TRUE(wizard_.Press(kSheetCancel));
        DWORD code = 99;
        ASSERT_TRUE(tlr_.WaitExit(kWait, &code)) << "the program did not end after Cancel";
        EXPECT_EQ(code, 0u);
    }

    std::vector<std::wstring> boxes;

private:
    TempFolder folder_;
    Program patch_;
    HWND patchWindow_ = nullptr;
    Program tlr_;
    Wizard wizard_;
    bool buttonHeld_ = false;
    MouseButton heldButton_ = MouseButton::Left;
};

}  // namespace

// The screen road end to end: a new setting, three drags with either button in every
// direction, Next and Finish, the watch framing the range and the command after a change.
TEST(WizardRangeRoad, DraggedRangeIsWatchedAndAChangeInItRunsTheCommand) {
    RangeWizard run;
    run.Folder().WriteSetting(kWorking, L"Act", 1);
    run.Folder().WriteSetting(kWorking, L"ParamCmd", L"\"cmd /c echo done>action.txt\"");
    ASSERT_NO_FATAL_FAILURE(run.ShowPatch());
    ASSERT_NO_FATAL_FAILURE(run.OpenRangePage());
    EXPECT_EQ(run.Sheet().Caption(), PageTitle(L"Tollerup 画面範囲の指定"));
    // A new setting has no range: no box, Back only; the hold is on by default.
    EXPECT_TRUE(run.Sheet().WaitForButtons(true, false, false, kWait));
    EXPECT_FALSE(IsWindowVisible(run.Control(kRangeBox)));
    EXPECT_TRUE(IsChecked(run.Control(kHoldCheck)));
    EXPECT_EQ(WindowText(run.Control(kSettingName)), L"");
    // The monitor is drawn into the frame as a red box with an X.
    EXPECT_GT(CountPixels(WindowRect(run.Control(kRangeFrame)), 0xFF0000), 0);

    // The label follows the pointer; the window takes no input of its own and stays on top.
    HWND drag = run.StartDrag(Point(1500, 700));
    ASSERT_TRUE(drag);
    EXPECT_FALSE(IsWindowEnabled(drag));
    EXPECT_TRUE(GetWindowLongW(drag, GWL_EXSTYLE) & WS_EX_TOPMOST);
    ASSERT_TRUE(MouseMoveTo(Point(1560, 640)));
    EXPECT_TRUE(RangeWizard::LabelCentredOn(drag, Point(1560, 640)));

    // Left button, from the top-left to the bottom-right.
    ASSERT_NO_FATAL_FAILURE(run.Drag(drag, MouseButton::Left, Point(1300, 560), Point(1700, 840), MouseButton::Left));
    ASSERT_TRUE(run.Sheet().WaitForButtons(true, true, false, kWait));
    EXPECT_TRUE(run.WaitForBox(Rect(1300, 560, 1700, 840), true));
    // Nothing reaches the file before Next.
    EXPECT_EQ(run.Folder().ReadSetting(kWorking, L"ScrLeft"), L"");

    // Right button, from the bottom-right to the top-left: stored normalised.
    drag = run.StartDrag(Point(1400, 620));
    ASSERT_TRUE(drag);
    ASSERT_NO_FATAL_FAILURE(run.Drag(drag, MouseButton::Right, Point(1720, 850), Point(1320, 580), MouseButton::Right));
    EXPECT_TRUE(run.WaitForBox(Rect(1320, 580, 1720, 850), true));

    // Pressed with the right button and released with the left, from the top-right to
    // the bottom-left.
    const RECT range = Rect(1340, 560, 1680, 820);
    drag = run.StartDrag(Point(1400, 620));
    ASSERT_TRUE(drag);
    ASSERT_NO_FATAL_FAILURE(run.Drag(drag, MouseButton::Right, Point(1680, 560), Point(1340, 820), MouseButton::Left));
    ASSERT_TRUE(run.WaitForBox(range, true));
    EXPECT_TRUE(run.Sheet().WaitForButtons(true, true, false, kWait));
    // The blue corner marks point out of the grey box.
    RECT box = WindowRect(run.Control(kRangeBox));
    EXPECT_GT(CountPixels(Rect(box.left - 24, box.top - 24, box.left + 2, box.top + 2), 0x0000FF), 0);
    EXPECT_GT(CountPixels(Rect(box.right - 2, box.bottom - 2, box.right + 24, box.bottom + 24), 0x0000FF), 0);

    ASSERT_TRUE(run.Sheet().Press(kSheetNext));
    ASSERT_TRUE(run.Sheet().WaitForPage(kActionPage, kWait));
    EXPECT_EQ(run.Folder().ReadSetting(kWorking, L"WatchMode"), L"0");
    EXPECT_EQ(run.Folder().ReadSetting(kWorking, L"SSHold"), L"1");
    run.ExpectRangeInFile(kWorking, range);
    // The keys are those the pages wrote, the ones the test wrote and the start-up's
    // "no window"; the action page may store its own.
    const std::set<std::wstring> allowed = {L"PCHandle",  L"WatchMode",    L"SSHold", L"ScrLeft",  L"ScrTop",
                                            L"ScrRight",  L"ScrBottom",    L"Act",    L"ParamCmd", L"Capture",
                                            L"ParamPlay", L"ParamWinExit", L"AsAdmin"};
    std::vector<std::wstring> keys = SectionKeys(run.Folder(), kWorking);
    for (const std::wstring& key : keys) EXPECT_TRUE(allowed.count(key)) << "unexpected key " << Narrow(key);
    for (const wchar_t* key : {L"WatchMode", L"SSHold", L"ScrLeft", L"ScrTop", L"ScrRight", L"ScrBottom"})
        EXPECT_EQ(std::count(keys.begin(), keys.end(), std::wstring(key)), 1) << Narrow(key);

    // The drag windows are gone from the screen before the watch pictures the range.
    ASSERT_TRUE(run.PatchShows(range, kPatchGreen));
    ASSERT_TRUE(run.Sheet().Press(kSheetFinish));
    std::vector<HWND> frames;
    bool watching = run.DismissBoxesUntil(
        [&] {
            frames.clear();
            bool note = false;
            for (HWND w : run.Tlr().TopWindows()) {
                if (ClassName(w) == L"SCRWATCHWINCLASS") frames.push_back(w);
                if (ClassName(w) == L"TLRSCRNOTE") note = true;
            }
            return frames.size() == 4 && note;
        },
        kWait * 2);
    ASSERT_TRUE(watching) << "no frame around the range";
    const RECT bars[4] = {
        Rect(range.left - 2, range.top - 2, range.right + 2, range.top),
        Rect(range.left - 2, range.bottom, range.right + 2, range.bottom + 2),
        Rect(range.left - 2, range.top - 2, range.left, range.bottom + 2),
        Rect(range.right, range.top - 2, range.right + 2, range.bottom + 2),
    };
    for (const RECT& bar : bars) {
        bool found = false;
        for (HWND w : frames) found = found || SameRect(WindowRect(w), bar);
        EXPECT_TRUE(found) << "no frame bar at " << Describe(bar);
    }

    EXPECT_FALSE(run.Folder().Exists(L"action.txt"));
    // The frame and the note show before the watch pictures the range (a note over the
    // range belongs to the picture): the change comes once the watch runs its loop.
    ASSERT_TRUE(run.Tlr().TakesMessages(frames[0], kWait));
    ASSERT_TRUE(run.PatchOnTop(range));
    ASSERT_TRUE(run.SetPatchColour(kPatchBlue));
    ASSERT_TRUE(run.DismissBoxesUntil([&] { return run.Folder().Exists(L"action.txt"); }, 40000))
        << "the command did not run" << (run.Tlr().IsRunning() ? "" : " and the program has ended") << "; "
        << run.PatchOnTop(range).message();
    EXPECT_TRUE(run.DismissBoxesUntil([&] { return !run.Tlr().IsRunning(); }, 40000)) << "the program did not end";
    DWORD code = 99;
    ASSERT_TRUE(run.Tlr().WaitExit(1000, &code));
    EXPECT_EQ(code, 0u);
    const std::wstring powerScheme = L"PowerGetActiveScheme Error Code =";
    for (const std::wstring& text : run.boxes)
        EXPECT_EQ(text.compare(0, powerScheme.size(), powerScheme), 0) << "unexpected box: " << Narrow(text);
}

// A press and release at one point chooses nothing that can be watched.
TEST(WizardRangePage, RangeWithoutAreaKeepsNextDisabled) {
    RangeWizard run;
    ASSERT_NO_FATAL_FAILURE(run.ShowPatch());
    ASSERT_NO_FATAL_FAILURE(run.OpenRangePage());
    ASSERT_TRUE(run.Sheet().WaitForButtons(true, false, false, kWait));

    HWND drag = run.StartDrag(Point(1500, 700));
    ASSERT_TRUE(drag);
    ASSERT_NO_FATAL_FAILURE(run.Drag(drag, MouseButton::Left, Point(1450, 650), Point(1450, 650), MouseButton::Left));
    // The page has taken the point (its hidden box moved there) and still offers Back only.
    ASSERT_TRUE(run.WaitForBox(Rect(1450, 650, 1450, 650), false));
    EXPECT_TRUE(run.Sheet().WaitForButtons(true, false, false, kWait));
    EXPECT_FALSE(run.Sheet().IsButtonEnabled(kSheetNext));

    // A real range enables Next; a line without height after it disables Next again.
    drag = run.StartDrag(Point(1500, 700));
    ASSERT_TRUE(drag);
    ASSERT_NO_FATAL_FAILURE(run.Drag(drag, MouseButton::Left, Point(1300, 560), Point(1700, 840), MouseButton::Left));
    ASSERT_TRUE(run.Sheet().WaitForButtons(true, true, false, kWait));
    drag = run.StartDrag(Point(1500, 700));
    ASSERT_TRUE(drag);
    ASSERT_NO_FATAL_FAILURE(run.Drag(drag, MouseButton::Right, Point(1300, 600), Point(1700, 600), MouseButton::Right));
    EXPECT_TRUE(run.Sheet().WaitForButtons(true, false, false, kWait));
    EXPECT_TRUE(run.WaitForBox(Rect(1300, 600, 1700, 600), false));
    run.CancelAndExpectQuietEnd();
    EXPECT_EQ(run.Folder().ReadSetting(kWorking, L"ScrLeft"), L"");
}

// A strip one pixel high (a progress line) is a range the watch can use: Next goes on, and
// the box shows it although it is thinner than a pixel of the map.
TEST(WizardRangePage, ThinStripEnablesNext) {
    RangeWizard run;
    ASSERT_NO_FATAL_FAILURE(run.ShowPatch());
    ASSERT_NO_FATAL_FAILURE(run.OpenRangePage());
    HWND drag = run.StartDrag(Point(1500, 700));
    ASSERT_TRUE(drag);
    ASSERT_NO_FATAL_FAILURE(run.Drag(drag, MouseButton::Left, Point(1700, 701), Point(1300, 700), MouseButton::Left));
    ASSERT_TRUE(run.Sheet().WaitForButtons(true, true, false, kWait));
    ASSERT_TRUE(run.WaitForBox(Rect(1300, 700, 1700, 701), true));
    RECT box = WindowRect(run.Control(kRangeBox));
    EXPECT_GE(box.bottom - box.top, 1);
    ASSERT_TRUE(run.Sheet().Press(kSheetNext));
    ASSERT_TRUE(run.Sheet().WaitForPage(kActionPage, kWait));
    run.ExpectRangeInFile(kWorking, Rect(1300, 700, 1700, 701));
    run.CancelAndExpectQuietEnd();
}

// Esc ends a drag, while the label follows and while the rectangle is open, and the page
// keeps the range it had; the wizard itself is not cancelled by it.
TEST(WizardRangePage, EscDuringADragKeepsTheEarlierRange) {
    RangeWizard run;
    const RECT earlier = Rect(1300, 560, 1700, 840);
    run.Folder().WriteRange(kWorking, earlier);
    ASSERT_NO_FATAL_FAILURE(run.ShowPatch());
    ASSERT_NO_FATAL_FAILURE(run.OpenRangePage());
    ASSERT_TRUE(run.Sheet().WaitForButtons(true, true, false, kWait));
    ASSERT_TRUE(run.WaitForBox(earlier, true));

    HWND drag = run.StartDrag(Point(1500, 700));
    ASSERT_TRUE(drag);
    ASSERT_TRUE(TypeKey(VK_ESCAPE));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(drag); }, kWait)) << "Esc did not end the drag";
    EXPECT_TRUE(run.WaitForBox(earlier, true));

    drag = run.StartDrag(Point(1500, 700));
    ASSERT_TRUE(drag);
    ASSERT_TRUE(MousePress(MouseButton::Left, Point(1250, 500)));
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(drag).left == 1250 && WindowRect(drag).top == 500; }, kWait));
    ASSERT_TRUE(MouseMoveTo(Point(1450, 650)));
    ASSERT_TRUE(WaitUntil([&] { return SameRect(WindowRect(drag), Rect(1250, 500, 1450, 650)); }, kWait))
        << "while dragging the window is " << Describe(WindowRect(drag));
    ASSERT_TRUE(TypeKey(VK_ESCAPE));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(drag); }, kWait)) << "Esc did not end the drag";
    ASSERT_TRUE(MouseRelease(MouseButton::Left, Point(1450, 650)));
    EXPECT_TRUE(run.WaitForBox(earlier, true));
    EXPECT_TRUE(run.Sheet().WaitForButtons(true, true, false, kWait));

    // The wizard goes on and stores the range it had.
    ASSERT_TRUE(run.Sheet().Press(kSheetNext));
    ASSERT_TRUE(run.Sheet().WaitForPage(kActionPage, kWait));
    run.ExpectRangeInFile(kWorking, earlier);
    run.CancelAndExpectQuietEnd();
}

// A dragged range lives on the page only: Back drops it, and the page shows the range of
// the file again when it is entered. The page names the saved setting it works on.
TEST(WizardRangePage, BackDropsTheDraggedRangeAndTheFileRangeReturns) {
    RangeWizard run;
    const wchar_t kSaved[] = L"夜の監視";
    const RECT stored = Rect(1250, 520, 1500, 700);
    run.Folder().WriteRange(kSaved, stored);
    run.Folder().WriteSetting(kSaved, L"WatchMode", 0);
    ASSERT_NO_FATAL_FAILURE(run.ShowPatch());
    ASSERT_NO_FATAL_FAILURE(run.OpenRangePage(1));
    EXPECT_EQ(WindowText(run.Control(kSettingName)), std::wstring(L"設定名：") + kSaved);
    ASSERT_TRUE(run.WaitForBox(stored, true));

    HWND drag = run.StartDrag(Point(1500, 700));
    ASSERT_TRUE(drag);
    ASSERT_NO_FATAL_FAILURE(run.Drag(drag, MouseButton::Left, Point(1550, 600), Point(1780, 880), MouseButton::Left));
    ASSERT_TRUE(run.WaitForBox(Rect(1550, 600, 1780, 880), true));

    ASSERT_TRUE(run.Sheet().Press(kSheetBack));
    ASSERT_TRUE(run.Sheet().WaitForPage(kModePage, kWait));
    run.ExpectRangeInFile(kSaved, stored);
    ASSERT_TRUE(ChooseComboItem(run.Control(kSavedList), 1));
    ASSERT_TRUE(run.Sheet().Press(kSheetNext));
    ASSERT_TRUE(run.Sheet().WaitForPage(kRangePage, kWait));
    EXPECT_TRUE(run.WaitForBox(stored, true));
    ASSERT_TRUE(run.Sheet().Press(kSheetNext));
    ASSERT_TRUE(run.Sheet().WaitForPage(kActionPage, kWait));
    run.ExpectRangeInFile(kSaved, stored);
    EXPECT_EQ(run.Folder().ReadSetting(kWorking, L"ScrLeft"), L"");
    run.CancelAndExpectQuietEnd();
}

// The hold is on for a new setting; unchecked it is stored as "0" and shown so again.
TEST(WizardRangePage, HoldCheckBoxDefaultsOnAndUncheckedWritesZero) {
    RangeWizard run;
    const RECT stored = Rect(1250, 520, 1500, 700);
    run.Folder().WriteRange(kWorking, stored);
    // Back from the action page stores it: give it a parameter to store.
    run.Folder().WriteSetting(kWorking, L"Act", 1);
    run.Folder().WriteSetting(kWorking, L"ParamCmd", L"cmd /c exit");
    ASSERT_NO_FATAL_FAILURE(run.OpenRangePage());
    HWND hold = run.Control(kHoldCheck);
    ASSERT_TRUE(IsChecked(hold));
    ASSERT_TRUE(Click(hold));
    ASSERT_TRUE(WaitUntil([&] { return !IsChecked(hold); }, kWait));
    ASSERT_TRUE(run.Sheet().Press(kSheetNext));
    ASSERT_TRUE(run.Sheet().WaitForPage(kActionPage, kWait));
    EXPECT_EQ(run.Folder().ReadSetting(kWorking, L"SSHold"), L"0");

    ASSERT_TRUE(run.Sheet().Press(kSheetBack));
    ASSERT_TRUE(run.Sheet().WaitForPage(kRangePage, kWait));
    EXPECT_FALSE(IsChecked(run.Control(kHoldCheck)));
    ASSERT_TRUE(Click(run.Control(kHoldCheck)));
    ASSERT_TRUE(WaitUntil([&] { return IsChecked(run.Control(kHoldCheck)); }, kWait));
    ASSERT_TRUE(run.Sheet().Press(kSheetNext));
    ASSERT_TRUE(run.Sheet().WaitForPage(kActionPage, kWait));
    EXPECT_EQ(run.Folder().ReadSetting(kWorking, L"SSHold"), L"1");
    run.CancelAndExpectQuietEnd();
}

// A settings file that cannot be written (here a folder of its name): every write says so
// with the file's path, and neither Finish nor saving under a name goes on from the action
// page, so no watch starts from values the user did not choose and no setting is shown as
// saved.
TEST(WizardUnwritableSettings, FinishAndSavingStayOnTheActionPage) {
    const int kCommandRadio = 1704;
    const int kParameter = 1707;
    const int kEdit = 1710;
    const int kSave = 1712;
    const int kCommandBox = 9203;
    const int kCommandOk = 9212;
    RangeWizard run(L"tlr unwritable");
    const std::wstring ini = run.Folder().File(L"TLR.ini");
    ASSERT_TRUE(CreateDirectoryW(ini.c_str(), nullptr));
    const std::wstring box = L"設定ファイルに書き込めません\n" + ini;
    ASSERT_NO_FATAL_FAILURE(run.OpenRangePageWithoutWrites(box));

    HWND drag = run.StartDrag(Point(1500, 700));
    ASSERT_TRUE(drag);
    ASSERT_NO_FATAL_FAILURE(run.Drag(drag, MouseButton::Left, Point(1300, 560), Point(1700, 840), MouseButton::Left));
    ASSERT_TRUE(run.Sheet().WaitForButtons(true, true, false, kWait));
    ASSERT_TRUE(run.Sheet().Press(kSheetNext));
    ASSERT_NO_FATAL_FAILURE(run.AnswerBox(box));
    ASSERT_TRUE(run.Sheet().WaitForPage(kActionPage, kWait));

    // A command typed in its dialog; OK there keeps the dialog's place, which fails too.
    ASSERT_TRUE(Click(run.Control(kCommandRadio)));
    ASSERT_TRUE(WaitUntil([&] { return IsChecked(run.Control(kCommandRadio)); }, kWait));
    ASSERT_TRUE(Click(run.Control(kEdit)));
    HWND dialog = WaitForDialog(run.Tlr(), L"DOSコマンドの入力", kWait);
    ASSERT_TRUE(dialog) << "no command dialog";
    const std::wstring command = L"cmd /c echo acted>acted.txt";
    ASSERT_TRUE(TypeText(ChildById(dialog, kCommandBox), command));
    ASSERT_TRUE(PressButton(dialog, kCommandOk));
    ASSERT_NO_FATAL_FAILURE(run.AnswerBox(box));
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, kWait)) << "the dialog stays";
    ASSERT_TRUE(WaitUntil([&] { return WindowTextTimeout(run.Control(kParameter), 2000) == command; }, kWait));

    // Finish: the box, and the wizard stays on its page; pressed again, the same.
    for (int press = 0; press < 2; ++press) {
        ASSERT_TRUE(run.Sheet().Press(kSheetFinish));
        ASSERT_NO_FATAL_FAILURE(run.AnswerBox(box));
        EXPECT_EQ(run.Sheet().CurrentPageId(), kActionPage);
        EXPECT_TRUE(run.Sheet().WaitForButtons(true, false, true, kWait));
    }

    // Saving under a name: the box instead of the desktop question; no name is shown.
    ASSERT_TRUE(Click(run.Control(kSave)));
    HWND prompt = WaitForDialog(run.Tlr(), L"監視・実行パラメーターの保存とショートカットの作成", kWait);
    ASSERT_TRUE(prompt) << "no name prompt";
    ASSERT_TRUE(TypeText(ChildById(prompt, 9102), L"保存できない"));
    ASSERT_TRUE(PressButton(prompt, 9103));
    ASSERT_NO_FATAL_FAILURE(run.AnswerBox(box));
    EXPECT_EQ(WindowText(run.Control(1713)), L"");
    ASSERT_TRUE(WaitForEnabled(run.Sheet().Sheet(), true, kWait));
    EXPECT_FALSE(run.Tlr().WaitForMessageBox(1000)) << "a box after the failed save";

    // Nothing was started: no watch frames, no command; Cancel ends the program quietly.
    for (HWND w : run.Tlr().TopWindows()) EXPECT_NE(ClassName(w), L"SCRWATCHWINCLASS");
    EXPECT_FALSE(run.Folder().Exists(L"acted.txt"));
    ASSERT_NO_FATAL_FAILURE(run.CancelAndExpectQuietEnd());
    EXPECT_FALSE(run.Folder().Exists(L"acted.txt"));
}
