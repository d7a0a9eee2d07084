// A single-precision orientation frame turned about its own axes.
#pragma once

struct Float3 {
    float x = 0;
    float y = 0;
    float z = 0;
};

struct Basis3 {
    Float3 forward;   // look and travel direction; the roll axis
    Float3 side;      // the pitch axis
    Float3 up;        // the yaw axis and the view's up vector

    // forward +x, side +z, up +y
    void reset();

    // Each turns the two other vectors about the named axis; angles in degrees.
    void rotateAboutForward(float degrees);
    void rotateAboutSide(float degrees);
    void rotateAboutUp(float degrees);
};
