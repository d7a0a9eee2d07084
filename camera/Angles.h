// The one degree-to-radian conversion every steered angle goes through.
#pragma once

// Ten decimals, not full precision: every camera angle is converted with this value.
constexpr double kPi = 3.141592654;
constexpr double kInv180 = 1.0 / 180.0;

constexpr double degreesToRadians(double degrees)
{
    return degrees * kPi * kInv180;
}
