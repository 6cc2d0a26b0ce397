// Values of the settings file, its section and name blocks, and window handles kept as
// text. A value written through the protection reads back as it was written, by the
// single-key read and in a section block alike; any block the system returns is cut into
// its lines without fault; a handle's text reads back as the handle.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/settings_text.h"
#include "app/string_list.h"
#include "fuzz/fuzz_input.h"

namespace {

// What the single-key read of the private-profile functions makes of a stored value:
// one pair of enclosing double quotes is dropped.
WideString ReadBySingleKey(const WideString& stored) {
    if (stored.Length() >= 2 && stored.At(0) == L'"' && stored.At(stored.Length() - 1) == L'"')
        return stored.Piece(1, stored.Length() - 2);
    return stored;
}

// A key as the file can hold it: no "=" and not empty.
WideString KeyOf(const WideString& text, int index) {
    WideString key;
    for (int i = 0; i < text.Length(); ++i) {
        if (text.At(i) != L'=') key.Append(text.At(i));
    }
    return key.IsEmpty() ? WideString(L"Key") + WideString::FromInt(index) : key;
}

void CheckValueRoundTrips(FuzzInput& input) {
    std::vector<WideString> keys;
    std::vector<WideString> values;
    std::wstring block;
    for (int i = 0; i < 8 && !input.AtEnd(); ++i) {
        WideString key = KeyOf(input.Text(), i);
        WideString value = input.Text();
        WideString stored = ProtectEnclosingQuotes(value);
        FUZZ_CHECK_TEXTS(ReadBySingleKey(stored) == value, value, stored);
        keys.push_back(key);
        values.push_back(value);
        block += (key + L"=" + stored).str();
        block.push_back(L'\0');
    }
    block.push_back(L'\0');

    SectionLines lines;
    ParseSectionBlock(block.data(), block.size(), lines);
    FUZZ_CHECK(lines.Count() == static_cast<int>(keys.size()));
    for (int i = 0; i < lines.Count(); ++i) {
        FUZZ_CHECK_TEXTS(lines.Key(i) == keys[static_cast<size_t>(i)], lines.Key(i), keys[static_cast<size_t>(i)]);
        FUZZ_CHECK_TEXTS(lines.Value(i) == values[static_cast<size_t>(i)], lines.Value(i),
                         values[static_cast<size_t>(i)]);
    }
}

// Any block: the system's answer, possibly cut short by its buffer. The lines end at the
// first empty one (the double zero) or at the end of the block.
void CheckAnyBlock(const std::wstring& block) {
    std::vector<std::wstring> pieces;
    size_t start = 0;
    for (size_t i = 0; i <= block.size(); ++i) {
        if (i < block.size() && block[i] != L'\0') continue;
        if (i == start) break;
        pieces.push_back(block.substr(start, i - start));
        start = i + 1;
    }
    SectionLines lines;
    ParseSectionBlock(block.data(), block.size(), lines);
    StringList names;
    ParseNameBlock(block.data(), block.size(), names);
    FUZZ_CHECK(names.Count() == static_cast<int>(pieces.size()));
    FUZZ_CHECK(lines.Count() == names.Count());
    for (int i = 0; i < lines.Count(); ++i) {
        const WideString piece(pieces[static_cast<size_t>(i)]);
        FUZZ_CHECK(names[i] == piece);
        const WideString& line = lines.Line(i);
        int equals = lines.EqualsPos(i);
        FUZZ_CHECK(equals == piece.Find(L"="));
        FUZZ_CHECK(line.Left(equals + 1) == piece.Left(equals + 1));
        // The value is the stored one, or that less one pair of enclosing quotes.
        WideString stored = piece.Mid(equals + 1);
        FUZZ_CHECK_TEXTS(lines.Value(i) == (equals < 0 ? piece : ReadBySingleKey(stored)), piece, lines.Value(i));
    }
}

void CheckHandleTexts(uint64_t value, const WideString& text) {
    for (int bits : {32, 64}) {
        uint64_t low = bits == 64 ? value : (value & 0xFFFFFFFFull);
        WideString written = HandleValueToText(value, bits);
        // The buffer the text is read with holds 20 characters with the terminating zero.
        FUZZ_CHECK(written.Length() >= 1 && written.Length() <= 16);
        for (int i = 0; i < written.Length(); ++i) {
            wchar_t ch = written.At(i);
            FUZZ_CHECK((ch >= L'0' && ch <= L'9') || (ch >= L'a' && ch <= L'f'));
        }
        FUZZ_CHECK(written.Length() == 1 || written.At(0) != L'0');
        FUZZ_CHECK(TextToHandleValue(written, bits) == low);

        uint64_t read = TextToHandleValue(text, bits);
        FUZZ_CHECK(bits == 64 || read <= 0xFFFFFFFFull);
        bool hexadecimal = true;
        for (int i = 0; i < text.Length(); ++i) {
            wchar_t ch = text.At(i);
            hexadecimal =
                hexadecimal && ((ch >= L'0' && ch <= L'9') || (ch >= L'a' && ch <= L'f') || (ch >= L'A' && ch <= L'F'));
        }
        FUZZ_CHECK(hexadecimal || read == 0);
    }
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
    FUZZ_CHECK(TextToWindowHandle(WindowHandleToText(window)) == window);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The whole input, zero bytes and all, as a block of the system's.
    std::string bytes(reinterpret_cast<const char*>(data), size);
    std::wstring block;
    size_t start = 0;
    for (size_t i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == '\0') {
            block += UnitsOfUtf8(bytes.substr(start, i - start));
            if (i < bytes.size()) block.push_back(L'\0');
            start = i + 1;
        }
    }
    CheckAnyBlock(block);

    FuzzInput input(data, size);
    uint64_t value = input.Number();
    WideString text = input.Text();
    CheckHandleTexts(value, text);
    CheckValueRoundTrips(input);
    return 0;
}
