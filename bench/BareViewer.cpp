// The viewer's platform calls made straight: start-up, loading, and the steps of one idle turn.
#include "bench/BareViewer.h"

#include <cstdio>

#include <mmsystem.h>

namespace {

constexpr char kBareWindowClass[] = "bench_bare";
constexpr char kStartupSceneFile[] = "objektumok\\haz\\map02.x";
constexpr char kDetailTextureFile[] = "objektumok\\haz\\Detail.bmp";
constexpr DWORD kViewerVertexFormat = D3DFVF_XYZ | D3DFVF_TEX2;
constexpr D3DCOLOR kTextColor = 0xFF000000;

// The viewer's vertex: position, base and detail texture coordinates.
struct BareVertex {
    float x, y, z;
    float u, v;
    float detailU, detailV;
};

// The program whose input devices the bare window procedure acquires, while there is one.
const BareProgram* g_inputOwner = nullptr;

// As the viewer's: acquires both devices on WM_ACTIVATE, also on deactivation, once they exist.
LRESULT CALLBACK bareWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ACTIVATE && g_inputOwner) {
        if (g_inputOwner->keyboard)
            g_inputOwner->keyboard->Acquire();
        if (g_inputOwner->mouse)
            g_inputOwner->mouse->Acquire();
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string directoryPrefix(const std::string& fileName)
{
    const size_t lastBackslash = fileName.rfind('\\');
    return lastBackslash == std::string::npos ? std::string() : fileName.substr(0, lastBackslash + 1);
}

void setStartupStates(IDirect3DDevice9* device)
{
    device->SetRenderState(D3DRS_LIGHTING, TRUE);
    device->SetRenderState(D3DRS_AMBIENT, 0x00252525);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    for (DWORD sampler = 0; sampler < 2; ++sampler) {
        device->SetSamplerState(sampler, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(sampler, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        device->SetSamplerState(sampler, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
    }
}

void scaleDetailCoordinates(ID3DXMesh* mesh)
{
    const DWORD vertexCount = mesh->GetNumVertices();
    ComPtr<IDirect3DVertexBuffer9> buffer;
    void* data = nullptr;
    if (FAILED(mesh->GetVertexBuffer(buffer.out())) || FAILED(buffer->Lock(0, 0, &data, 0)))
        return;
    auto* vertices = static_cast<BareVertex*>(data);
    for (DWORD k = 0; k < vertexCount; ++k) {
        vertices[k].detailU = vertices[k].u * 40.0f;
        vertices[k].detailV = vertices[k].v * 40.0f;
    }
    buffer->Unlock();
}

HRESULT createInput(BareProgram& program)
{
    HRESULT result = DirectInput8Create(GetModuleHandleA(nullptr), DIRECTINPUT_VERSION,
                                        IID_IDirectInput8A,
                                        reinterpret_cast<void**>(program.directInput.out()), nullptr);
    if (FAILED(result) ||
        FAILED(result = program.directInput->CreateDevice(GUID_SysKeyboard, program.keyboard.out(),
                                                          nullptr)) ||
        FAILED(result = program.keyboard->SetDataFormat(&c_dfDIKeyboard)) ||
        FAILED(result = program.keyboard->Acquire()) ||
        FAILED(result = program.directInput->CreateDevice(GUID_SysMouse, program.mouse.out(),
                                                          nullptr)) ||
        FAILED(result = program.mouse->SetDataFormat(&c_dfDIMouse)) ||
        FAILED(result = program.mouse->SetCooperativeLevel(program.window,
                                                           DISCL_EXCLUSIVE | DISCL_FOREGROUND)))
        return result;
    return program.mouse->Acquire();
}

} // namespace

BareProgram::~BareProgram()
{
    if (g_inputOwner == this)
        g_inputOwner = nullptr;
}

BareSession BareProgram::session() const
{
    BareSession session;
    session.device = device.get();
    session.font = font.get();
    session.keyboard = keyboard.get();
    session.mouse = mouse.get();
    return session;
}

HWND createBareWindow()
{
    HINSTANCE module = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_NOCLOSE;
    windowClass.lpfnWndProc = bareWindowProc;
    windowClass.hInstance = module;
    windowClass.lpszClassName = kBareWindowClass;
    RegisterClassExA(&windowClass);
    return CreateWindowExA(0, kBareWindowClass, "bench", WS_BORDER, 100, 100, 640, 480,
                           GetDesktopWindow(), nullptr, module, nullptr);
}

ComPtr<IDirect3DDevice9> createBareDevice(IDirect3D9* direct3d, HWND window)
{
    ComPtr<IDirect3DDevice9> device;
    D3DDISPLAYMODE mode;
    if (!direct3d || FAILED(direct3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode)))
        return device;
    D3DPRESENT_PARAMETERS parameters = {};
    parameters.BackBufferFormat = mode.Format;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = TRUE;
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D24X8;
    direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                           D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, device.out());
    return device;
}

bool startBare(BareProgram& program)
{
    g_inputOwner = &program;
    ShowCursor(FALSE);
    program.window = createBareWindow();
    program.direct3d = ComPtr<IDirect3D9>(Direct3DCreate9(D3D_SDK_VERSION));
    program.device = createBareDevice(program.direct3d.get(), program.window);
    if (!program.device)
        return false;
    D3DXCreateFontA(program.device.get(), 15, 0, FW_NORMAL, 0, FALSE, DEFAULT_CHARSET,
                    OUT_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, "Arial",
                    program.font.out());
    setStartupStates(program.device.get());
    if (!loadBare(program.device.get(), kStartupSceneFile, program.scene))
        std::printf("note the start-up scene did not load\n");
    ShowWindow(program.window, SW_SHOWDEFAULT);
    if (FAILED(createInput(program)))
        return false;
    ShowWindow(program.window, SW_SHOWDEFAULT);
    UpdateWindow(program.window);
    return true;
}

bool loadBare(IDirect3DDevice9* device, const std::string& fileName, BareModel& model)
{
    ComPtr<ID3DXBuffer> materialBuffer;
    ComPtr<ID3DXMesh> loaded;
    DWORD count = 0;
    if (FAILED(D3DXLoadMeshFromXA(fileName.c_str(), D3DXMESH_MANAGED, device, nullptr,
                                  materialBuffer.out(), nullptr, &count, loaded.out())) ||
        !loaded)
        return false;

    const std::string prefix = directoryPrefix(fileName);
    const auto* fileMaterials = materialBuffer
        ? static_cast<const D3DXMATERIAL*>(materialBuffer->GetBufferPointer())
        : nullptr;
    model.materials.assign(count, D3DMATERIAL9{});
    model.textures.resize(count);
    model.detailTextures.resize(count);
    for (DWORD i = 0; fileMaterials && i < count; ++i) {
        model.materials[i] = fileMaterials[i].MatD3D;
        model.materials[i].Ambient = model.materials[i].Diffuse;
        const char* textureName = fileMaterials[i].pTextureFilename;
        if (!textureName || !*textureName)
            continue;
        D3DXCreateTextureFromFileA(device, (prefix + textureName).c_str(), model.textures[i].out());
        D3DXCreateTextureFromFileA(device, kDetailTextureFile, model.detailTextures[i].out());
    }
    loaded->CloneMeshFVF(D3DXMESH_MANAGED, kViewerVertexFormat, device, model.mesh.out());
    loaded.reset();
    materialBuffer.reset();
    if (model.mesh)
        scaleDetailCoordinates(model.mesh.get());
    return true;
}

void readBareInput(const BareSession& session)
{
    BYTE keys[256];
    DIMOUSESTATE mouse;
    if (FAILED(session.keyboard->GetDeviceState(sizeof keys, keys)))
        session.keyboard->Acquire();
    if (FAILED(session.mouse->GetDeviceState(sizeof mouse, &mouse)))
        session.mouse->Acquire();
}

void setStartupCamera(IDirect3DDevice9* device)
{
    // The orbit camera starts 0.01 from its target (-100, 5, 300), on the +x side.
    const D3DXVECTOR3 eye(-99.99f, 5.0f, 300.0f), target(-100.0f, 5.0f, 300.0f), up(0, 1, 0);
    D3DXMATRIX matrix;
    D3DXMatrixLookAtLH(&matrix, &eye, &target, &up);
    device->SetTransform(D3DTS_VIEW, &matrix);
    D3DXMatrixPerspectiveFovLH(&matrix, D3DX_PI / 3, 4.0f / 3.0f, 0.01f, 100000.0f);
    device->SetTransform(D3DTS_PROJECTION, &matrix);
}

void applyBareLight(IDirect3DDevice9* device)
{
    static D3DLIGHT9 light = [] {
        D3DLIGHT9 defaults = {};
        defaults.Type = D3DLIGHT_DIRECTIONAL;
        defaults.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
        defaults.Ambient = {1.0f, 1.0f, 1.0f, 0.0f};
        defaults.Range = 10000.0f;
        return defaults;
    }();
    static const D3DXVECTOR3 direction(0.0f, -100.0f, 0.0f);
    D3DXVec3Normalize(reinterpret_cast<D3DXVECTOR3*>(&light.Direction), &direction);
    device->SetLight(0, &light);
    device->LightEnable(0, TRUE);
}

void setBareWorld(IDirect3DDevice9* device)
{
    D3DXMATRIX world, rotation;
    D3DXMatrixTranslation(&world, 0, 0, 0);
    D3DXMatrixRotationX(&rotation, 0);
    D3DXMatrixMultiply(&world, &rotation, &world);
    D3DXMatrixRotationY(&rotation, 0);
    D3DXMatrixMultiply(&world, &rotation, &world);
    D3DXMatrixRotationZ(&rotation, 0);
    D3DXMatrixMultiply(&world, &rotation, &world);
    device->SetTransform(D3DTS_WORLD, &world);
}

void setBareStages(IDirect3DDevice9* device)
{
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
}

void drawBareHud(BareSession& session)
{
    if (session.frameCount == 10) {
        session.prevTick = session.lastTick;
        session.frameCount = 1;
        session.lastTick = timeGetTime();
    } else {
        ++session.frameCount;
    }
    if (!session.font)
        return;
    int millisecondsPerFrame = static_cast<int>(session.lastTick - session.prevTick) / 10;
    char text[32];
    std::snprintf(text, sizeof text, "fps: %d", 1000 / (millisecondsPerFrame ? millisecondsPerFrame : 1));
    RECT rect;
    SetRect(&rect, 10, 10, 0, 0);
    session.font->DrawTextA(nullptr, text, -1, &rect, DT_NOCLIP, kTextColor);
    // The ten console lines, empty while nothing has been typed.
    for (int i = 0; i < 10; ++i) {
        SetRect(&rect, 10, 400 - 13 * i, 0, 0);
        session.font->DrawTextA(nullptr, "", -1, &rect, DT_NOCLIP, kTextColor);
    }
}
