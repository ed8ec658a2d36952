#pragma once

// Macros that build a class's static message map, and the thunks that call its handlers.

template <class> struct AfxMemberOf;
template <class T, class R, class... Args> struct AfxMemberOf<R (T::*)(Args...)> {
    using type = T;
};

template <auto pfn> LRESULT AfxThunkVoid(CCmdTarget* target, WPARAM, LPARAM) {
    using T = typename AfxMemberOf<decltype(pfn)>::type;
    (static_cast<T*>(target)->*pfn)();
    return 0;
}

template <auto pfn> LRESULT AfxThunkSysCommand(CCmdTarget* target, WPARAM wParam, LPARAM lParam) {
    using T = typename AfxMemberOf<decltype(pfn)>::type;
    (static_cast<T*>(target)->*pfn)(static_cast<UINT>(wParam), lParam);
    return 0;
}

template <auto pfn> LRESULT AfxThunkQueryDragIcon(CCmdTarget* target, WPARAM, LPARAM) {
    using T = typename AfxMemberOf<decltype(pfn)>::type;
    return reinterpret_cast<LRESULT>((static_cast<T*>(target)->*pfn)());
}

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const {                                            \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        using ThisClass [[maybe_unused]] = theClass;                                               \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, nullptr }                                                                           \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, entries};                     \
    return &map;                                                                                   \
    }

#define ON_COMMAND(id, memberFxn) {WM_COMMAND, 0, id, &AfxThunkVoid<&memberFxn>},
#define ON_BN_CLICKED(id, memberFxn) {WM_COMMAND, BN_CLICKED, id, &AfxThunkVoid<&memberFxn>},
#define ON_WM_SYSCOMMAND() {WM_SYSCOMMAND, 0, 0, &AfxThunkSysCommand<&ThisClass::OnSysCommand>},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, &AfxThunkVoid<&ThisClass::OnPaint>},
#define ON_WM_QUERYDRAGICON()                                                                      \
    {WM_QUERYDRAGICON, 0, 0, &AfxThunkQueryDragIcon<&ThisClass::OnQueryDragIcon>},
