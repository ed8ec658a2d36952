#include "ExeResources.h"

#include <stdexcept>

ExeResources::ExeResources(const std::string& program)
    : m_module(LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
    if (!m_module)
        throw std::runtime_error("cannot read the resources of " + program + " (error " +
                                 std::to_string(GetLastError()) + ")");
}

ExeResources::~ExeResources() {
    FreeLibrary(m_module);
}

std::vector<unsigned char> ExeResources::Bytes(LPCSTR type, int id) const {
    HRSRC found = FindResourceA(m_module, MAKEINTRESOURCEA(id), type);
    if (!found)
        throw std::runtime_error("no resource " + std::to_string(id));
    const auto* data =
        static_cast<const unsigned char*>(LockResource(LoadResource(m_module, found)));
    return std::vector<unsigned char>(data, data + SizeofResource(m_module, found));
}

std::string ExeResources::String(int id) const {
    // Read as UTF-16 and converted here, so that the bytes do not depend on the process's ANSI
    // code page.
    LPCWSTR text = nullptr;
    const int length = LoadStringW(m_module, id, reinterpret_cast<LPWSTR>(&text), 0);
    if (length <= 0)
        return {};
    std::string bytes(static_cast<std::size_t>(length) * 2, '\0');
    BOOL lossy = FALSE;
    const int written = WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, text, length, bytes.data(),
                                            static_cast<int>(bytes.size()), nullptr, &lossy);
    bytes.resize(static_cast<std::size_t>(written));
    return lossy ? "<not Windows-1252>" : bytes;
}

HICON ExeResources::Icon(int id, int size) const {
    const UINT flags = size ? 0 : LR_DEFAULTSIZE;
    return static_cast<HICON>(
        LoadImageA(m_module, MAKEINTRESOURCEA(id), IMAGE_ICON, size, size, flags));
}
