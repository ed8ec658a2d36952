#include "Messages.h"

#include <cstdio>

namespace Messages {

std::string UsageError(const std::string& reason) {
    return OneLine(std::string(kProgramName) + ": " + reason) + "\nRun \"" + kProgramName +
           " --help\" for more information.";
}

std::string UnknownCommand(const std::string& word) {
    return "unknown command \"" + word + "\"; the commands are info and convert";
}

std::string EmptyChecksumFileName() {
    return "--checksum-file: an empty name names no file";
}

std::string DashImageHint(const std::string& word, const std::string& command) {
    return word + " is taken for an option: to name an image that starts with \"-\", put \"--\" " +
           "before it, as in " + kProgramName + " " + command + " -- " + word;
}

std::string Failure(const std::string& input, const std::string& reason) {
    return std::string(kProgramName) + ": " + (input.empty() ? "\"\"" : input) + ": " + reason;
}

std::string ReportNotWritten(const std::string& reason) {
    return std::string(kProgramName) + ": cannot write the report: " + reason;
}

namespace {

// The length of the well-formed UTF-8 sequence of more than one byte that starts at text[at],
// or 0 where none does.
std::size_t Utf8SequenceAt(const std::string& text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong form
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogate
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;  // no overlong form
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing past U+10FFFF
    }
    if (length == 0 || at + length > text.size() || byte(1) < low || byte(1) > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (byte(i) < 0x80 || byte(i) > 0xBF)
            return 0;
    return length;
}

std::string Escaped(const char* format, unsigned value) {
    char escape[8];
    std::snprintf(escape, sizeof escape, format, value);
    return escape;
}

} // namespace

std::string OneLine(const std::string& text) {
    std::string line;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t sequence = byte >= 0x80 ? Utf8SequenceAt(text, i) : 0;
        // C1 controls, which 8-bit terminals obey as C0 ones: U+0080 to U+009F, and raw bytes
        // of that range that are no part of a UTF-8 character.
        if (sequence == 2 && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
            line += Escaped("\\u%04X", static_cast<unsigned char>(text[i + 1]));
        } else if (sequence > 0) {
            line.append(text, i, sequence);
        } else if (byte == '\n') {
            line += "\\n";
        } else if (byte == '\r') {
            line += "\\r";
        } else if (byte == '\t') {
            line += "\\t";
        } else if (byte < 0x20 || byte == 0x7F || (byte >= 0x80 && byte <= 0x9F)) {
            line += Escaped("\\x%02X", byte);
        } else {
            line += text[i];
        }
        i += sequence > 0 ? sequence : 1;
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

std::string BootLoaderNotCompared(const std::string& reason) {
    return "compared with no image: " + reason;
}

std::string ChecksumFileNotWritten(const std::string& reason) {
    return std::string(kProgramName) + ": cannot write the checksum file: " + reason;
}

std::string FolderMissing(const std::string& name) {
    return "Directory does not exist: " + name;
}

std::string FolderIsAFile(const std::string& name) {
    return "Directory is actually a file: " + name;
}

std::string FolderUnusable(const std::string& name, const std::string& reason) {
    return reason + ": " + name;
}

std::string NoFileMatches() {
    return "no file matches";
}

std::string NameBeyondCodePage(unsigned codePage) {
    return "the name has characters that this Windows' code page (" + std::to_string(codePage) +
           ") cannot hold; Windows 10 version 1903 or later takes every name";
}

std::string QuoteInArgument() {
    return "a quote is part of this argument: cmd.exe keeps a quote that follows a backslash, so "
           "\"C:\\Bilder\\\" takes the next words with it; write \"C:\\Bilder\" without the last "
           "backslash";
}

std::string PressAKeyToClose() {
    return "Press any key to close this window.";
}

} // namespace Messages
