// The native build has no system case table: section names are upper-cased here by the
// rules the targets rely on (one text, one result; a name and its upper case agree), for
// the letters of ASCII, Latin-1 and the full-width forms.
#include "app/startup_logic.h"

#include <vector>

WideString UpperCaseAsSectionNames(const WideString& text) {
    std::vector<wchar_t> upper;
    upper.reserve(static_cast<size_t>(text.Length()) + 1);
    for (int i = 0; i < text.Length(); ++i) {
        wchar_t unit = text.At(i);
        if ((unit >= L'a' && unit <= L'z') || (unit >= 0xE0 && unit <= 0xFE && unit != 0xF7))
            unit = static_cast<wchar_t>(unit - 0x20);
        else if (unit >= 0xFF41 && unit <= 0xFF5A)
            unit = static_cast<wchar_t>(unit - 0x20);
        upper.push_back(unit);
    }
    upper.push_back(L'\0');
    return WideString(upper.data());
}
