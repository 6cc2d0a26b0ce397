#include "wizard/window_tree.h"

#include <vector>

#include "app/message_box.h"
#include "app/system_info.h"
#include "res/resource.h"
#include "watch/process_query.h"
#include "wizard/dialog_helpers.h"
#include "wizard/window_tree_logic.h"

namespace {

// The dialog that the tree procedure shows; set by the dialog's construction.
WindowTreeDialog* currentTree = nullptr;

HWND AsWindow(LONG_PTR value) {
    return reinterpret_cast<HWND>(value);
}

struct DescendantWalk {
    std::vector<DescendantWindow>* list;
    // Threads that let a question time out are not asked again in this walk.
    std::vector<DWORD> silentThreads;
};

BOOL CALLBACK AddDescendant(HWND window, LPARAM context) {
    auto* walk = reinterpret_cast<DescendantWalk*>(context);
    DWORD thread = GetWindowThreadProcessId(window, nullptr);
    WideString text;
    bool silent = false;
    for (DWORD known : walk->silentThreads) silent = silent || known == thread;
    if (!silent && !ReadWindowTextBounded(window, text)) walk->silentThreads.push_back(thread);
    walk->list->push_back({reinterpret_cast<LONG_PTR>(window), reinterpret_cast<LONG_PTR>(GetParent(window)), text});
    return TRUE;
}

// The windows of another process as the system tells them.
class SystemWindowFacts : public WindowFacts {
public:
    WideString ClassName(LONG_PTR window) override {
        wchar_t name[MAX_PATH] = {};
        ReportLastError(GetClassNameW(AsWindow(window), name, MAX_PATH) != 0, "GetClassName");
        return WideString(name);
    }
    void Rect(LONG_PTR window, RECT& rect) override {
        ReportLastError(GetWindowRect(AsWindow(window), &rect), "GetWindowRect1");
    }
    bool IsVisible(LONG_PTR window) override { return IsWindowVisible(AsWindow(window)) != FALSE; }
    void Descendants(LONG_PTR window, std::vector<DescendantWindow>& descendants) override {
        DescendantWalk walk = {&descendants, {}};
        EnumChildWindows(AsWindow(window), AddDescendant, reinterpret_cast<LPARAM>(&walk));
    }
};

LONG_PTR ItemWindow(HWND tree, HTREEITEM item) {
    if (!item) return 0;
    TVITEMW data = {};
    data.mask = TVIF_PARAM | TVIF_HANDLE;
    data.hItem = item;
    if (!SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data))) return 0;
    return data.lParam;
}

void EndTree(HWND dialog, INT_PTR result) {
    ReportLastError(EndDialog(dialog, result), "EndDialog");
}

INT_PTR CALLBACK WindowTreeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowTreeDialog* tree = currentTree;
    if (!tree) return FALSE;
    switch (message) {
    case WM_INITDIALOG:
        tree->OnInitDialog(dialog);
        return TRUE;
    case WM_NOTIFY: {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom != kWindowTree) return FALSE;
        switch (header->code) {
        case TVN_SELCHANGEDW:
            tree->ApplyOkRule();
            return TRUE;
        case NM_CUSTOMDRAW:
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, tree->OnCustomDraw(*reinterpret_cast<NMTVCUSTOMDRAW*>(lParam)));
            return TRUE;
        default:
            return FALSE;
        }
    }
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kWindowTreeOk:
            if (HIWORD(wParam) == BN_CLICKED) EndTree(dialog, reinterpret_cast<INT_PTR>(tree->SelectedWindow()));
            return TRUE;
        case kWindowTreeCancel:
            if (HIWORD(wParam) == BN_CLICKED) EndTree(dialog, 0);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_CLOSE:
        EndTree(dialog, 0);
        return TRUE;
    case WM_DESTROY:
        tree->OnDestroy();
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

WindowTreeDialog::WindowTreeDialog(HWND owner, int processId, HWND initialWindow)
    : owner_(owner), processId_(processId), initialWindow_(initialWindow) {
    currentTree = this;
}

WindowTreeDialog::~WindowTreeDialog() {
    if (currentTree == this) currentTree = nullptr;
}

HWND WindowTreeDialog::Run() {
    currentTree = this;
    INT_PTR result = DialogBoxParamW(AppInstance(), MAKEINTRESOURCEW(kWindowTreeDialog), owner_, WindowTreeProc, 0);
    return result == -1 ? nullptr : reinterpret_cast<HWND>(result);
}

void WindowTreeDialog::OnInitDialog(HWND dialog) {
    window_ = dialog;
    SetSmallIcon(dialog, IDI_APP);
    tree_ = GetDlgItem(dialog, kWindowTree);
    AttachTooltip(dialog, GetDlgItem(dialog, kWindowTreeCancel),
                  WideString(L"キャンセルすると、指定してあったウインドウも解除されます"));
    imageList_.Reset(ImageList_LoadImageW(AppInstance(), MAKEINTRESOURCEW(IDB_WINDOW_TREE), 16, 3, RGB(255, 255, 255),
                                          IMAGE_BITMAP, 0));
    if (imageList_) SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(imageList_.Get()));
    ReportLastError(SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT)) != 0,
                    "TV_DeleteAllItems");
    Fill();
    if (initialItem_) SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(initialItem_));
    ApplyOkRule();
}

void WindowTreeDialog::Fill() {
    initialItem_ = nullptr;
    ThreadWindowTexts texts;
    CollectThreadWindowTexts(processId_, texts);
    SystemWindowFacts facts;
    std::vector<TreeLine> lines = PlanWindowTree(texts.lines, texts.values, facts);
    std::vector<HTREEITEM> items(lines.size(), nullptr);
    for (size_t i = 0; i < lines.size(); ++i) {
        const TreeLine& line = lines[i];
        TVINSERTSTRUCTW insert = {};
        insert.hParent = line.parent < 0 ? TVI_ROOT : items[static_cast<size_t>(line.parent)];
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
        insert.item.pszText = const_cast<wchar_t*>(line.text.c_str());
        insert.item.iImage = line.image;
        insert.item.iSelectedImage = line.image;
        insert.item.lParam = line.window;
        insert.item.cChildren = line.hasChildren ? 1 : 0;
        items[i] =
            reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
        if (line.window != 0 && AsWindow(line.window) == initialWindow_) initialItem_ = items[i];
    }
}

HWND WindowTreeDialog::SelectedWindow() const {
    HTREEITEM selected = reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
    return AsWindow(ItemWindow(tree_, selected));
}

void WindowTreeDialog::ApplyOkRule() {
    HWND window = SelectedWindow();
    bool visible = window && IsWindowVisible(window);
    RECT rect = {0, 0, 0, 0};
    if (visible) ReportLastError(GetWindowRect(window, &rect), "GetWindowRect");
    EnableWindow(GetDlgItem(window_, kWindowTreeOk),
                 CanChooseWindow(reinterpret_cast<LONG_PTR>(window), visible, rect));
}

LRESULT WindowTreeDialog::OnCustomDraw(NMTVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: {
        HWND window = AsWindow(static_cast<LONG_PTR>(draw.nmcd.lItemlParam));
        if (!window || !IsWindow(window)) return CDRF_DODEFAULT;
        RECT rect = {0, 0, 0, 0};
        GetWindowRect(window, &rect);
        if (!IsGreyWindow(IsWindowVisible(window) != FALSE, rect)) return CDRF_DODEFAULT;
        draw.clrText = GetSysColor(COLOR_GRAYTEXT);
        return CDRF_NEWFONT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

void WindowTreeDialog::OnDestroy() {
    SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
    imageList_.Reset();
}

HWND ChooseWatchedWindow(HWND owner, int processId, HWND currentWindow) {
    WindowTreeDialog dialog(owner, processId, currentWindow);
    return dialog.Run();
}
