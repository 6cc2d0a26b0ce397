// The elevation of a process's token, as start-up and the wizard decide on it.
#pragma once

// 1 token not split, 2 limited (elevation possible), 3 elevated.
enum ElevationState { kElevationNotSplit = 1, kElevationLimited = 2, kElevationFull = 3 };
