#include "camera/CameraRig.h"
CameraRig::CameraRig() : orbit(Vec3()), fov(0) {}
void CameraRig::handleInput(const KeyStates&, DIMOUSESTATE) {}
void CameraRig::applyView() {}
