// The text drawn over the scene: the frame-rate read-out and the ten console lines.
#include <string>

#include "app/Graphics.h"
#include "app/Platform.h"
#include "console/Engine.h"

namespace {

constexpr int kSamplePeriod = 10;   // frames between clock samples
constexpr int kTextLeft = 10;
constexpr int kFrameRateTop = 10;
constexpr int kInputLineTop = 400;   // line 0; older lines stand higher
constexpr int kLineStep = 13;        // less than the font height: the lines overlap slightly

BYTE ChannelByte(float x)
{
    if (x >= 1.0f)
        return 255;
    if (x <= 0.0f)
        return 0;
    return static_cast<BYTE>(x * 255.0f + 0.5f);
}

D3DCOLOR PackColor(const D3DXCOLOR& color)
{
    return D3DCOLOR_ARGB(ChannelByte(color.a), ChannelByte(color.r), ChannelByte(color.g),
                         ChannelByte(color.b));
}

// 1000 over the whole milliseconds per frame of the last sample period. Below one millisecond
// per frame the rate is shown as 1000, the same as for one millisecond.
int FramesPerSecond(DWORD lastTick, DWORD prevTick)
{
    // Signed, so that a wrap of the millisecond counter does no harm.
    int elapsed = static_cast<int>(lastTick - prevTick);
    int millisecondsPerFrame = elapsed / kSamplePeriod;
    if (millisecondsPerFrame == 0)
        millisecondsPerFrame = 1;
    return 1000 / millisecondsPerFrame;
}

} // namespace

// A failed creation leaves no font, whatever the library wrote into its out-parameter.
void Engine::createFont()
{
    ID3DXFont* created = nullptr;
    const HRESULT result = platform().createFont(g_device, 15, 0, FW_NORMAL, 0, FALSE,
                                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                                 DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                                 "Arial", &created);
    font = SUCCEEDED(result) ? created : nullptr;
}

void Engine::onLostDevice()
{
    if (font)
        font->OnLostDevice();
}

void Engine::onResetDevice()
{
    if (font)
        font->OnResetDevice();
}

void Engine::drawHud()
{
    if (frameCount == kSamplePeriod) {
        prevTick = lastTick;
        frameCount = 1;
        lastTick = platform().timeGetTime();
    } else {
        ++frameCount;
    }
    // Without a font there is nothing to draw the text with; the scene still runs.
    if (!font)
        return;

    D3DCOLOR color = PackColor(textColor);
    std::string frameRate = "fps: " + std::to_string(FramesPerSecond(lastTick, prevTick));
    RECT rect;
    SetRect(&rect, kTextLeft, kFrameRateTop, 0, 0);
    font->DrawTextA(nullptr, frameRate.c_str(), -1, &rect, DT_NOCLIP, color);
    for (int i = 0; i < kConsoleLineCount; ++i) {
        SetRect(&rect, kTextLeft, kInputLineTop - kLineStep * i, 0, 0);
        font->DrawTextA(nullptr, lines[i].c_str(), -1, &rect, DT_NOCLIP, color);
    }
}
