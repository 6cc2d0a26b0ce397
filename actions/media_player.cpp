#include "actions/media_player.h"

#include <vfw.h>

#include <climits>
#include <cmath>

#include "app/message_box.h"
#include "app/message_loop.h"
#include "app/paths.h"

namespace {

// MCIWNDF_NOMENU | MCIWNDF_SHOWNAME | MCIWNDF_SHOWPOS | MCIWNDF_SHOWMODE | MCIWNDF_NOERRORDLG
const DWORD kMciWindowStyle = 0x4078;

// The player that exists, if any.
MciPlayer* g_player = nullptr;

typedef BOOL(WINAPI* ErrorStringProc)(MCIERROR code, LPWSTR text, UINT size);
typedef HWND(VFWAPIV* CreateMciWindowProc)(HWND parent, HINSTANCE instance, DWORD style, LPCWSTR file);

// At the start and not playing: a device that has not begun yet (or never will).
bool AtTheStart(PlaybackDevice& device) {
    return device.End() > device.Start() && device.Position() == device.Start();
}

// Polls until the device has played and stopped; returns whether it was seen playing. A
// device that has not begun yet is polled on while it stays at the start, up to
// kPlaybackStartPolls polls.
bool WaitWhilePlaying(PlaybackDevice& device) {
    bool played = false;
    int waited = 0;
    for (;;) {
        device.Pause();
        if (device.Mode() == MCI_MODE_PLAY) {
            played = true;
            continue;
        }
        if (played || ++waited >= kPlaybackStartPolls || !AtTheStart(device)) return played;
    }
}

// A device that accepted the play but never played (no audio output, for one) stays at
// the start: that is a failure, not the end of playback.
bool NeverPlayed(PlaybackDevice& device, bool seenPlaying) {
    return !seenPlaying && AtTheStart(device);
}

bool CannotPlay(PlaybackDevice& device) {
    ShowErrorBox(L"再生できません", device.Window());
    return false;
}

}  // namespace

int CdTrackNumber(const WideString& path) {
    WideString extension = ExtensionPart(path);
    if (extension.Length() != 3 || !extension.StartsWithNoCase(L"cda")) return -1;
    WideString name = FileNamePart(path);
    if (!name.StartsWithNoCase(L"track")) return -1;
    int point = name.FindLast(L'.');
    if (point >= 0) name = name.Left(point);
    WideString digits = name.Mid(5);
    if (!digits.IsDecimal()) return -1;
    long long track = digits.ToInt(-1);
    if (track <= 0 || track > INT_MAX) return -1;
    return static_cast<int>(track);
}

bool ReachedEnd(long start, long end, long position) {
    if (end <= start) return false;
    double distance = std::fabs(static_cast<double>(end) - static_cast<double>(position));
    return distance <= static_cast<double>(end) / 1000.0;
}

void ReportMciError(long code, const char* name) {
    if (code == 0) return;
    SystemLibrary library(L"winmm.dll");
    DWORD missing = ERROR_SUCCESS;
    auto errorString = library.LookupAs<ErrorStringProc>("mciGetErrorStringW", &missing);
    wchar_t text[260] = {};
    if (!errorString) {
        ReportErrorCode(code, name);
        return;
    }
    errorString(static_cast<MCIERROR>(code), text, 260);
    ShowErrorBox(AnsiToWide(name) + L" " + text);
}

bool PlayOnce(PlaybackDevice& device) {
    if (!device.CanPlay()) return CannotPlay(device);
    device.StartPlayback();
    if (NeverPlayed(device, WaitWhilePlaying(device))) return CannotPlay(device);
    return true;
}

bool PlayRepeatedly(PlaybackDevice& device) {
    while (device.CanPlay()) {
        device.StartPlayback();
        if (NeverPlayed(device, WaitWhilePlaying(device))) return CannotPlay(device);
        if (device.Mode() == MCI_MODE_NOT_READY) return true;
        if (!ReachedEnd(device.Start(), device.End(), device.Position())) return true;
    }
    return CannotPlay(device);
}

MciPlayer::MciPlayer(const WideString& file, HINSTANCE instance) : file_(file) {
    g_player = this;
    sendCommand_ = mediaLibrary_.FindAs<SendCommandProc>("mciSendCommandW");
    MCI_GENERIC_PARMS generic = {};
    SendCommand(MCI_ALL_DEVICE_ID, MCI_STOP, MCI_WAIT, &generic);
    SendCommand(MCI_ALL_DEVICE_ID, MCI_CLOSE, MCI_WAIT, &generic);

    track_ = CdTrackNumber(file_);
    auto createWindow =
        sendCommand_ ? windowLibrary_.FindAs<CreateMciWindowProc>("MCIWndCreateW") : CreateMciWindowProc();
    if (createWindow) window_.Reset(createWindow(nullptr, instance, kMciWindowStyle, file_.c_str()));
    if (!window_) {
        track_ = -1;
        return;
    }
    // No system menu and no close box: playback is controlled with the play bar.
    LONG style = GetWindowLongW(window_.Get(), GWL_STYLE);
    SetLastError(0);
    LONG previous = SetWindowLongW(window_.Get(), GWL_STYLE, style & ~static_cast<LONG>(WS_SYSMENU));
    ReportLastError(previous != 0 || GetLastError() == 0, "SetWindowLong");

    MCIDEVICEID device = static_cast<MCIDEVICEID>(MCIWndGetDeviceID(window_.Get()));
    if (device == 0) track_ = -1;
    if (track_ > 0) {
        MCI_STATUS_PARMS status = {};
        status.dwItem = MCI_STATUS_LENGTH;
        status.dwTrack = static_cast<DWORD>(track_);
        ReportMciError(static_cast<long>(SendCommand(device, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, &status)),
                       "MCI_STATUS_LENGTH");
        long length = static_cast<long>(status.dwReturn);
        status = MCI_STATUS_PARMS{};
        status.dwItem = MCI_STATUS_POSITION;
        status.dwTrack = static_cast<DWORD>(track_);
        ReportMciError(static_cast<long>(SendCommand(device, MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, &status)),
                       "MCI_STATUS_POSITION");
        start_ = static_cast<long>(status.dwReturn);
        end_ = start_ + length;
    } else {
        start_ = MCIWndGetStart(window_.Get());
        end_ = MCIWndGetEnd(window_.Get());
    }
}

MciPlayer::~MciPlayer() {
    if (window_) {
        // A window whose file did not open has no device to stop: nothing to report.
        long stopped = MCIWndStop(window_.Get());
        if (stopped != MCIERR_INVALID_DEVICE_ID) ReportMciError(stopped, "MCIWndStop");
        MCIWndClose(window_.Get());
        SendMessageW(window_.Get(), WM_CLOSE, 0, 0);
        if (!IsWindow(window_.Get())) window_.Release();
    }
    if (g_player == this) g_player = nullptr;
}

MCIERROR MciPlayer::SendCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, void* parameters) {
    if (!sendCommand_) return MCIERR_DEVICE_NOT_INSTALLED;
    return sendCommand_(device, message, flags, reinterpret_cast<DWORD_PTR>(parameters));
}

bool MciPlayer::CanPlay() {
    return window_ && MCIWndCanPlay(window_.Get()) != FALSE;
}

void MciPlayer::StartPlayback() {
    if (track_ > 0) {
        MCIWndSeek(window_.Get(), start_);
        ReportMciError(MCIWndPlayTo(window_.Get(), end_), "MCIWndPlayFromTo");
    } else {
        // Played to the end, the device would play nothing more: start again from the start.
        if (ReachedEnd(start_, end_, Position())) MCIWndSeek(window_.Get(), start_);
        ReportMciError(MCIWndPlay(window_.Get()), "MCIWndPlay");
    }
}

long MciPlayer::Mode() {
    wchar_t mode[64] = {};
    return MCIWndGetMode(window_.Get(), mode, 64);
}

long MciPlayer::Position() {
    return MCIWndGetPosition(window_.Get());
}

void MciPlayer::Pause() {
    PumpPendingMessages();
    Sleep(500);
}
