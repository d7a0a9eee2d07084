// The shared objects, defined in one file so that static initialisation builds them in this order.
#include <new>

#include "camera/CameraRig.h"
#include "console/Engine.h"

CameraRig g_cameraRig;
Vec3 g_orbitScratch(0, 0, 0);
Basis3 g_freeBasis = [] {
    Basis3 basis;
    basis.reset();
    return basis;
}();
// Never deleted: it lives as long as the process. Null if it could not be allocated.
Engine* g_engine = new (std::nothrow) Engine;
