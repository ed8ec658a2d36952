#include "Messages.h"

#include <cstdio>

namespace Messages {

std::string BootLoaderUnusable(const std::string& reason) {
    return "boot-loader file not usable: " + reason;
}

std::string OutputIsAnInput(const std::string& output) {
    return "refusing to write " + output + ": it is an input or a boot-loader file of this run";
}

std::string OutputWrittenEarlier(const std::string& output) {
    return "refusing to write " + output + ": an earlier input of this run was written there";
}

std::string EmptyName() {
    return "an empty name names no file";
}

std::string NoCurrentFolder(const std::string& reason) {
    return "the current folder is gone (" + reason + "); name the files by absolute paths";
}

std::string Failure(const std::string& input, const std::string& reason) {
    return std::string(kProgramName) + ": " + (input.empty() ? "\"\"" : input) + ": " + reason;
}

std::string ReportNotWritten(const std::string& reason) {
    return std::string(kProgramName) + ": cannot write the report: " + reason;
}

std::string OneLine(const std::string& text) {
    std::string line;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte != 0x7F) {
            line += c;
            continue;
        }
        switch (c) {
        case '\n':
            line += "\\n";
            break;
        case '\r':
            line += "\\r";
            break;
        case '\t':
            line += "\\t";
            break;
        default:
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            line += escape;
        }
    }
    return line;
}

std::string KindName(bool full) {
    return full ? "full" : "bare";
}

std::string AlreadyIn(const std::string& variant) {
    return "already " + variant;
}

std::string BootLoaderMatch(const std::string* file) {
    return "boot loader: " + (file ? *file : std::string("unknown"));
}

std::string ChecksumSuffix(const std::string& sha256) {
    return ", sha256 " + sha256;
}

std::string Warning(const std::string& input, const std::string& text) {
    return std::string(kProgramName) + ": " + input + ": warning: " + text;
}

std::string SignatureDisagrees(const std::string& signature, const std::string& bootLoaderFile) {
    return "the signature says " + signature + " but the boot-loader area equals " + bootLoaderFile;
}

std::string ChecksumFileNotWritten(const std::string& reason) {
    return std::string(kProgramName) + ": cannot write the checksum file: " + reason;
}

std::string OutputIsTheChecksumFile(const std::string& output) {
    return "refusing to write " + output + ": it is the checksum file of this run";
}

std::string ChecksumFileIsAFileOfTheRun(const std::string& path) {
    return "refusing to write " + path +
           ": it is an input, a boot-loader file or an output of this run";
}

std::string FolderMissing(const std::string& name) {
    return "Directory does not exist: " + name;
}

std::string FolderIsAFile(const std::string& name) {
    return "Directory is actually a file: " + name;
}

std::string NoFileMatches() {
    return "no file matches";
}

std::string NameBeyondCodePage(unsigned codePage) {
    return "the name has characters that this Windows' code page (" + std::to_string(codePage) +
           ") cannot hold; Windows 10 version 1903 or later takes every name";
}

} // namespace Messages
