#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "watch/screen_note_lines.h"

namespace {
std::vector<std::wstring> Lines(bool hold, const wchar_t* saved, int kind, const wchar_t* action) {
    StringList lines;
    lines.Add(L"left over from before");
    ComposeNoteLines(hold, saved, kind, action, lines);
    std::vector<std::wstring> texts;
    for (int i = 0; i < lines.Count(); ++i) texts.push_back(lines.At(i).str());
    return texts;
}

const wchar_t kWatching[] = L"Tollerup により枠の中を監視中";
const wchar_t kHolding[] = L"スクリーンセーバ等抑止中";
const wchar_t kClick[] = L"キャンセルするにはこれをクリックしてください";
}  // namespace

TEST(ScreenNoteLines, OneLineForEachActionKind) {
    EXPECT_EQ(
        Lines(false, L"", 0, L"Repeat C:\\a.wav"),
        std::vector<std::wstring>({kWatching, L"動作：音声・動画ファイルを再生する", L"Repeat C:\\a.wav", kClick}));
    EXPECT_EQ(Lines(false, L"", 1, L"Icon cmd /c dir"),
              std::vector<std::wstring>({kWatching, L"動作：DOSコマンドを実行する", L"Icon cmd /c dir", kClick}));
    EXPECT_EQ(Lines(false, L"", 2, L"再起動 待機時間 =30秒"),
              std::vector<std::wstring>({kWatching, L"動作：Windowsを終了させる", L"再起動 待機時間 =30秒", kClick}));
    // Another kind has no kind line; its text is still shown, also when empty.
    EXPECT_EQ(Lines(false, L"", 7, L""), std::vector<std::wstring>({kWatching, L"", kClick}));
    EXPECT_EQ(Lines(false, L"", -1, L"x"), std::vector<std::wstring>({kWatching, L"x", kClick}));
}

TEST(ScreenNoteLines, HoldLineAndEarlierSettings) {
    EXPECT_EQ(Lines(true, L"モニター:10分", 1, L"cmd"),
              std::vector<std::wstring>({kWatching, kHolding, L"\u3000元の設定 モニター:10分",
                                         L"動作：DOSコマンドを実行する", L"cmd", kClick}));
    // Nothing saved to show: the hold line alone.
    EXPECT_EQ(Lines(true, L"", 1, L"cmd"),
              std::vector<std::wstring>({kWatching, kHolding, L"動作：DOSコマンドを実行する", L"cmd", kClick}));
    // Without the hold the saved settings are not shown.
    EXPECT_EQ(Lines(false, L"モニター:10分", 0, L"a.wav"),
              std::vector<std::wstring>({kWatching, L"動作：音声・動画ファイルを再生する", L"a.wav", kClick}));
}
