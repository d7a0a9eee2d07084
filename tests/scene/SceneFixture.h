// What the scene tests share: the recording fakes bound as platform and device, and small helpers.
#pragma once

#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "app/Graphics.h"
#include "scene/Model.h"
#include "tests/fakes/FakePlatform.h"

// The fakes are bound for the whole test; models made in the test die before them.
class SceneTest : public testing::Test {
protected:
    void SetUp() override { g_device = &fakes.device(); }
    void TearDown() override
    {
        g_device = nullptr;
        g_sceneLight = {};
    }

    // A one-material .x file whose material names `textureFile`.
    MeshFile fileWithTexture(std::optional<std::string> textureFile)
    {
        MeshFile file;
        file.materials = {FakeMaterial{.textureFile = std::move(textureFile)}};
        return file;
    }

    Model loaded(const std::string& fileName)
    {
        Model model(fileName);
        EXPECT_EQ(model.load(), S_OK);
        return model;
    }

    std::string labelOf(const void* pointer) const { return callLog().label(pointer); }

    FakePlatform fakes;
};

// The code page 1250 bytes of a text, converted independently of the code under test.
inline std::string cp1250(const wchar_t* text)
{
    int size = WideCharToMultiByte(1250, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(1250, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    bytes.pop_back();
    return bytes;
}

inline std::string messageBoxCall(const std::string& text, const std::string& caption)
{
    return formatCall("messageBox", nullptr, text, caption, MB_OK);
}
