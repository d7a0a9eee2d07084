// A D3DX font that logs the text it is asked to draw.
#include "tests/fakes/FakeFont.h"

STDMETHODIMP_(INT) FakeFont::DrawTextA(ID3DXSprite* sprite, const char* text, INT count,
                                       RECT* rect, DWORD format, D3DCOLOR color)
{
    std::string drawn = !text ? "null" : count < 0 ? std::string(text) : std::string(text, count);
    if (rect)
        record(__func__, sprite, drawn, count, rect->left, rect->top, rect->right, rect->bottom,
               format, LoggedColor{color});
    else
        record(__func__, sprite, drawn, count, nullptr, format, LoggedColor{color});
    return drawTextResult;
}

STDMETHODIMP FakeFont::OnLostDevice()
{
    record(__func__);
    return D3D_OK;
}

STDMETHODIMP FakeFont::OnResetDevice()
{
    record(__func__);
    return D3D_OK;
}
