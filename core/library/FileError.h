#pragma once

#include "VariantTable.h"

#include <cstdint>
#include <stdexcept>
#include <string>

// A file operation that failed: which file, what was being done, and why. Thrown only where
// the system is asked. what() is the library's English wording, "cannot <action> <path>:
// <reason>"; the action, path and cause let a program word it in its own way.
class FileError : public std::runtime_error {
public:
    enum class Action { Open, Read, Create, Write, Replace };
    enum class Cause {
        System,            // the system refused; SystemCode() says why
        NotARegularFile,   // a folder, FIFO, device or socket where a file's bytes were wanted
        WrongLength,       // a length that no image, or no boot-loader file, has
        WrongVariant,      // a boot-loader file whose signature is the other variant's
        ChangedWhileRead,  // another length than when it was chosen, or written to meanwhile
        VerificationFailed // what was read back is not what was written
    };

    // code: errno on POSIX, a Win32 error code on Windows.
    static FileError System(Action action, const std::string& path, int code);
    static FileError NotARegularFile(Action action, const std::string& path, const char* what);
    // what() is the reason alone, which names both accepted lengths.
    static FileError WrongLength(const std::string& path, std::uint64_t length);
    static FileError ChangedWhileRead(const std::string& path, std::uint64_t expected,
                                      std::uint64_t got);
    // The file was written to after it was read, while its bytes were still being taken.
    static FileError ChangedSinceRead(const std::string& path);
    // The file is another one, or has been written to, since it was chosen for conversion.
    static FileError ChangedSinceChosen(const std::string& path);
    // reason says where the bytes read back differ; what() is the reason alone.
    static FileError VerificationFailed(const std::string& path, const std::string& reason);
    // A boot-loader file that is not exactly one boot-loader area long; what() names the file,
    // both lengths, and is the reason alone.
    static FileError BootLoaderWrongLength(const std::string& path, std::uint64_t length);
    // A boot-loader file named after variant whose outputs would carry the other variant's
    // signature; what() names the file, both variants, and is the reason alone.
    static FileError BootLoaderWrongVariant(const std::string& path, Variant variant);
    // target has its name, but the folder holding that name could not be flushed to the
    // storage: the name may not survive a power loss.
    static FileError FolderNotFlushed(const std::string& target, int code);
    // target cannot be created because its folder does not exist; code is the system's own.
    static FileError FolderMissing(const std::string& target, const std::string& folder, int code);
    // error, after which a temporary stayed behind that the file system would not let go.
    static FileError WithLeftover(const FileError& error, const std::string& temporary);

    Action GetAction() const { return m_action; }
    Cause GetCause() const { return m_cause; }
    const std::string& Path() const { return m_path; }
    int SystemCode() const { return m_code; }
    // Whether the system said the process, or the system, has no room for another open file.
    bool IsOutOfHandles() const;

private:
    FileError(Action action, std::string path, Cause cause, int code, const std::string& message);

    Action m_action;
    std::string m_path;
    Cause m_cause;
    int m_code;
};
