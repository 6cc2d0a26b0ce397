#include "app/message_box.h"

#include <cstdio>

const wchar_t kAppCaption[] = L"Tollerup";

namespace {
MessageBoxPresenter* g_presenter = nullptr;

int Present(HWND owner, const WideString& text, UINT flags) {
    flags |= MB_TOPMOST | MB_SETFOREGROUND;
    if (g_presenter) return g_presenter->Present(owner, text, flags);
    return MessageBoxW(owner, text.c_str(), kAppCaption, flags);
}
}  // namespace

MessageBoxPresenter* SetMessageBoxPresenter(MessageBoxPresenter* presenter) {
    MessageBoxPresenter* previous = g_presenter;
    g_presenter = presenter;
    return previous;
}

int ShowErrorBox(const WideString& text, HWND owner) {
    return Present(owner, text, MB_ICONERROR);
}

int ShowQuestionBox(const WideString& text, HWND owner, UINT buttons) {
    return Present(owner, text, MB_ICONQUESTION | buttons);
}

int ShowInfoBox(const WideString& text, HWND owner) {
    return Present(owner, text, MB_ICONINFORMATION);
}

WideString AnsiToWide(const char* name) {
    if (!name) return WideString();
    int count = MultiByteToWideChar(CP_ACP, 0, name, -1, nullptr, 0);
    if (count <= 0) return WideString();
    std::wstring wide(static_cast<size_t>(count), L'\0');
    MultiByteToWideChar(CP_ACP, 0, name, -1, &wide[0], count);
    wide.resize(static_cast<size_t>(count - 1));
    return WideString(wide);
}

WideString ErrorCodeText(const wchar_t* name, long code) {
    wchar_t number[24];
    swprintf(number, 24, L"%ld", code);
    return WideString(name) + L" Error Code =" + number;
}

WideString HResultText(const wchar_t* name, HRESULT hr) {
    wchar_t number[24];
    swprintf(number, 24, L"0x%08lx", static_cast<unsigned long>(hr));
    return WideString(name) + L" Error Code =" + number;
}

BOOL ReportLastError(BOOL result, const wchar_t* name) {
    if (!result) {
        DWORD code = GetLastError();
        ShowErrorBox(ErrorCodeText(name, static_cast<long>(code)));
        SetLastError(code);
    }
    return result;
}

BOOL ReportLastError(BOOL result, const char* name) {
    if (!result) {
        DWORD code = GetLastError();
        ShowErrorBox(ErrorCodeText(AnsiToWide(name).c_str(), static_cast<long>(code)));
        SetLastError(code);
    }
    return result;
}

long ReportErrorCode(long code, const wchar_t* name) {
    if (code != 0) ShowErrorBox(ErrorCodeText(name, code));
    return code;
}

long ReportErrorCode(long code, const char* name) {
    if (code != 0) ShowErrorBox(ErrorCodeText(AnsiToWide(name).c_str(), code));
    return code;
}

HRESULT ReportHResult(HRESULT hr, const wchar_t* name) {
    if (FAILED(hr)) ShowErrorBox(HResultText(name, hr));
    return hr;
}

HRESULT ReportHResult(HRESULT hr, const char* name) {
    if (FAILED(hr)) ShowErrorBox(HResultText(AnsiToWide(name).c_str(), hr));
    return hr;
}
