// Takes a picture of each wizard page and of the dialogs the action page opens, for the
// README. Usage: wizard_pictures <output folder>. Writes wizard-<id>.bmp files; the
// script scripts/wizard_pictures.sh turns them into PNG files.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "driver/views_driver.h"
#include "driver/wizard_driver.h"

using namespace e2e;

namespace {
const DWORD kWait = 20000;

bool SaveWindowPicture(HWND window, const std::wstring& path) {
    // The client area: without a window manager nobody draws the frame.
    RECT r = {};
    if (!GetClientRect(window, &r)) return false;
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    // Let the window finish painting.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    Sleep(300);
    std::vector<DWORD> pixels = GrabScreenPixels(r);
    int w = r.right - r.left, h = r.bottom - r.top;
    if (pixels.size() != static_cast<size_t>(w) * h) return false;
    int stride = (w * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof(info);
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(stride) * h;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
    std::string row(static_cast<size_t>(stride), '\0');
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            DWORD p = pixels[static_cast<size_t>(y) * w + x];
            row[x * 3 + 0] = static_cast<char>(p & 0xFF);
            row[x * 3 + 1] = static_cast<char>((p >> 8) & 0xFF);
            row[x * 3 + 2] = static_cast<char>((p >> 16) & 0xFF);
        }
        bytes += row;
    }
    std::ofstream out(path.c_str(), std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return out.good();
}

bool Picture(HWND window, const std::wstring& folder, const std::wstring& name) {
    bool saved = window && SaveWindowPicture(window, folder + L"\\" + name + L".bmp");
    std::fprintf(stderr, "%s %s\n", saved ? "saved" : "FAILED", Narrow(name).c_str());
    return saved;
}

// Opens the parameter dialog of one kind from page 170, pictures it and cancels it.
void PictureParameterDialog(const Program& tlr, const Wizard& wizard, int radio, const std::wstring& caption,
                            int cancelId, const std::wstring& folder, const std::wstring& name) {
    Click(wizard.Control(radio));
    WaitUntil([&] { return IsChecked(wizard.Control(radio)); }, kWait);
    Click(wizard.Control(1710));
    HWND dialog = WaitForDialog(tlr, caption, kWait);
    Picture(dialog, folder, name);
    if (dialog) PressButton(dialog, cancelId);
    WaitForEnabled(wizard.Sheet(), true, kWait);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: wizard_pictures <output folder>\n");
        return 2;
    }
    std::wstring out = argv[1];
    TempFolder folder(L"tlr pictures");
    folder.WriteSetting(L"夜 の 録画", L"WatchMode", 0);
    folder.WriteSetting(L"Tollerup", L"ScrLeft", 400);
    folder.WriteSetting(L"Tollerup", L"ScrTop", 300);
    folder.WriteSetting(L"Tollerup", L"ScrRight", 1200);
    folder.WriteSetting(L"Tollerup", L"ScrBottom", 700);
    folder.WriteSetting(L"Tollerup", L"Act", 1);
    folder.WriteSetting(L"Tollerup", L"ParamCmd", L"notepad.exe C:\\users\\report.txt");
    folder.WriteSetting(L"Tollerup", L"ParamPlay", L"Repeat Vol:40% C:\\windows\\Media\\chimes.wav");

    Program tlr;
    if (!tlr.Start(ProgramPath(), L"", folder.Path())) return 1;
    Wizard wizard = Wizard::WaitFor(tlr, kWait);
    if (!wizard || !wizard.WaitForPage(110, kWait)) return 1;
    SetWindowPos(wizard.Sheet(), HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    int failures = 0;
    failures += !Picture(wizard.Sheet(), out, L"wizard-110");

    wizard.Press(kSheetNext);
    if (wizard.WaitForPage(120, kWait)) failures += !Picture(wizard.Sheet(), out, L"wizard-120");
    wizard.Press(kSheetNext);
    if (wizard.WaitForPage(170, kWait)) {
        failures += !Picture(wizard.Sheet(), out, L"wizard-170");
        PictureParameterDialog(tlr, wizard, 1704, L"DOSコマンドの入力", 9211, out, L"dialog-9200");
        PictureParameterDialog(tlr, wizard, 1705, L"Windows終了の設定", 9311, out, L"dialog-9300");
        PictureParameterDialog(tlr, wizard, 1703, L"音声・動画ファイルの設定", 9405, out, L"dialog-9400");
    }

    // The process road, on a program of the tests' own that has a few windows.
    Program target;
    target.Start(HelperPath(L"watch_target"), L"監視される処理", folder.Path());
    HWND targetWindow = target.WaitForWindowTitled(L"監視される処理", kWait);
    if (targetWindow) PostMessageW(targetWindow, WM_APP + 6, 0, 0);
    wizard.Press(kSheetBack);
    wizard.WaitForPage(120, kWait);
    wizard.Press(kSheetBack);
    if (wizard.WaitForPage(110, kWait)) {
        Click(wizard.Control(1110));
        WaitUntil([&] { return IsChecked(wizard.Control(1110)); }, kWait);
        wizard.Press(kSheetNext);
    }
    if (wizard.WaitForPage(130, kWait)) {
        HWND list = wizard.Control(1301);
        int row = -1;
        WaitUntil([&] { return (row = FindListRow(list, 0, L"watch_target.exe")) >= 0; }, kWait);
        if (row >= 0) ClickListRow(list, row);
        WaitUntil([&] { return wizard.IsButtonEnabled(kSheetNext); }, kWait);
        failures += !Picture(wizard.Sheet(), out, L"wizard-130");
        wizard.Press(kSheetNext);
    }
    if (wizard.WaitForPage(140, kWait)) {
        Click(wizard.Control(1403));
        failures += !Picture(wizard.Sheet(), out, L"wizard-140");
        Click(wizard.Control(1406));
        HWND tree = WaitForDialog(tlr, L"Tollerup の設定", kWait);
        if (tree) {
            HWND view = GetDlgItem(tree, 1501);
            std::vector<TreeNode> nodes = ReadTree(view);
            if (!nodes.empty() && !nodes[0].children.empty()) SelectTreeItem(view, nodes[0].children[0].item);
            failures += !Picture(tree, out, L"dialog-150");
            PressButton(tree, 1502);
            WaitForEnabled(wizard.Sheet(), true, kWait);
        }
        Click(wizard.Control(1407));
        HWND test = WaitForDialog(tlr, L"条件のテスト", kWait);
        if (test) {
            if (targetWindow) PostMessageW(targetWindow, WM_APP + 1, 0, 0);
            WaitUntil(
                [&] {
                    return WindowTextTimeout(GetDlgItem(test, 1603)).find(L"条件成立") != std::wstring::npos &&
                           WindowTextTimeout(GetDlgItem(test, 1603)).find(L"不成立") == std::wstring::npos;
                },
                kWait);
            failures += !Picture(test, out, L"dialog-160");
            PressButton(test, 1606);
        }
    }
    wizard.Press(kSheetCancel);
    DWORD code = 0;
    if (!tlr.WaitExit(kWait, &code)) tlr.Kill();
    target.Kill();
    return failures == 0 ? 0 : 1;
}
