#pragma once

#include "DeviceOutput.h"
#include "Sha256Sums.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The --checksum-file of a run: a sha256sum listing of the outputs written. Where it goes is
// settled before the first conversion, in a dry run too: "-", or the very file that standard
// output already is, is standard output; a device, FIFO or socket, or a link to one, is written
// to as it is; anything else gets the listing whole by a durable replace, and an existing file
// only where it is empty or reads as a listing already, so that a listing never takes the place
// of an image, a boot-loader file or anything else that is not one.
class ChecksumListing {
public:
    // Inputs and boot-loader files before the run, the outputs too after it.
    using FileOfTheRun = std::function<bool(const std::filesystem::path&)>;

    // Throws std::runtime_error (FileError among them) with the reason where it may not go.
    ChecksumListing(const std::string& name, FileOfTheRun isFileOfTheRun);

    // A line for an output, as sha256sum writes it.
    void Add(const std::string& output, const std::string& sha256);
    // Puts the listing in its place; standard output gets it through toStandardOutput, with the
    // reports. Throws std::runtime_error with the reason.
    void Write(const std::function<void(const std::string&)>& toStandardOutput);

    // Whether the file at path is empty or holds lines of 64 hex digits, two spaces (or a space
    // and a star) and a name, the first of them with a backslash before it where the name is
    // escaped. Throws FileError where it cannot be read.
    static bool ReadsAsListing(const std::string& path);

    // A line of a listing read back, by its number from 1; nothing where it is no listing line.
    struct Entry {
        std::size_t number;
        std::optional<Sha256Sums::Line> line;
    };
    // Every line of the listing at path; nothing where the file is no listing at all (not one
    // listing line, or a line longer than any listing has). Throws FileError where it cannot be
    // read.
    static std::optional<std::vector<Entry>> Read(const std::string& path);

private:
    std::string m_name;
    FileOfTheRun m_isFileOfTheRun;
    bool m_toStandardOutput;
    std::optional<DeviceOutput> m_device;
    std::string m_text;
};
