// The capture file's shape, the dotted outline, and the file the capture writes.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "common/box_recorder.h"
#include "common/temp_dir.h"
#include "watch/capture.h"
#include "watch/capture_layout.h"

namespace {
RECT Rect(LONG l, LONG t, LONG r, LONG b) {
    RECT rect = {l, t, r, b};
    return rect;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

uint32_t U32(const std::string& b, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(b[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
uint16_t U16(const std::string& b, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

// A 32-bit top-down DIB section filled with one colour, selected into a memory context.
class Canvas {
public:
    Canvas(int width, int height, DWORD fill) : width_(width), height_(height) {
        dc_ = CreateCompatibleDC(nullptr);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        bits_ = static_cast<DWORD*>(bits);
        previous_ = SelectObject(dc_, bitmap_);
        for (int i = 0; i < width * height; ++i) bits_[i] = fill;
    }
    ~Canvas() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    DWORD At(int x, int y) {
        GdiFlush();
        return bits_[y * width_ + x] & 0xFFFFFF;
    }

private:
    int width_, height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
    DWORD* bits_ = nullptr;
};

const DWORD kGrey = 0x808080;

// Every pixel of the line is black or white and both occur (a dotted line).
void ExpectDotted(Canvas& canvas, int x0, int y0, int x1, int y1) {
    int black = 0, white = 0, other = 0;
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            DWORD p = canvas.At(x, y);
            if (p == 0)
                ++black;
            else if (p == 0xFFFFFF)
                ++white;
            else
                ++other;
        }
    }
    EXPECT_EQ(other, 0) << "line " << x0 << "," << y0 << " to " << x1 << "," << y1;
    EXPECT_GT(black, 0);
    EXPECT_GT(white, 0);
}
}  // namespace

// A row of the file is as long as the system makes a row of a 24-bit picture, for
// widths that need no padding and for widths that do.
TEST(CaptureLayout, RowsAreAsLongAsTheSystemMakesThem) {
    HDC screen = GetDC(nullptr);
    for (LONG width : {1, 4, 5, 1366, 1920, 3286}) {
        CaptureLayout layout = ComputeCaptureLayout(Rect(0, 0, width, 3));
        ASSERT_TRUE(layout.valid) << width;
        HBITMAP bitmap = CreateCompatibleBitmap(screen, width, 3);
        ASSERT_NE(bitmap, nullptr);
        BITMAPINFO info = {};
        info.bmiHeader = CaptureInfoHeader(layout);
        // Without a buffer the system only says how large the picture is.
        ASSERT_NE(GetDIBits(screen, bitmap, 0, 3, nullptr, &info, DIB_RGB_COLORS), 0) << width;
        EXPECT_EQ(info.bmiHeader.biSizeImage, layout.imageSize) << width;
        EXPECT_EQ(layout.stride * 3, layout.imageSize) << width;
        DeleteObject(bitmap);
    }
    ReleaseDC(nullptr, screen);

    // A monitor left of the primary.
    CaptureLayout wide = ComputeCaptureLayout(Rect(-1366, -100, 1920, 1080));
    EXPECT_EQ(wide.width, 3286);
    EXPECT_EQ(wide.height, 1180);

    EXPECT_FALSE(ComputeCaptureLayout(Rect(0, 0, 0, 1080)).valid);
    EXPECT_FALSE(ComputeCaptureLayout(Rect(10, 0, 5, 1080)).valid);
    EXPECT_FALSE(ComputeCaptureLayout(Rect(0, 0, 60000, 60000)).valid);  // more than 4 GB
}

TEST(CaptureLayout, OutlineRunsOnePixelOutsideTheArea) {
    OutlinePath path = ComputeOutlinePath(Rect(100, 50, 300, 250), Rect(0, 0, 1920, 1080));
    const POINT expected[5] = {{99, 49}, {300, 49}, {300, 250}, {99, 250}, {99, 49}};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(path.points[i].x, expected[i].x) << i;
        EXPECT_EQ(path.points[i].y, expected[i].y) << i;
    }
    // Area at the desktop's left and top edges: those lines fall outside the picture.
    OutlinePath edge = ComputeOutlinePath(Rect(-1280, 0, 0, 1024), Rect(-1280, 0, 1920, 1080));
    EXPECT_EQ(edge.points[0].x, -1);
    EXPECT_EQ(edge.points[0].y, -1);
    EXPECT_EQ(edge.points[2].x, 1280);
    EXPECT_EQ(edge.points[2].y, 1024);
    // Area on the primary monitor with a monitor to its left.
    OutlinePath primary = ComputeOutlinePath(Rect(10, 20, 30, 40), Rect(-1280, 0, 1920, 1080));
    EXPECT_EQ(primary.points[0].x, 10 + 1280 - 1);
    EXPECT_EQ(primary.points[1].x, 30 + 1280);
}

TEST(CaptureLayout, OutlineOfAnAreaBeyondThe32BitRangeStaysOutsideThePicture) {
    // Numbers from the settings file, at the ends of the 32-bit range: a line that would lie
    // beyond it is held at its end, on its side of the picture, instead of wrapping round.
    OutlinePath before = ComputeOutlinePath(Rect(INT_MIN, INT_MIN, 20, 30), Rect(0, 0, 1920, 1080));
    EXPECT_EQ(before.points[0].x, INT_MIN);
    EXPECT_EQ(before.points[0].y, INT_MIN);
    EXPECT_EQ(before.points[2].x, 20);
    EXPECT_EQ(before.points[2].y, 30);
    OutlinePath after = ComputeOutlinePath(Rect(10, 10, INT_MAX, INT_MAX), Rect(-1280, -1, 1920, 1080));
    EXPECT_EQ(after.points[0].x, 10 + 1280 - 1);
    EXPECT_EQ(after.points[0].y, 10);
    EXPECT_EQ(after.points[2].x, INT_MAX);
    EXPECT_EQ(after.points[2].y, INT_MAX);
}

TEST(CaptureOutline, DottedBlackOnWhiteAroundTheArea) {
    Canvas canvas(60, 40, kGrey);
    // Desktop coordinates: the canvas starts at (-100, -50).
    DrawAreaOutline(canvas.Dc(), Rect(-90, -45, -70, -25), Rect(-100, -50, -40, -10));
    ExpectDotted(canvas, 9, 4, 30, 4);    // top
    ExpectDotted(canvas, 9, 25, 30, 25);  // bottom
    ExpectDotted(canvas, 9, 4, 9, 25);    // left
    ExpectDotted(canvas, 30, 4, 30, 25);  // right
    for (int y = 5; y <= 24; ++y) {
        for (int x = 10; x <= 29; ++x) ASSERT_EQ(canvas.At(x, y), kGrey) << x << "," << y;
    }
    EXPECT_EQ(canvas.At(8, 10), kGrey);
    EXPECT_EQ(canvas.At(31, 10), kGrey);
    EXPECT_EQ(canvas.At(15, 3), kGrey);
    EXPECT_EQ(canvas.At(15, 26), kGrey);
}

TEST(CaptureOutline, AreaAtTheLeftEdgeShowsThreeSides) {
    Canvas canvas(40, 30, kGrey);
    DrawAreaOutline(canvas.Dc(), Rect(0, 5, 20, 20), Rect(0, 0, 40, 30));
    ExpectDotted(canvas, 0, 4, 20, 4);
    ExpectDotted(canvas, 20, 4, 20, 20);
    ExpectDotted(canvas, 0, 20, 20, 20);
    for (int y = 5; y < 20; ++y) EXPECT_EQ(canvas.At(0, y), kGrey) << y;
}

namespace {
class CaptureFile : public ::testing::Test {
protected:
    SettingSection Section() const { return SettingSection(folder_.File(L"TLR.ini").c_str(), L"run"); }
    WideString CapturePath() const { return folder_.File(L"Capture.bmp").c_str(); }
    TempDir folder_;
    BoxRecorder boxes_;
};
}  // namespace

TEST_F(CaptureFile, WritesTheTableAndTheOutlineAfterAScreenWatch) {
    SettingSection section = Section();
    section.WriteInt(L"WatchMode", 0);
    section.WriteInt(L"ScrLeft", 10);
    section.WriteInt(L"ScrTop", 8);
    section.WriteInt(L"ScrRight", 40);
    section.WriteInt(L"ScrBottom", 30);
    RECT bounds = Rect(0, 0, 65, 48);
    CaptureDesktop(section, bounds, CapturePath());
    EXPECT_TRUE(boxes_.boxes.empty());

    std::string b = ReadFileBytes(CapturePath().str());
    const uint32_t stride = 196;  // 65 * 3 = 195, rounded up to 196
    ASSERT_EQ(b.size(), 54u + stride * 48u);
    EXPECT_EQ(U16(b, 0), 0x4D42);
    EXPECT_EQ(U32(b, 2), b.size());
    EXPECT_EQ(U32(b, 6), 0u);
    EXPECT_EQ(U32(b, 10), 54u);
    EXPECT_EQ(U32(b, 14), 40u);
    EXPECT_EQ(U32(b, 18), 65u);
    EXPECT_EQ(U32(b, 22), 48u);
    EXPECT_EQ(U16(b, 26), 1);
    EXPECT_EQ(U16(b, 28), 24);
    for (size_t at = 30; at < 54; at += 4) EXPECT_EQ(U32(b, at), 0u) << at;

    // The outline's top line is row 7 of the screen, row 48 - 1 - 7 of the file.
    auto pixel = [&](int x, int y) {
        size_t at = 54 + static_cast<size_t>(48 - 1 - y) * stride + static_cast<size_t>(x) * 3;
        return static_cast<uint32_t>(static_cast<unsigned char>(b[at])) |
               static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
               static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16;
    };
    int black = 0, white = 0, other = 0;
    for (int x = 9; x <= 40; ++x) {
        uint32_t p = pixel(x, 7);
        black += p == 0;
        white += p == 0xFFFFFF;
        other += p != 0 && p != 0xFFFFFF;
    }
    EXPECT_EQ(other, 0);
    EXPECT_GT(black, 0);
    EXPECT_GT(white, 0);
}

TEST_F(CaptureFile, ProcessWatchHasNoOutlineAndReplacesTheFile) {
    SettingSection section = Section();
    section.WriteInt(L"WatchMode", 1);
    ASSERT_TRUE(CloseHandle(CreateFileW(CapturePath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)));
    CaptureDesktop(section, Rect(0, 0, 1366, 2), CapturePath());
    EXPECT_TRUE(boxes_.boxes.empty());
    std::string b = ReadFileBytes(CapturePath().str());
    EXPECT_EQ(b.size(), 54u + 4100u * 2u);
    EXPECT_EQ(U32(b, 18), 1366u);
}

// The files of the folder other than TLR.ini: what a capture left behind.
namespace {
std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L".." && name != L"TLR.ini") names.push_back(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}
}  // namespace

TEST_F(CaptureFile, FileThatCannotBeReplacedIsReportedOnceAndKept) {
    SettingSection section = Section();
    section.WriteInt(L"WatchMode", 1);
    // Held open by another program that lets nobody delete or replace it.
    HANDLE held = CreateFileW(CapturePath().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(held, "old", 3, &written, nullptr));
    CaptureDesktop(section, Rect(0, 0, 16, 16), CapturePath());
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].text.substr(0, std::wstring(L"MoveFileEx Error Code =").size()),
              L"MoveFileEx Error Code =");
    DWORD size = GetFileSize(held, nullptr);
    CloseHandle(held);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(FilesIn(folder_.Path()), std::vector<std::wstring>{L"Capture.bmp"}) << "a file was left behind";

    // A folder in the place of the file.
    boxes_.boxes.clear();
    ASSERT_TRUE(DeleteFileW(CapturePath().c_str()));
    ASSERT_TRUE(CreateDirectoryW(CapturePath().c_str(), nullptr));
    CaptureDesktop(section, Rect(0, 0, 16, 16), CapturePath());
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].text.substr(0, std::wstring(L"MoveFileEx Error Code =").size()),
              L"MoveFileEx Error Code =");
    EXPECT_EQ(FilesIn(folder_.Path()), std::vector<std::wstring>{L"Capture.bmp"}) << "a file was left behind";
    RemoveDirectoryW(CapturePath().c_str());

    // A folder that does not exist.
    boxes_.boxes.clear();
    CaptureDesktop(section, Rect(0, 0, 16, 16), folder_.File(L"gone\\Capture.bmp").c_str());
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].text.substr(0, std::wstring(L"GetTempFileName Error Code =").size()),
              L"GetTempFileName Error Code =");

    // No extent to capture.
    boxes_.boxes.clear();
    CaptureDesktop(section, Rect(0, 0, 0, 0), CapturePath());
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(GetFileAttributesW(CapturePath().c_str()), INVALID_FILE_ATTRIBUTES);
}

// A disk that fills up while the picture is written: the failed write is reported once,
// and the last good capture stays whole, with no half file beside it.
TEST_F(CaptureFile, AFailedWriteKeepsTheLastGoodCapture) {
    SettingSection section = Section();
    section.WriteInt(L"WatchMode", 1);
    CaptureDesktop(section, Rect(0, 0, 20, 10), CapturePath());
    ASSERT_TRUE(boxes_.boxes.empty());
    std::string good = ReadFileBytes(CapturePath().str());
    ASSERT_EQ(good.size(), 54u + 60u * 10u);

    CaptureLayout layout = ComputeCaptureLayout(Rect(0, 0, 300, 200));
    std::vector<unsigned char> pixels(layout.imageSize, 0x5A);
    for (int failing = 1; failing <= 3; ++failing) {
        boxes_.boxes.clear();
        int call = 0;
        CaptureWrite fullDisk = [&](HANDLE file, const void* bytes, DWORD size, DWORD* written) -> BOOL {
            if (++call < failing) return SystemCaptureWrite(file, bytes, size, written);
            // Half of it goes down, then the disk is full.
            SystemCaptureWrite(file, bytes, size / 2, written);
            SetLastError(ERROR_DISK_FULL);
            return FALSE;
        };
        EXPECT_FALSE(SaveCaptureFile(CapturePath(), layout, pixels, fullDisk));
        ASSERT_EQ(boxes_.boxes.size(), 1u) << failing;
        EXPECT_EQ(boxes_.boxes[0].text, L"WriteFile" + std::to_wstring(failing) + L" Error Code =112");
        EXPECT_EQ(ReadFileBytes(CapturePath().str()), good) << "the last good capture was touched";
        EXPECT_EQ(FilesIn(folder_.Path()), std::vector<std::wstring>{L"Capture.bmp"}) << "a half file was left";
    }
    // A short write without an error counts as a failed one.
    boxes_.boxes.clear();
    CaptureWrite shortWrite = [](HANDLE file, const void* bytes, DWORD size, DWORD* written) -> BOOL {
        return SystemCaptureWrite(file, bytes, size > 100 ? size - 1 : size, written);
    };
    EXPECT_FALSE(SaveCaptureFile(CapturePath(), layout, pixels, shortWrite));
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].text, L"WriteFile3 Error Code =112");
    EXPECT_EQ(ReadFileBytes(CapturePath().str()), good);

    // The whole picture replaces the old one.
    boxes_.boxes.clear();
    EXPECT_TRUE(SaveCaptureFile(CapturePath(), layout, pixels, SystemCaptureWrite));
    EXPECT_TRUE(boxes_.boxes.empty());
    EXPECT_EQ(ReadFileBytes(CapturePath().str()).size(), 54u + layout.imageSize);
    EXPECT_EQ(FilesIn(folder_.Path()), std::vector<std::wstring>{L"Capture.bmp"});
}
