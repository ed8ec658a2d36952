#include "FileError.h"

#include "ImageLayout.h"
#include "Platform.h"

namespace {

const char* Verb(FileError::Action action) {
    switch (action) {
    case FileError::Action::Open:
        return "open";
    case FileError::Action::Read:
        return "read";
    case FileError::Action::Create:
        return "create";
    case FileError::Action::Write:
        return "write";
    case FileError::Action::Replace:
        return "replace";
    }
    return "use";
}

std::string Message(FileError::Action action, const std::string& path, const std::string& reason) {
    return std::string("cannot ") + Verb(action) + " " + path + ": " + reason;
}

} // namespace

FileError::FileError(Action action, std::string path, Cause cause, int code,
                     const std::string& message)
    : std::runtime_error(message), m_action(action), m_path(std::move(path)), m_cause(cause),
      m_code(code) {}

FileError FileError::System(Action action, const std::string& path, int code) {
    const std::string reason = Platform::SystemReason(code);
    return FileError(action, path, Cause::System, code, Message(action, path, reason));
}

FileError FileError::NotARegularFile(Action action, const std::string& path, const char* what) {
    const std::string reason = std::string("not a regular file but ") + what;
    return FileError(action, path, Cause::NotARegularFile, 0, Message(action, path, reason));
}

FileError FileError::WrongLength(const std::string& path, std::uint64_t length) {
    const std::string reason = "wrong length: " + std::to_string(length) + " bytes; accepted are " +
                               std::to_string(ImageLayout::kImagePartLength) +
                               " (bare image) and " +
                               std::to_string(ImageLayout::kFullImageLength) + " (full image)";
    return FileError(Action::Read, path, Cause::WrongLength, 0, reason);
}

FileError FileError::ChangedWhileRead(const std::string& path, std::uint64_t expected,
                                      std::uint64_t got) {
    const std::string reason = "changed while being read: expected " + std::to_string(expected) +
                               " bytes, found " + std::to_string(got);
    return FileError(Action::Read, path, Cause::ChangedWhileRead, 0,
                     Message(Action::Read, path, reason));
}

FileError FileError::ChangedSinceRead(const std::string& path) {
    const std::string reason = "changed while being converted";
    return FileError(Action::Read, path, Cause::ChangedWhileRead, 0,
                     Message(Action::Read, path, reason));
}

FileError FileError::ChangedSinceChosen(const std::string& path) {
    const std::string reason = "changed since it was chosen";
    return FileError(Action::Read, path, Cause::ChangedWhileRead, 0,
                     Message(Action::Read, path, reason));
}

FileError FileError::VerificationFailed(const std::string& path, const std::string& reason) {
    return FileError(Action::Write, path, Cause::VerificationFailed, 0, reason);
}

FileError FileError::BootLoaderWrongLength(const std::string& path, std::uint64_t length) {
    const std::string reason =
        "boot-loader file " + path + " has the wrong length: " + std::to_string(length) +
        " bytes instead of " + std::to_string(ImageLayout::kBootLoaderLength);
    return FileError(Action::Read, path, Cause::WrongLength, 0, reason);
}

FileError FileError::BootLoaderWrongVariant(const std::string& path, Variant variant) {
    // The signature is the 1x variant's: a file has it or lacks it.
    const char* has = variant == Variant::k1x ? "lacks" : "carries";
    const std::string reason = "boot-loader file " + path + " " + has + " the " +
                               InfoOf(Variant::k1x).name + " signature: it is not a " +
                               InfoOf(variant).name + " boot loader";
    return FileError(Action::Read, path, Cause::WrongVariant, 0, reason);
}

FileError FileError::FolderNotFlushed(const std::string& target, int code) {
    const std::string reason = "its folder could not be flushed to the storage, so its name may "
                               "not survive a power loss: " +
                               Platform::SystemReason(code);
    return FileError(Action::Replace, target, Cause::System, code,
                     Message(Action::Replace, target, reason));
}

FileError FileError::FolderMissing(const std::string& target, const std::string& folder, int code) {
    const std::string reason = "its folder " + folder + " does not exist";
    return FileError(Action::Create, target, Cause::System, code,
                     Message(Action::Create, target, reason));
}

FileError FileError::WithLeftover(const FileError& error, const std::string& temporary) {
    const std::string left = "; left " + temporary + ": remove it by hand";
    return FileError(error.m_action, error.m_path, error.m_cause, error.m_code,
                     error.what() + left);
}

bool FileError::IsOutOfHandles() const {
    return m_cause == Cause::System && Platform::IsOutOfHandles(m_code);
}
