#include "DeviceOutput.h"

#include "SystemHandle.h"

DeviceOutput::DeviceOutput(SystemHandle handle, std::string path)
    : m_handle(std::make_unique<SystemHandle>(std::move(handle))), m_path(std::move(path)) {}

DeviceOutput::DeviceOutput(DeviceOutput&& other) noexcept = default;

DeviceOutput::~DeviceOutput() = default;
