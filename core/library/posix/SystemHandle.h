#pragma once

// The one owner of a descriptor on this side: every open file the library holds is one. The
// public classes hold it by pointer, so their headers need no system header.
#include "UniqueHandle.h"

#include <unistd.h>

struct DescriptorTraits {
    using Native = int;
    static int None() { return -1; }
    static bool Close(int fd) { return close(fd) == 0; }
};

class SystemHandle : public UniqueHandle<DescriptorTraits> {
public:
    using UniqueHandle::UniqueHandle;
};
