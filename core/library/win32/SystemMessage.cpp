#include "SystemMessage.h"

std::optional<std::string> SystemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::optional<std::string> message;
    if (length > 0)
        message.emplace(text, length);
    ::LocalFree(text);
    return message;
}
