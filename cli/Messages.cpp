#include "Messages.h"

#include "Utf8.h"

#include <cstdio>

namespace Messages {

std::string UsageError(const std::string& reason) {
    return OneLine(std::string(kProgramName) + ": " + reason) + "\nRun \"" + kProgramName +
           " --help\" for more information.";
}

std::string UnknownCommand(const std::string& word) {
    return "unknown command \"" + word + "\"; the commands are info, convert and check";
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
        const std::optional<Utf8::Character> c = Utf8::CharacterAt(text, i);
        // The C1 characters are left whole for WithC1Escaped; here only the raw bytes of that
        // range, which are no part of a UTF-8 character, are escaped.
        if (c && c->length > 1) {
            line.append(text, i, c->length);
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
        i += c ? c->length : 1;
    }
    return WithC1Escaped(line);
}

std::string WithC1Escaped(const std::string& text) {
    // 0xC2 is never a continuation byte: followed by 0x80 to 0x9F it is one of them, wherever it
    // stands, and nothing else.
    std::string escaped;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (static_cast<unsigned char>(text[i]) == 0xC2 && next >= 0x80 && next <= 0x9F) {
            escaped += Escaped("\\u%04X", next);
            ++i;
        } else {
            escaped += text[i];
        }
    }
    return escaped;
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

std::string ImproperLine(const std::string& listing, std::size_t number) {
    return std::string(kProgramName) + ": " + listing + ": " + std::to_string(number) +
           ": improperly formatted SHA256 checksum line";
}

std::string NoListing(const std::string& name) {
    return name + " is neither a sha256sum listing nor an image";
}

namespace {

// "keldarin-cli: WARNING: ", then the count and what it counts, one or many.
std::string CountWarning(std::size_t count, const char* one, const char* many) {
    return std::string(kProgramName) + ": WARNING: " + std::to_string(count) + " " +
           (count == 1 ? one : many);
}

} // namespace

std::string ChecksumsDidNotMatch(std::size_t count) {
    return CountWarning(count, "computed checksum did NOT match",
                        "computed checksums did NOT match");
}

std::string FilesNotRead(std::size_t count) {
    return CountWarning(count, "listed file could not be read", "listed files could not be read");
}

std::string LinesImproper(std::size_t count) {
    return CountWarning(count, "line is improperly formatted", "lines are improperly formatted");
}

std::string BootLoaderAreasWrong(std::size_t count) {
    return CountWarning(count, "boot-loader area is not its variant's boot-loader file",
                        "boot-loader areas are not their variant's boot-loader files");
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
