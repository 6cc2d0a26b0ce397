#include "actions/volume.h"

#include <audioclient.h>
#include <audiopolicy.h>
#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include "app/handles.h"

int PercentFromLevel(float level) {
    double percent = static_cast<double>(level) * 100.0 + 1e-4;
    if (percent < 0.0) return 0;
    return static_cast<int>(percent);
}

float LevelFromPercent(int percent) {
    if (percent < 0) percent = 0;
    if (percent > 100) percent = 100;
    return static_cast<float>(percent) / 100.0f;
}

VolumeController::VolumeController(VolumeEffects& effects) : effects_(effects) {
    if (FAILED(effects_.CreateEnumerator())) return;
    if (FAILED(effects_.OpenDefaultRenderEndpoint())) return;
    if (FAILED(effects_.SetSessionVolume(1.0f))) return;
    if (FAILED(effects_.ActivateEndpointVolume())) return;
    float level = 0.0f;
    if (FAILED(effects_.GetMasterLevel(&level))) return;
    savedLevel_ = level;
    ready_ = true;
    effects_.ReleaseEnumerator();
}

VolumeController::~VolumeController() {
    if (ready_) effects_.SetMasterLevel(savedLevel_);
}

int VolumeController::ReadPercent() {
    if (!ready_) return -1;
    float level = 0.0f;
    if (FAILED(effects_.GetMasterLevel(&level))) return -1;
    return PercentFromLevel(level);
}

void VolumeController::SetPercent(int percent) {
    if (!ready_ || percent < 0) return;
    effects_.SetMasterLevel(LevelFromPercent(percent));
}

namespace {

class CoreAudio : public VolumeEffects {
public:
    HRESULT CreateEnumerator() override {
        return CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                enumerator_.PutVoid());
    }
    HRESULT OpenDefaultRenderEndpoint() override {
        if (!enumerator_) return E_POINTER;
        return enumerator_->GetDefaultAudioEndpoint(eRender, eConsole, device_.Put());
    }
    HRESULT SetSessionVolume(float level) override {
        if (!device_) return E_POINTER;
        ComPtr<IAudioSessionManager> sessions;
        HRESULT hr = device_->Activate(__uuidof(IAudioSessionManager), CLSCTX_ALL, nullptr, sessions.PutVoid());
        if (FAILED(hr)) return hr;
        ComPtr<ISimpleAudioVolume> simple;
        hr = sessions->GetSimpleAudioVolume(nullptr, FALSE, simple.Put());
        if (FAILED(hr)) return hr;
        return simple->SetMasterVolume(level, nullptr);
    }
    HRESULT ActivateEndpointVolume() override {
        if (!device_) return E_POINTER;
        HRESULT hr = device_->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr, endpoint_.PutVoid());
        device_.Reset();
        return hr;
    }
    void ReleaseEnumerator() override { enumerator_.Reset(); }
    HRESULT GetMasterLevel(float* level) override {
        if (!endpoint_) return E_POINTER;
        return endpoint_->GetMasterVolumeLevelScalar(level);
    }
    HRESULT SetMasterLevel(float level) override {
        if (!endpoint_) return E_POINTER;
        return endpoint_->SetMasterVolumeLevelScalar(level, nullptr);
    }

private:
    ComPtr<IMMDeviceEnumerator> enumerator_;
    ComPtr<IMMDevice> device_;
    ComPtr<IAudioEndpointVolume> endpoint_;
};

}  // namespace

std::unique_ptr<VolumeEffects> CreateCoreAudioEffects() {
    return std::unique_ptr<VolumeEffects>(new CoreAudio());
}
