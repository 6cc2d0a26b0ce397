#include "actions/media.h"

#include "actions/volume.h"
#include "app/paths.h"
#include "app/system_info.h"

bool PlayOnDevice(const MediaText& request, PlaybackDevice& device, VolumeEffects& volume) {
    VolumeController controller(volume);
    int held = -1;
    if (request.volume > 0) {
        held = controller.ReadPercent();
        controller.SetPercent(request.volume);
    }
    if (request.repeat) {
        PlayRepeatedly(device);
    } else {
        PlayOnce(device);
    }
    if (request.volume > 0) controller.SetPercent(held);
    return true;
}

bool PlayMedia(const WideString& text, VolumeEffects& volume) {
    MediaText request = ParseMediaText(text);
    MciPlayer player(Unquote(request.file), AppInstance());
    return PlayOnDevice(request, player, volume);
}

bool PlayMedia(const WideString& text) {
    std::unique_ptr<VolumeEffects> volume = CreateCoreAudioEffects();
    return PlayMedia(text, *volume);
}
