// Result codes and flags of the shell's thumbnail interfaces (IShellFolder, IExtractImage,
// IRunnableTask), standard C++ only, so that plain code above the platform can name them too.
#pragma once

#include <cstdint>

namespace platform {

using HRESULT = int32_t;

// Each code once, with when the shell stand-in answers it.
inline constexpr HRESULT S_OK = 0;    // the call did what was asked
inline constexpr HRESULT S_FALSE = 1; // the call worked but has nothing to give (no extractor)
inline constexpr HRESULT E_PENDING = static_cast<HRESULT>(0x8000000A); // extraction left to a task
inline constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001); // interface not offered
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002); // unknown identifier
inline constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004);       // a killed extraction
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005); // the picture cannot be made
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E); // a picture too large
inline constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);  // not a folder, bad size

inline constexpr bool SUCCEEDED(HRESULT result) {
    return result >= 0;
}
inline constexpr bool FAILED(HRESULT result) {
    return result < 0;
}
// A system error code as a result (ERROR_FILE_NOT_FOUND 2 -> 0x80070002).
inline constexpr HRESULT HRESULT_FROM_WIN32(uint32_t code) {
    return code == 0 ? S_OK : static_cast<HRESULT>((code & 0xFFFF) | 0x80070000u);
}

// IExtractImage::GetLocation flags.
inline constexpr uint32_t IEIFLAG_ASYNC = 0x001;    // the caller takes a task (E_PENDING)
inline constexpr uint32_t IEIFLAG_ASPECT = 0x004;   // fill the size's own proportions
inline constexpr uint32_t IEIFLAG_OFFLINE = 0x008;  // do not reach the network
inline constexpr uint32_t IEIFLAG_SCREEN = 0x020;   // render for the screen
inline constexpr uint32_t IEIFLAG_ORIGSIZE = 0x040; // about the size given, cropped if need be
inline constexpr uint32_t IEIFLAG_NOBORDER = 0x100; // the caller draws no border
inline constexpr uint32_t IEIFLAG_QUALITY = 0x200;  // slower, better picture

} // namespace platform
