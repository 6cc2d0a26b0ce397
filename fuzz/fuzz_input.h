// What a fuzz target reads from its input, and how it says that a property failed.
//
// An input is a row of fields separated by zero bytes. A text field is UTF-8 and reaches
// the code as the UTF-16 units Windows would give it: a character beyond U+FFFF becomes a
// surrogate pair, a three-byte sequence may also give a lone surrogate, and a byte that
// starts no sequence stands for the unit of its own value. No text holds a zero unit: the
// texts the program reads are zero-terminated. A number field of decimal digits (with an
// optional minus) is read as that number, wrapping; any other field as its first eight
// bytes, little-endian. Missing fields are empty. The seeds stay readable this way, and
// the dictionary's words are plain UTF-8.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/wide_string.h"

static_assert(sizeof(wchar_t) >= 2, "a wchar_t holds a UTF-16 unit");

// UTF-16 units of a UTF-8 text, read leniently as described above.
inline std::wstring UnitsOfUtf8(const std::string& bytes) {
    std::wstring units;
    size_t i = 0;
    const size_t n = bytes.size();
    auto continuation = [&](size_t at) { return at < n && (static_cast<unsigned char>(bytes[at]) & 0xC0) == 0x80; };
    auto bits = [&](size_t at) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at]) & 0x3F); };
    while (i < n) {
        const uint32_t lead = static_cast<unsigned char>(bytes[i]);
        uint32_t value = lead;
        size_t length = 1;
        if (lead >= 0xC0 && lead < 0xE0 && continuation(i + 1)) {
            value = ((lead & 0x1F) << 6) | bits(i + 1);
            length = 2;
        } else if (lead >= 0xE0 && lead < 0xF0 && continuation(i + 1) && continuation(i + 2)) {
            value = ((lead & 0x0F) << 12) | (bits(i + 1) << 6) | bits(i + 2);
            length = 3;
        } else if (lead >= 0xF0 && lead < 0xF5 && continuation(i + 1) && continuation(i + 2) && continuation(i + 3)) {
            uint32_t point = ((lead & 0x07) << 18) | (bits(i + 1) << 12) | (bits(i + 2) << 6) | bits(i + 3);
            if (point >= 0x10000 && point <= 0x10FFFF) {
                point -= 0x10000;
                units.push_back(static_cast<wchar_t>(0xD800 + (point >> 10)));
                value = 0xDC00 + (point & 0x3FF);
                length = 4;
            }
        }
        if (value != 0) units.push_back(static_cast<wchar_t>(value));
        i += length;
    }
    return units;
}

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(reinterpret_cast<const char*>(data), size) {}

    bool AtEnd() const { return position_ > data_.size(); }

    // The next field as it is.
    std::string Field() {
        if (position_ > data_.size()) return std::string();
        size_t end = data_.find('\0', position_);
        if (end == std::string::npos) end = data_.size();
        std::string field = data_.substr(position_, end - position_);
        position_ = end + 1;
        return field;
    }

    // The rest of the input from the next field on, zero bytes included.
    std::string Rest() {
        if (position_ > data_.size()) return std::string();
        std::string rest = data_.substr(position_);
        position_ = data_.size() + 1;
        return rest;
    }

    WideString Text() { return WideString(UnitsOfUtf8(Field())); }

    uint64_t Number() {
        std::string field = Field();
        size_t i = field.size() > 1 && field[0] == '-' ? 1 : 0;
        bool decimal = i < field.size();
        uint64_t value = 0;
        for (size_t k = i; k < field.size(); ++k) {
            if (field[k] < '0' || field[k] > '9') {
                decimal = false;
                break;
            }
            value = value * 10 + static_cast<uint64_t>(field[k] - '0');
        }
        if (decimal) return i == 1 ? 0 - value : value;
        value = 0;
        for (size_t k = 0; k < field.size() && k < 8; ++k)
            value |= static_cast<uint64_t>(static_cast<unsigned char>(field[k])) << (8 * k);
        return value;
    }

    int32_t Int32() { return static_cast<int32_t>(static_cast<uint32_t>(Number())); }
    uint32_t UInt32() { return static_cast<uint32_t>(Number()); }
    // A number in [low, high]: as it is when it lies there, else brought there.
    int32_t IntIn(int32_t low, int32_t high) {
        uint64_t number = Number();
        int64_t value = static_cast<int64_t>(number);
        if (value >= low && value <= high) return static_cast<int32_t>(value);
        uint64_t span = static_cast<uint64_t>(static_cast<int64_t>(high) - low) + 1;
        return static_cast<int32_t>(low + static_cast<int64_t>(number % span));
    }
    // "1" (any field whose first byte is odd) is true; "0" and the empty field are false.
    bool Flag() {
        std::string field = Field();
        return !field.empty() && (static_cast<unsigned char>(field[0]) & 1) != 0;
    }

private:
    std::string data_;
    size_t position_ = 0;
};

// A text's units, printable: ASCII as it is, everything else as \uXXXX.
inline std::string Printable(const WideString& text) {
    std::string out;
    char escape[16];
    for (int i = 0; i < text.Length(); ++i) {
        uint32_t unit = static_cast<uint32_t>(text.At(i));
        if (unit >= 0x20 && unit < 0x7F) {
            out.push_back(static_cast<char>(unit));
        } else {
            snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(unit));
            out += escape;
        }
    }
    return out;
}

[[noreturn]] inline void FuzzFailure(const char* condition, const char* file, int line) {
    fprintf(stderr, "PROPERTY FAILED at %s:%d: %s\n", file, line, condition);
    abort();
}

// A property of the code under test; a failure aborts, which libFuzzer keeps as a finding.
#define FUZZ_CHECK(condition)                                          \
    do {                                                               \
        if (!(condition)) FuzzFailure(#condition, __FILE__, __LINE__); \
    } while (0)

// The same with the texts involved printed first.
#define FUZZ_CHECK_TEXTS(condition, a, b)                                                                          \
    do {                                                                                                           \
        if (!(condition)) {                                                                                        \
            fprintf(stderr, "  %s = \"%s\"\n  %s = \"%s\"\n", #a, Printable(a).c_str(), #b, Printable(b).c_str()); \
            FuzzFailure(#condition, __FILE__, __LINE__);                                                           \
        }                                                                                                          \
    } while (0)
