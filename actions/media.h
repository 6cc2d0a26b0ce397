// The media action: plays a sound or video file as the parameter text says.
#pragma once

#include "app/wide_string.h"

bool PlayMedia(const WideString& text);
