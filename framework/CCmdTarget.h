#pragma once

#include <windows.h>

class CCmdTarget;

// One row of a static message map. The thunk knows the handler's class and signature, so the
// table holds no casts between member-function types.
struct AFX_MSGMAP_ENTRY {
    UINT nMessage; // WM_COMMAND for commands and control notifications
    UINT nCode;    // notification code, for WM_COMMAND
    UINT nID;      // command or control id, for WM_COMMAND
    LRESULT (*pfnThunk)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries; // ends with an entry whose thunk is null
};

// Something that handles messages through a static message map, searched from the most
// derived class to its bases.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;

    // The entry for a message, or null when no class in the chain handles it.
    const AFX_MSGMAP_ENTRY* FindEntry(UINT nMessage, UINT nCode, UINT nID) const;
    // Runs the handler of a command; false when there is none.
    BOOL OnCmdMsg(UINT nID, UINT nCode);

protected:
    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP* GetThisMessageMap();
};

#include "MessageMap.h"
