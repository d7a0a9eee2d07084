// One turn's keyboard state: a byte per DirectInput scan code, down when bit 7 is set.
#pragma once

using KeyStates = unsigned char[256];

inline bool isKeyDown(const KeyStates& keys, int scanCode)
{
    return (keys[scanCode] & 0x80) != 0;
}
