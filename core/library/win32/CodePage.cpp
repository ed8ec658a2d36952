#include "CodePage.h"

namespace CodePage {

namespace {

// UTF-8 takes neither a default character nor a best-fit flag; every other code page needs
// both asked for to tell a lossy conversion from an exact one. CP_ACP may itself be UTF-8.
bool IsUtf8(UINT codePage) {
    return (codePage == CP_ACP ? ::GetACP() : codePage) == CP_UTF8;
}

} // namespace

std::optional<std::wstring> Widen(const std::string& text, UINT codePage) {
    if (text.empty())
        return std::wstring();
    const int size = static_cast<int>(text.size());
    const int length =
        ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length);
    return wide;
}

std::optional<std::string> Narrow(const std::wstring& text, UINT codePage) {
    if (text.empty())
        return std::string();
    const bool utf8 = IsUtf8(codePage);
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL lossy = FALSE;
    BOOL* const reportLoss = utf8 ? nullptr : &lossy;
    const int size = static_cast<int>(text.size());
    const int length =
        ::WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, nullptr, reportLoss);
    if (length <= 0 || lossy)
        return std::nullopt;
    std::string narrow(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(codePage, flags, text.data(), size, narrow.data(), length, nullptr,
                          reportLoss);
    return narrow;
}

std::string NarrowForShow(const std::wstring& text, UINT codePage) {
    if (const std::optional<std::string> exact = Narrow(text, codePage))
        return *exact;
    std::string shown;
    for (const wchar_t c : text)
        shown += Narrow(std::wstring(1, c), codePage).value_or("?");
    return shown;
}

} // namespace CodePage
