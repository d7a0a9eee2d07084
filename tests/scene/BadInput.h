// What the malformed-input tests share: a scratch folder a case, one real device for them all,
// the files they write and what they expect of a failed load.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "app/Graphics.h"
#include "scene/ModelRegistry.h"
#include "tests/scene/RealDevice.h"

inline const std::string kMeshFile = "modellek\\haz.x";
inline const std::string kMeshFolder = "modellek\\";
inline const std::string kWallTexture = "fal.bmp";
inline const std::string kDetailTexture = "objektumok\\haz\\Detail.bmp";

// Names as D3DX's A functions read them: in the ANSI code page.
inline std::wstring wide(const std::string& bytes)
{
    const int size = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()),
                                         nullptr, 0);
    std::wstring text(size, L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                        size);
    return text;
}

// Makes the file's folders, then the file. The wide functions take paths past MAX_PATH.
inline testing::AssertionResult writeFile(const std::string& path, const std::string& bytes)
{
    const std::wstring name = wide(path);
    for (size_t slash = name.find(L'\\'); slash != std::wstring::npos;
         slash = name.find(L'\\', slash + 1))
        CreateDirectoryW(name.substr(0, slash).c_str(), nullptr);
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return testing::AssertionFailure() << "can't write a " << path.size()
                                           << "-byte path, error " << GetLastError();
    DWORD written = 0;
    const BOOL wrote = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                 nullptr);
    CloseHandle(file);
    if (!wrote || written != bytes.size())
        return testing::AssertionFailure() << "short write to " << path;
    return testing::AssertionSuccess();
}

inline void removeTree(const std::wstring& folder)
{
    // An empty name would search "\\*", the root of the drive.
    if (folder.empty())
        return;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L'\\' + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

// A path of exactly `length` bytes ending in `fileName`, the rest folders of at most 200 bytes:
// a single name may not pass 255 bytes on Linux.
inline std::string longPath(size_t length, const std::string& fileName)
{
    std::string path;
    for (size_t left = length - fileName.size(); left > 0;) {
        size_t folder = std::min<size_t>(left, 200);
        if (left - folder == 1)
            --folder;   // a folder needs a byte of name before its backslash
        path += std::string(folder - 1, 'd') + '\\';
        left -= folder;
    }
    return path + fileName;
}

inline std::string folderOf(const std::string& path)
{
    return path.substr(0, path.rfind('\\') + 1);
}

// A 24-bit bitmap of grey pixels, 2×2 unless told.
inline std::string bitmapFile(LONG width = 2, LONG height = 2)
{
    const DWORD pixelBytes = (width * 3 + 3) / 4 * 4 * height;   // rows padded to 4 bytes
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;   // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + pixelBytes;
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = pixelBytes;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    return bytes + std::string(pixelBytes, '\x80');
}

inline std::string material(const std::string& textureName)
{
    return "Material {\n1.0;0.5;0.25;1.0;;\n8.0;\n0.0;0.0;0.0;;\n0.0;0.0;0.0;;\n"
           "TextureFilename { \"" + textureName + "\"; }\n}\n";
}

// The counts are the number of materials, then of face indices, then the indices.
inline std::string materialList(const std::string& counts, const std::string& materials)
{
    return "MeshMaterialList {\n" + counts + "\n" + materials + "}\n";
}

// A square of two triangles with one material naming fal.bmp, in the .x text format. Each part
// can be swapped for a malformed one.
struct MeshText {
    std::string vertexCount = "4";
    std::string vertices = "0.0;0.0;0.0;,\n1.0;0.0;0.0;,\n1.0;1.0;0.0;,\n0.0;1.0;0.0;;";
    std::string faceCount = "2";
    std::string faces = "3;0,1,2;,\n3;0,2,3;;";
    std::string materials = materialList("1;\n2;\n0,\n0;;", material(kWallTexture));
    std::string coordinateCount = "4";
    std::string coordinates = "0.0;0.0;,\n1.0;0.0;,\n1.0;1.0;,\n0.0;1.0;;";

    std::string text() const
    {
        return "xof 0303txt 0032\nMesh {\n" + vertexCount + ";\n" + vertices + "\n" + faceCount +
               ";\n" + faces + "\n" + materials + "MeshTextureCoords {\n" + coordinateCount +
               ";\n" + coordinates + "\n}\n}\n";
    }
};

inline std::string oneMaterialNaming(const std::string& textureName)
{
    MeshText mesh;
    mesh.materials = materialList("1;\n2;\n0,\n0;;", material(textureName));
    return mesh.text();
}

inline std::vector<std::string> boxes()
{
    return callLog().named("messageBox");
}

inline std::string meshBox(const std::string& name)
{
    return messageBoxCall(name, cp1250(L"Nem találom az x filet!"));
}

inline std::string textureBox(const std::string& path)
{
    return messageBoxCall(path, cp1250(L"Nincs meg a textúra file! :("));
}

// What a failed load leaves: the name, the one "def" instance, nothing to draw.
inline void expectFresh(const Model& model, const std::string& name)
{
    EXPECT_EQ(model.fileName, name);
    EXPECT_FALSE(model.mesh);
    EXPECT_EQ(model.materialCount, 0u);
    EXPECT_TRUE(model.materials.empty());
    EXPECT_TRUE(model.textures.empty());
    EXPECT_TRUE(model.detailTextures.empty());
    ASSERT_EQ(model.instances.size(), 1u);
    EXPECT_EQ(model.instances.begin()->first, kDefaultInstanceName);
}

// One frame with every model, presented so that the draws really run.
inline void drawOnce(ModelRegistry& registry)
{
    ASSERT_EQ(g_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kClearColor, 1.0f,
                              0),
              D3D_OK);
    ASSERT_EQ(g_device->BeginScene(), D3D_OK);
    registry.drawAll();
    EXPECT_EQ(g_device->EndScene(), D3D_OK);
    EXPECT_EQ(g_device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
}

// One device for every case here, made by the first and let go when the tests end: Wine takes
// a few hundred milliseconds to make one. Between cases g_device is left null, as other tests
// expect to find it.
class SharedDevice : public testing::Environment {
public:
    IDirect3DDevice9* get()
    {
        if (!device) {
            real.open();
            device = std::exchange(g_device, nullptr);
        }
        return device;
    }

    void TearDown() override
    {
        if (device) {
            g_device = std::exchange(device, nullptr);
            real.close();
        }
    }

private:
    RealDevice real;
    IDirect3DDevice9* device = nullptr;
};

inline SharedDevice& sharedDevice = *static_cast<SharedDevice*>(
    testing::AddGlobalTestEnvironment(new SharedDevice));

// Each case works in a scratch folder of its own, removed with everything in it afterwards.
class BadInput : public testing::Test {
protected:
    void SetUp() override
    {
        g_device = sharedDevice.get();
        ASSERT_TRUE(g_device);
        static int scratchCount = 0;
        scratch = L"bad-input-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                  std::to_wstring(++scratchCount);
        // Wine numbers processes afresh with each server, so a run that crashed may have left
        // a folder of this name.
        removeTree(scratch);
        ASSERT_TRUE(CreateDirectoryW(scratch.c_str(), nullptr));
        previousFolder.resize(GetCurrentDirectoryW(0, nullptr));
        previousFolder.resize(GetCurrentDirectoryW(previousFolder.size(), previousFolder.data()));
        ASSERT_TRUE(SetCurrentDirectoryW(scratch.c_str()));
    }

    void TearDown() override
    {
        registry.models.clear();
        SetCurrentDirectoryW(previousFolder.c_str());
        removeTree(scratch);
        g_device = nullptr;
        g_sceneLight = {};
    }

    const Model& entry(const std::string& name) { return registry.models.at(name); }

    RealLoadsRecordedMessages platform;
    ModelRegistry registry;
    std::wstring scratch;
    std::wstring previousFolder;
};

// A .x file's contents, made when the case runs.
struct MeshCase {
    std::string label;
    std::function<std::string()> contents;
};

inline void PrintTo(const MeshCase& row, std::ostream* out)
{
    *out << row.label;
}

template <typename Row>
inline std::string labelOf(const testing::TestParamInfo<Row>& info)
{
    return info.param.label;
}


inline std::string littleEndian(uint32_t value, size_t bytes)
{
    std::string out;
    for (size_t i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    return out;
}

// Whether a case's file is written. Some names can't exist on every host: a Linux path stops at
// 4096 bytes, the working folder included. The loader can't open what the test couldn't write,
// so such a name must end as a missing file does. (Names with Hungarian letters need the
// hu_HU.UTF-8 locale, through which Wine names files on Linux; the set-up script makes it.)
enum class OnDisk { No, Yes, IfTheHostCanNameIt };

// True when the file is there for the loader to find.
inline bool place(OnDisk disk, const std::string& path, const std::string& bytes)
{
    if (disk == OnDisk::No)
        return false;
    const testing::AssertionResult written = writeFile(path, bytes);
    if (disk == OnDisk::Yes) {
        EXPECT_TRUE(written);
    }
    return written;
}
