// What the end-to-end tests need to know of the system they run on: Wine or Windows, the
// token the programs get, the screen saver switch of the user's profile, and the forms in
// which paths and window handles travel between the test script, the tests and the
// program.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

// True under Wine (its ntdll exports wine_get_version).
bool RunsUnderWine();

// The elevation type of this test's token; the programs it starts get the same. Under
// Wine every program runs with a full token (TokenElevationTypeFull).
TOKEN_ELEVATION_TYPE TestTokenElevation();
// A wizard page's caption as the program shows it to that token: "(昇格中)" appended
// when the token is elevated.
std::wstring PageTitle(const std::wstring& base);

// A path that the test script hands over in the form of the build machine
// ("/build/x86/bin/TLR32.exe") as Wine's drive Z: shows it; any other path unchanged.
std::wstring UnixToWindowsPath(const std::wstring& path);

// A window handle as the program writes it into settings and texts: lower-case
// hexadecimal digits without leading zeros.
std::wstring HandleText(HWND window);

// The screen saver switch of the user's profile: the value "ScreenSaveActive" of
// HKCU\Control Panel\Desktop, "(absent)" when there is none. Writing "(absent)" removes
// the value; true when the profile took the change.
std::wstring ReadScreenSaveActive();
bool WriteScreenSaveActive(const std::wstring& value);

// Sets the screen saver switch for a test and puts the value found before back at its end.
class ScreenSaverValue {
public:
    explicit ScreenSaverValue(const std::wstring& value);
    ~ScreenSaverValue();
    ScreenSaverValue(const ScreenSaverValue&) = delete;
    ScreenSaverValue& operator=(const ScreenSaverValue&) = delete;

private:
    std::wstring original_;
};

}  // namespace e2e
