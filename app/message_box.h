// Message boxes and error reporters. Every box has the caption "Tollerup" and the flags
// MB_TOPMOST | MB_SETFOREGROUND. Reporters show a box and return; the caller goes on.
#pragma once

#include <windows.h>

#include "app/wide_string.h"

extern const wchar_t kAppCaption[];  // "Tollerup"

int ShowErrorBox(const WideString& text, HWND owner = nullptr);
int ShowQuestionBox(const WideString& text, HWND owner, UINT buttons);
int ShowInfoBox(const WideString& text, HWND owner = nullptr);

// When result is zero: "<name> Error Code =<GetLastError()>". Returns result.
BOOL ReportLastError(BOOL result, const char* name);
BOOL ReportLastError(BOOL result, const wchar_t* name);
// When code is nonzero: "<name> Error Code =<code>". Returns code.
long ReportErrorCode(long code, const char* name);
long ReportErrorCode(long code, const wchar_t* name);
// When hr is negative: "<name> Error Code =0x<hr in 8 hex digits>". Returns hr.
HRESULT ReportHResult(HRESULT hr, const char* name);
HRESULT ReportHResult(HRESULT hr, const wchar_t* name);

// The texts the reporters show, for tests and for callers that log.
WideString ErrorCodeText(const wchar_t* name, long code);
WideString HResultText(const wchar_t* name, HRESULT hr);
// Narrow text (a call name, a 16-bit task name) read in the ANSI code page.
WideString AnsiToWide(const char* name);

// Where the boxes go. The program shows them with MessageBoxW; a test installs a
// presenter of its own to record them instead of blocking on a modal box.
class MessageBoxPresenter {
public:
    virtual ~MessageBoxPresenter() = default;
    // flags already include the icon, the buttons, MB_TOPMOST and MB_SETFOREGROUND.
    virtual int Present(HWND owner, const WideString& text, UINT flags) = 0;
};
// Installs a presenter (nullptr restores the system's boxes); returns the previous one.
MessageBoxPresenter* SetMessageBoxPresenter(MessageBoxPresenter* presenter);

// While it exists no box is shown: each one is dropped and answers IDOK. For the end of
// the Windows session, when nobody is left to answer a box and a box that waits would
// hold up the shutdown.
class DroppedBoxes : public MessageBoxPresenter {
public:
    DroppedBoxes() { previous_ = SetMessageBoxPresenter(this); }
    ~DroppedBoxes() override { SetMessageBoxPresenter(previous_); }
    DroppedBoxes(const DroppedBoxes&) = delete;
    DroppedBoxes& operator=(const DroppedBoxes&) = delete;
    int Present(HWND, const WideString&, UINT) override { return IDOK; }

private:
    MessageBoxPresenter* previous_ = nullptr;
};
