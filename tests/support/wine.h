#pragma once
// Whether the Windows build runs under Wine rather than on Windows: for the few cases where Wine
// is known to differ from Windows, which only a Windows machine can check.
#ifdef _WIN32
#include <windows.h>
#endif

namespace testing_support {

inline bool underWine()
{
#ifdef _WIN32
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}

} // namespace testing_support
