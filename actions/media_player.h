// The media player: one file in an MCI window with its play bar, played once or
// repeatedly while the message queue keeps moving.
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include "app/handles.h"
#include "app/system_library.h"
#include "app/wide_string.h"

// The CD audio track a file names: a ".cda" file (any case) whose name begins with
// "track" (any case) followed by a decimal number above 0. -1 for anything else.
int CdTrackNumber(const WideString& path);

// True when playback that stopped at position ran to the end: the distance to the end is
// at most one thousandth of the end. Never true when there is nothing between start and end.
bool ReachedEnd(long start, long end, long position);

// An error box "<name> <MCI error text>" for a nonzero MCI error code ("<name> Error
// Code =<code>" when the media library cannot give the text).
void ReportMciError(long code, const char* name);

// What the play loops need from a device.
class PlaybackDevice {
public:
    virtual ~PlaybackDevice() = default;
    virtual bool CanPlay() = 0;
    // Starts playback of the whole file or of the track.
    virtual void StartPlayback() = 0;
    // The MCI mode (MCI_MODE_PLAY while playing).
    virtual long Mode() = 0;
    virtual long Position() = 0;
    virtual long Start() const = 0;
    virtual long End() const = 0;
    // Keeps the queue moving and waits half a second.
    virtual void Pause() = 0;
    // Owner of the boxes.
    virtual HWND Window() const = 0;
};

// A device still opening (a large video, a slow disk, a CD spinning up) has not begun at
// the first poll: it is given this many polls (half a second each) to begin playing.
const int kPlaybackStartPolls = 10;

// Plays to the end (polling every half second). False after "再生できません", also when
// the device accepted the play but has not begun within kPlaybackStartPolls polls and is
// still at the start.
bool PlayOnce(PlaybackDevice& device);
// Plays again each time playback ran to its end; stops when it was stopped before the
// end or the device is not ready. False after "再生できません" (as for PlayOnce).
bool PlayRepeatedly(PlaybackDevice& device);

// The player on an MCI window. Only one exists at a time; making one stops and closes
// every MCI device of the process first. The media libraries are loaded from the system
// folder for the player's life; a function that cannot be found is reported once and the
// player then has no window, which cannot play.
class MciPlayer : public PlaybackDevice {
public:
    MciPlayer(const WideString& file, HINSTANCE instance);
    // Stops and closes the device and closes the window.
    ~MciPlayer() override;
    MciPlayer(const MciPlayer&) = delete;
    MciPlayer& operator=(const MciPlayer&) = delete;

    bool CanPlay() override;
    void StartPlayback() override;
    long Mode() override;
    long Position() override;
    long Start() const override { return start_; }
    long End() const override { return end_; }
    void Pause() override;
    HWND Window() const override { return window_.Get(); }
    int Track() const { return track_; }

private:
    typedef MCIERROR(WINAPI* SendCommandProc)(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR parameters);
    // Sends an MCI command; MCIERR_DEVICE_NOT_INSTALLED without the media library.
    MCIERROR SendCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, void* parameters);

    // The MCI window class comes from msvfw32, which needs winmm: winmm is loaded first
    // by its full path, so msvfw32 finds it already loaded. Both outlive the window.
    SystemLibrary mediaLibrary_{L"winmm.dll"};
    SystemLibrary windowLibrary_{L"msvfw32.dll"};
    SendCommandProc sendCommand_ = nullptr;
    WideString file_;
    int track_ = -1;
    long start_ = 0;
    long end_ = 0;
    UniqueWindow window_;
};
