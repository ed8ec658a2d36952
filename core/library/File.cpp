#include "File.h"

#include "SystemHandle.h"

File::File(SystemHandle handle, std::string path)
    : m_handle(std::make_unique<SystemHandle>(std::move(handle))), m_path(std::move(path)) {}

File::File(File&& other) noexcept = default;

File::~File() = default;

const SystemHandle& File::Handle() const {
    return *m_handle;
}
