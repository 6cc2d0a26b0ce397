#include "watch/screen_note_lines.h"

#include "actions/action.h"

void ComposeNoteLines(bool hold, const WideString& savedSettings, int actionKind, const WideString& actionText,
                      StringList& lines) {
    lines.Clear();
    lines.Add(L"Tollerup により枠の中を監視中");
    if (hold) {
        lines.Add(L"スクリーンセーバ等抑止中");
        if (!savedSettings.IsEmpty()) lines.Add(WideString(L"\u3000元の設定 ") + savedSettings);
    }
    switch (actionKind) {
    case static_cast<int>(ActionKind::PlayMedia):
        lines.Add(L"動作：音声・動画ファイルを再生する");
        break;
    case static_cast<int>(ActionKind::RunCommand):
        lines.Add(L"動作：DOSコマンドを実行する");
        break;
    case static_cast<int>(ActionKind::ExitWindows):
        lines.Add(L"動作：Windowsを終了させる");
        break;
    default:
        break;
    }
    lines.Add(actionText);
    lines.Add(L"キャンセルするにはこれをクリックしてください");
}
