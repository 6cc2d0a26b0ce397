// The Windows types that the files of pure logic use. On Windows they are the system's
// own; elsewhere (the native build of the pure files for their fuzz targets) they are
// declared here with the same sizes and layout, from fixed-width integers.
//
// Texts stay wchar_t. It is 4 bytes on Linux, 2 on Windows: code that is built both ways
// holds only UTF-16 units in it (values up to 0xFFFF), as the system gives them.
#pragma once

#ifdef _WIN32

#include <windows.h>

#else

#include <climits>
#include <cstdint>

typedef uint8_t BYTE;
typedef uint16_t WORD;
typedef uint32_t DWORD;
typedef int32_t LONG;
typedef int BOOL;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;

// A window handle: an opaque pointer, as with STRICT.
struct HWND__ {
    int unused;
};
typedef HWND__* HWND;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

struct POINT {
    LONG x;
    LONG y;
};

struct SIZE {
    LONG cx;
    LONG cy;
};

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

// The file header is packed to 2 bytes, as in the system's headers: 14 bytes on disk.
#pragma pack(push, 2)
struct BITMAPFILEHEADER {
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
};
#pragma pack(pop)

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

const DWORD BI_RGB = 0;

const int MAX_PATH = 260;

const DWORD ERROR_ACCESS_DENIED = 5;
const DWORD ERROR_CANCELLED = 1223;
const DWORD ERROR_ALREADY_EXISTS = 183;

#endif

static_assert(sizeof(DWORD) == 4 && sizeof(LONG) == 4 && sizeof(WORD) == 2, "Windows integer sizes");
static_assert(sizeof(LONG_PTR) == sizeof(void*) && sizeof(HWND) == sizeof(void*), "pointer-sized values");
static_assert(sizeof(RECT) == 16 && sizeof(POINT) == 8 && sizeof(SIZE) == 8, "rectangles of four 32-bit values");
static_assert(sizeof(SYSTEMTIME) == 16, "SYSTEMTIME of eight 16-bit values");
static_assert(sizeof(BITMAPFILEHEADER) == 14 && sizeof(BITMAPINFOHEADER) == 40, "bitmap headers as on disk");
