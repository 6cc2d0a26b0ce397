// The media action: plays one file once or repeatedly, at a chosen master volume that
// is put back afterwards.
#pragma once

#include "actions/action_text.h"
#include "actions/media_player.h"
#include "actions/system_effects.h"
#include "app/wide_string.h"

// Plays the file of the media text. Returns true (the caller ignores the result).
bool PlayMedia(const WideString& text);
// The same with the given volume steps instead of the system's Core Audio.
bool PlayMedia(const WideString& text, VolumeEffects& volume);

// The playback on a given device and volume: the volume controller around the play,
// the chosen percentage during it and the level read before it set back after it.
bool PlayOnDevice(const MediaText& request, PlaybackDevice& device, VolumeEffects& volume);
