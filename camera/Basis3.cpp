#include "camera/Basis3.h"
void Basis3::reset() {}
void Basis3::rotateAboutForward(float) {}
void Basis3::rotateAboutSide(float) {}
void Basis3::rotateAboutUp(float) {}
