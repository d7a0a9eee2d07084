// What the shell tests share: the run on fakes with a window that can be closed, the shared
// objects put back afterwards, and the calls that pick the run's own out of the log.
#pragma once

#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/app/SharedStateGuard.h"
#include "tests/fakes/FakePlatform.h"

inline const std::string kPeekWindow = "peekMessage(ptr, window, 0, 0, 1)";
inline const std::vector<std::string> kTakeQuit = {
    kPeekWindow, "translateMessage(null, 18, 0, 0)", "dispatchMessage(null, 18, 0, 0)"};

// The filter (HWND)-1 of a peek that takes thread messages only, labelled in the log.
inline const void* const kThreadMessages = reinterpret_cast<const void*>(-1);

inline const std::vector<std::string> kReleaseAll = {"Release(device)", "Release(direct3d)",
                                                     "Release(directinput)", "Release(keyboard)",
                                                     "Release(mouse)"};

inline std::vector<std::string> joined(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The calls of the run itself: window, start-up steps, messages, shut-down. The loading, state
// and drawing calls in between are tested with graphics and the scene.
inline std::vector<std::string> runCalls()
{
    static const std::set<std::string> kNames = {
        "showCursor", "registerClass", "createWindow", "direct3DCreate9",
        "GetAdapterDisplayMode", "CreateDevice", "loadMeshFromXInMemory", "showWindow",
        "directInput8Create", "updateWindow", "peekMessage", "translateMessage",
        "dispatchMessage", "defWindowProc", "postQuitMessage", "messageBox", "unregisterClass"};
    static const std::set<std::string> kSharedInterfaces(kReleaseAll.begin(), kReleaseAll.end());
    std::vector<std::string> calls;
    for (const std::string& call : callLog().calls()) {
        if (kNames.contains(call.substr(0, call.find('('))) || kSharedInterfaces.contains(call))
            calls.push_back(call);
    }
    return calls;
}

// The shared objects that a run or a message changes are put back afterwards.
class ShellTest : public testing::Test {
protected:
    void SetUp() override { callLog().setLabel(kThreadMessages, "thread"); }
    void TearDown() override { callLog().removeLabel(kThreadMessages); }

private:
    SharedStateGuard sharedState;
};

// The fakes with a window that can be closed: the default handling of WM_CLOSE destroys it, as
// DestroyWindow does, sending WM_DESTROY first. From then on its handle is invalid, so a peek
// filtered to it fails and takes nothing.
class ClosableWindowPlatform : public FakePlatform {
public:
    LRESULT defWindowProc(HWND target, UINT message, WPARAM wParam, LPARAM lParam) override
    {
        LRESULT result = FakePlatform::defWindowProc(target, message, wParam, lParam);
        if (message == WM_CLOSE && !destroyed) {
            windowClass.lpfnWndProc(target, WM_DESTROY, 0, 0);
            destroyed = true;
        }
        return result;
    }

    BOOL peekMessage(MSG* message, HWND filter, UINT first, UINT last, UINT remove) override
    {
        if (!destroyed || filter != window || ++peeksAfterDestruction > kPeekLimit)
            return FakePlatform::peekMessage(message, filter, first, last, remove);
        logCall("peekMessage", message, filter, first, last, remove);
        return FALSE;
    }

    // Beyond this many turns after the window is gone, a loop that can't see the quit message
    // is let out with it, so that the test fails rather than hangs.
    static constexpr int kPeekLimit = 20;
    bool destroyed = false;
    int peeksAfterDestruction = 0;
};

class RunViewerTest : public ShellTest {
protected:
    ClosableWindowPlatform fakes;
    FakeInputDevice& keyboard = fakes.fakeDirectInput.keyboard;
};
