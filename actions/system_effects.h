// Narrow interfaces for the effects of the Windows-exit and media actions that must not
// happen for real in a unit test: ending the session, sleeping, and the master volume.
// The program uses the system's implementations; a test passes a recorder.
#pragma once

#include <windows.h>

#include <memory>

// Ending the session and the power transitions.
class ExitEffects {
public:
    virtual ~ExitEffects() = default;
    // Enables SeShutdownPrivilege in the process token; failures are reported.
    virtual void EnableShutdownPrivilege() = 0;
    virtual BOOL SetSystemPowerState(BOOL suspend, BOOL force) = 0;
    virtual BOOL ExitWindowsEx(UINT flags, DWORD reason) = 0;
};
// The system's calls.
ExitEffects& SystemExitEffects();

// The Core Audio steps of the volume controller, in the order it makes them. Each
// returns the HRESULT of its call; a step is only made after the previous ones succeeded.
class VolumeEffects {
public:
    virtual ~VolumeEffects() = default;
    // CoCreateInstance of the device enumerator.
    virtual HRESULT CreateEnumerator() = 0;
    // The default render endpoint for the console role.
    virtual HRESULT OpenDefaultRenderEndpoint() = 0;
    // The process's own mixer volume (session manager, simple volume) set to level.
    virtual HRESULT SetSessionVolume(float level) = 0;
    // The endpoint-volume interface of the device, retained; the device is let go.
    virtual HRESULT ActivateEndpointVolume() = 0;
    // The enumerator is let go once the controller is ready.
    virtual void ReleaseEnumerator() = 0;
    virtual HRESULT GetMasterLevel(float* level) = 0;
    virtual HRESULT SetMasterLevel(float level) = 0;
};
// Core Audio of the default render device. COM must be initialised by the caller.
std::unique_ptr<VolumeEffects> CreateCoreAudioEffects();
