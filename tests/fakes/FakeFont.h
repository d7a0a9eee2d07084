// A D3DX font that logs the text it is asked to draw.
//
// Logged as font:<face>; FakePlatform's createFont hands one out. DrawTextA logs
// DrawTextA(font:Arial, null, FPS: 60, -1, 10, 10, 630, 30, 256, 0xFFFFFF00): the sprite, the
// text (its first count bytes when count isn't -1), count, the rectangle's left, top, right and
// bottom (or null), the format and the colour. It returns drawTextResult. OnLostDevice and
// OnResetDevice log OnLostDevice(font:Arial) and OnResetDevice(font:Arial).
#pragma once

#include <string>

#include <d3dx9.h>

#include "tests/fakes/FakeComObject.h"

class FakeFont final : public FakeComObject<ID3DXFont> {
public:
    explicit FakeFont(const std::string& face) : FakeComObject("font:" + face, false) {}

    INT drawTextResult = 15;

    STDMETHODIMP_(INT) DrawTextA(ID3DXSprite* sprite, const char* text, INT count, RECT* rect,
                                 DWORD format, D3DCOLOR color) override;

    STDMETHODIMP GetDevice(IDirect3DDevice9**) override { return unexpected(__func__); }
    STDMETHODIMP GetDescA(D3DXFONT_DESCA*) override { return unexpected(__func__); }
    STDMETHODIMP GetDescW(D3DXFONT_DESCW*) override { return unexpected(__func__); }
    STDMETHODIMP_(BOOL) GetTextMetricsA(TEXTMETRICA*) override { unexpected(__func__); return {}; }
    STDMETHODIMP_(BOOL) GetTextMetricsW(TEXTMETRICW*) override { unexpected(__func__); return {}; }
    STDMETHODIMP_(HDC) GetDC() override { unexpected(__func__); return {}; }
    STDMETHODIMP GetGlyphData(UINT, IDirect3DTexture9**, RECT*, POINT*) override
        { return unexpected(__func__); }
    STDMETHODIMP PreloadCharacters(UINT, UINT) override { return unexpected(__func__); }
    STDMETHODIMP PreloadGlyphs(UINT, UINT) override { return unexpected(__func__); }
    STDMETHODIMP PreloadTextA(const char*, INT) override { return unexpected(__func__); }
    STDMETHODIMP PreloadTextW(const WCHAR*, INT) override { return unexpected(__func__); }
    STDMETHODIMP_(INT) DrawTextW(ID3DXSprite*, const WCHAR*, INT, RECT*, DWORD, D3DCOLOR) override
        { unexpected(__func__); return {}; }
    STDMETHODIMP OnLostDevice() override;
    STDMETHODIMP OnResetDevice() override;
};
