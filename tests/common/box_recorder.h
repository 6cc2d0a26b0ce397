// Records the program's message boxes instead of showing them, for the scope of a test.
#pragma once

#include <string>
#include <vector>

#include "app/message_box.h"

class BoxRecorder : public MessageBoxPresenter {
public:
    struct Box {
        std::wstring text;
        UINT flags;
        HWND owner;
    };
    explicit BoxRecorder(int answer = IDOK) : answer_(answer) { previous_ = SetMessageBoxPresenter(this); }
    ~BoxRecorder() override { SetMessageBoxPresenter(previous_); }
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;

    int Present(HWND owner, const WideString& text, UINT flags) override {
        boxes.push_back({text.str(), flags, owner});
        return answer_;
    }
    std::vector<Box> boxes;

private:
    int answer_;
    MessageBoxPresenter* previous_ = nullptr;
};
