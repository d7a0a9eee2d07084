// One turn's keyboard state: a byte per DirectInput scan code, down when bit 7 is set.
#pragma once

using KeyStates = unsigned char[256];

inline bool isKeyDown(const KeyStates& keys, int scanCode)
{
    return (keys[scanCode] & 0x80) != 0;
}

// The DirectInput scan codes (DIK_*) the cameras read, spelled out so that camera code needs no
// DirectInput header.
constexpr int kKeyQ = 0x10;
constexpr int kKeyW = 0x11;
constexpr int kKeyE = 0x12;
constexpr int kKeyReturn = 0x1C;
constexpr int kKeyLeftControl = 0x1D;
constexpr int kKeyA = 0x1E;
constexpr int kKeyS = 0x1F;
constexpr int kKeyD = 0x20;
constexpr int kKeyLeftShift = 0x2A;
constexpr int kKeyV = 0x2F;
constexpr int kKeySpace = 0x39;
