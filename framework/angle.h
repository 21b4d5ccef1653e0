// The angle unit: the framework's drawing calls and the game take angles in degrees, and this is
// the one factor that turns them into the radians of the maths library.
#pragma once

inline constexpr float kDegToRad = 0.017453292519943295f;  // pi / 180
