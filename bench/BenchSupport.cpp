// Clocks, memory, medians and the bare Direct3D 9 + D3DX side of the benchmarks.
#include "bench/BenchSupport.h"

#include <algorithm>

#include <psapi.h>

namespace {

constexpr char kBareWindowClass[] = "bench_bare";
constexpr char kDetailTextureFile[] = "objektumok\\haz\\Detail.bmp";
constexpr DWORD kViewerVertexFormat = D3DFVF_XYZ | D3DFVF_TEX2;

long long ticksOf(const FILETIME& time)
{
    return (static_cast<long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::string directoryPrefix(const std::string& fileName)
{
    const size_t lastBackslash = fileName.rfind('\\');
    return lastBackslash == std::string::npos ? std::string() : fileName.substr(0, lastBackslash + 1);
}

} // namespace

double nowMs()
{
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

double msSinceProcessStart()
{
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimePreciseAsFileTime(&now);
    return static_cast<double>(ticksOf(now) - ticksOf(created)) / 10000.0;   // 100 ns ticks
}

SIZE_T privateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    // Wine 8 fills only the short structure and leaves PrivateUsage zero; Windows defines
    // PagefileUsage as the same figure, and Wine fills that one.
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void waitForDevice(IDirect3DDevice9* device)
{
    ComPtr<IDirect3DQuery9> query;
    if (FAILED(device->CreateQuery(D3DQUERYTYPE_EVENT, query.out())))
        return;
    query->Issue(D3DISSUE_END);
    while (query->GetData(nullptr, 0, D3DGETDATA_FLUSH) == S_FALSE)
        SwitchToThread();
}

void pumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

HWND createBareWindow()
{
    HINSTANCE module = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_NOCLOSE;
    windowClass.lpfnWndProc = DefWindowProcA;
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

bool loadBare(IDirect3DDevice9* device, const std::string& fileName, BareModel& model)
{
    ComPtr<ID3DXBuffer> materialBuffer;
    ComPtr<ID3DXMesh> loaded;
    DWORD count = 0;
    if (FAILED(D3DXLoadMeshFromXA(fileName.c_str(), D3DXMESH_MANAGED, device, nullptr,
                                  materialBuffer.out(), nullptr, &count, loaded.out())))
        return false;

    const std::string prefix = directoryPrefix(fileName);
    const auto* fileMaterials = materialBuffer
        ? static_cast<const D3DXMATERIAL*>(materialBuffer->GetBufferPointer())
        : nullptr;
    model.materials.assign(count, D3DMATERIAL9{});
    model.textures.resize(count);
    model.detailTextures.resize(count);
    for (DWORD i = 0; fileMaterials && i < count; ++i) {
        // The viewer's meshes have no normals: the diffuse colour is what ambient light shows.
        model.materials[i] = fileMaterials[i].MatD3D;
        model.materials[i].Ambient = model.materials[i].Diffuse;
        const char* textureName = fileMaterials[i].pTextureFilename;
        if (!textureName || !*textureName)
            continue;
        D3DXCreateTextureFromFileA(device, (prefix + textureName).c_str(), model.textures[i].out());
        D3DXCreateTextureFromFileA(device, kDetailTextureFile, model.detailTextures[i].out());
    }
    loaded->CloneMeshFVF(D3DXMESH_MANAGED, kViewerVertexFormat, device, model.mesh.out());
    return true;
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

void drawBareFrame(IDirect3DDevice9* device, const std::vector<const BareModel*>& models)
{
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBareClearColor, 1.0f, 0);
    if (SUCCEEDED(device->BeginScene())) {
        setStartupCamera(device);
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        device->SetTransform(D3DTS_WORLD, &identity);
        setBareStages(device);
        for (const BareModel* model : models)
            drawSubsets(device, *model);
        device->EndScene();
    }
    device->Present(nullptr, nullptr, nullptr, nullptr);
}
