// The master volume during media playback: saved when the controller is made, put back
// when it goes. The program's own mixer volume is set to full on the way.
#pragma once

#include "actions/system_effects.h"

// The level as a whole percentage, the fraction dropped (a level a hair below a whole
// percent through float rounding counts as that percent).
int PercentFromLevel(float level);
// The level for a percentage, limited to 0 .. 100.
float LevelFromPercent(int percent);

class VolumeController {
public:
    // Makes the creation steps in order; the first failure leaves the controller not
    // ready, and then every later volume step is skipped.
    explicit VolumeController(VolumeEffects& effects);
    // When ready, puts back the level read at creation.
    ~VolumeController();
    VolumeController(const VolumeController&) = delete;
    VolumeController& operator=(const VolumeController&) = delete;

    bool Ready() const { return ready_; }
    float SavedLevel() const { return savedLevel_; }
    // The current master volume in whole percent; -1 when not ready or unreadable.
    int ReadPercent();
    // Sets the master volume; nothing when not ready or when percent is below 0.
    void SetPercent(int percent);

private:
    VolumeEffects& effects_;
    float savedLevel_ = 0.0f;
    bool ready_ = false;
};
