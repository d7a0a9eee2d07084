// The start-up camera: the eye sits on a sphere around a target that the keys move.
#pragma once

#include "camera/Keys.h"
#include "camera/Vec3.h"

extern Vec3 g_orbitScratch;

class OrbitCamera {
public:
    explicit OrbitCamera(const Vec3& target);

    OrbitCamera& setTarget(const Vec3& newTarget);

    // Mouse motion turns the eye about the target; the wheel changes the radius.
    void updateMouse(long dx, long dy, long dz, const unsigned char (&buttons)[4]);

    // W, S, A, D, Space and Left Ctrl move the target; Left Shift triples the speed.
    void updateKeys(const KeyStates& keys);

    double azimuth = 0;       // degrees about world y
    double polar = 90;        // degrees from world +y, kept within [1, 179]
    Vec3 target;
    Vec3 offset;              // eye relative to target
    double radius = 0.01;
    double moveSpeed = 50;
    double mouseDivisorX = 10;   // mouse counts per degree
    double mouseDivisorY = 10;
};
