// The one ordered log of calls that every fake writes to, and the labels that name pointers in it.
//
// Each entry reads Name(arg, arg, ...): the platform method (showCursor, loadMeshFromX) or COM
// method (SetRenderState, Release) as spelled in its interface, then its arguments in order.
// Integers are decimal (BOOL as 0 or 1), floats in their shortest form (1, 0.01, -1), D3DCOLORs
// as 0xAARRGGBB, strings verbatim (code page 1250 bytes stay bytes), pointers as null, their
// label (texture:wall.bmp, device, window) or ptr when unlabelled. Objects that can come in
// numbers (meshes, buffers, textures, fonts, input devices) put their own label first:
// DrawSubset(mesh:a.x:clone, 0); Direct3D, the device and DirectInput don't: Clear(0, null, ...);
// AddRef and Release always name their object: Release(device). A record passed by pointer is
// logged as labelled fields (diffuse 1 1 1 1, range 10000), a MSG as its hwnd, message, wParam,
// lParam. A method a fake doesn't expect logs Name(unexpected), or Name(label, unexpected).
#pragma once

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

class CallLog {
public:
    void add(std::string call);
    const std::vector<std::string>& calls() const { return entries; }
    void clear() { entries.clear(); }

    // The calls whose entry starts with `prefix`, in order: named("SetTexture").
    std::vector<std::string> named(std::string_view prefix) const;

    // Labels outlive clear(); a fake labels itself while it exists.
    void setLabel(const void* pointer, std::string label);
    void removeLabel(const void* pointer);
    std::string label(const void* pointer) const;

private:
    std::vector<std::string> entries;
    std::map<const void*, std::string> labels;
};

CallLog& callLog();

// A D3DCOLOR to be logged in hex.
struct LoggedColor {
    std::uint32_t value;
};

inline std::string formatArg(const std::string& text) { return text; }
inline std::string formatArg(const char* text) { return text ? text : "null"; }
inline std::string formatArg(std::nullptr_t) { return "null"; }
inline std::string formatArg(const void* pointer) { return callLog().label(pointer); }

inline std::string formatArg(double value)
{
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

inline std::string formatArg(float value)
{
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

inline std::string formatArg(LoggedColor color)
{
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(color.value));
    return text;
}

template <typename Number>
    requires std::is_integral_v<Number> || std::is_enum_v<Number>
std::string formatArg(Number value)
{
    if constexpr (std::is_enum_v<Number>)
        return formatArg(static_cast<std::underlying_type_t<Number>>(value));
    else if constexpr (std::is_unsigned_v<Number>)
        return std::to_string(static_cast<unsigned long long>(value));
    else
        return std::to_string(static_cast<long long>(value));
}

template <typename... Args>
std::string formatCall(std::string_view name, const Args&... args)
{
    const std::vector<std::string> formatted = {formatArg(args)...};
    std::string call(name);
    call += '(';
    for (size_t i = 0; i < formatted.size(); ++i)
        call += (i ? ", " : "") + formatted[i];
    call += ')';
    return call;
}

template <typename... Args>
void logCall(std::string_view name, const Args&... args)
{
    callLog().add(formatCall(name, args...));
}
