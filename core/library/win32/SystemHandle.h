#pragma once

// The one owner of a HANDLE on this side: every open file the library holds is one. The public
// classes hold it by pointer, so their headers need no Windows header.
#include "UniqueHandle.h"

#include <windows.h>

struct Win32HandleTraits {
    using Native = HANDLE;
    static HANDLE None() { return INVALID_HANDLE_VALUE; }
    static bool Close(HANDLE handle) { return ::CloseHandle(handle) != 0; }
};

class SystemHandle : public UniqueHandle<Win32HandleTraits> {
public:
    using UniqueHandle::UniqueHandle;
};
