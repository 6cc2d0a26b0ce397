// Stands in for the program's message boxes the way a real box behaves: while a box is
// "shown" it runs a message loop of its own, as a modal box does, so that timers keep
// firing underneath it. The box is answered once the loop has dispatched a number of
// timer messages to windows of one class (or a generous time has passed). A box asked
// for while another is shown is recorded and answered at once.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "app/message_box.h"

class ModalBoxStandIn : public MessageBoxPresenter {
public:
    ModalBoxStandIn(const wchar_t* timerClass, int timersWhileShown)
        : timerClass_(timerClass), timersWhileShown_(timersWhileShown) {
        previous_ = SetMessageBoxPresenter(this);
    }
    ~ModalBoxStandIn() override { SetMessageBoxPresenter(previous_); }
    ModalBoxStandIn(const ModalBoxStandIn&) = delete;
    ModalBoxStandIn& operator=(const ModalBoxStandIn&) = delete;

    int Present(HWND, const WideString& text, UINT) override {
        texts.push_back(text.str());
        ++depth_;
        if (depth_ > deepest) deepest = depth_;
        if (depth_ == 1) RunLoop();
        --depth_;
        return IDOK;
    }

    std::vector<std::wstring> texts;
    int deepest = 0;           // most boxes shown at once
    int timersDispatched = 0;  // timer messages of the class dispatched while a box showed

private:
    void RunLoop() {
        const DWORD limitMs = 30000;
        DWORD start = GetTickCount();
        int seen = 0;
        while (seen < timersWhileShown_ && GetTickCount() - start < limitMs) {
            MSG msg;
            if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
                continue;
            }
            if (msg.message == WM_QUIT) {
                // A real box ends its loop and leaves the quit for the loop below it.
                PostQuitMessage(static_cast<int>(msg.wParam));
                return;
            }
            if (msg.message == WM_TIMER && IsOfClass(msg.hwnd)) {
                ++seen;
                ++timersDispatched;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    bool IsOfClass(HWND window) const {
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        return timerClass_ == name;
    }

    std::wstring timerClass_;
    int timersWhileShown_;
    int depth_ = 0;
    MessageBoxPresenter* previous_ = nullptr;
};
