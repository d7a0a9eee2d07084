#include "camera/FreeCamera.h"
void FreeCamera::update(long, long, long, const unsigned char (&)[4], const KeyStates&) {}
