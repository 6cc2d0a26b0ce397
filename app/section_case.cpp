// The case table of section names: the one call that start-up's name rules make of the
// system, kept apart so that those rules build without it.
#include <windows.h>

#include <vector>

#include "app/startup_logic.h"

WideString UpperCaseAsSectionNames(const WideString& text) {
    if (text.IsEmpty()) return text;
    // The system's own case table, the same on every locale.
    int length = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.c_str(), text.Length(), nullptr, 0, nullptr,
                               nullptr, 0);
    if (length <= 0) return text;
    std::vector<wchar_t> upper(static_cast<size_t>(length) + 1, L'\0');
    length = LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, text.c_str(), text.Length(), upper.data(), length,
                           nullptr, nullptr, 0);
    if (length <= 0) return text;
    upper[static_cast<size_t>(length)] = L'\0';
    return WideString(upper.data());
}
