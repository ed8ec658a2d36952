#include "Messages.h"

#include "ImageLayout.h"

#include <cstdio>

namespace Messages {

namespace {
std::string Hex(std::uint64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
    return text;
}
} // namespace

std::string CannotOpen(const std::string& path, const std::string& reason) {
    return "cannot open " + path + ": " + reason;
}

std::string CannotCreate(const std::string& path, const std::string& reason) {
    return "cannot create " + path + ": " + reason;
}

std::string FileOperationFailed(const char* verb, const std::string& path,
                                const std::string& reason) {
    return std::string("cannot ") + verb + " " + path + ": " + reason;
}

std::string WrongImageLength(std::uint64_t length) {
    return "wrong length: " + std::to_string(length) + " bytes; accepted are " +
           std::to_string(ImageLayout::kImagePartLength) + " (bare image) and " +
           std::to_string(ImageLayout::kFullImageLength) + " (full image)";
}

std::string ImageChangedWhileReading(std::uint64_t expected, std::uint64_t got) {
    return "changed while being read: expected " + std::to_string(expected) +
           " bytes of the image part, got " + std::to_string(got);
}

std::string BootLoaderUnusable(const std::string& reason) {
    return "boot-loader file not usable: " + reason;
}

std::string BootLoaderWrongLength(const std::string& path, std::uint64_t length) {
    return "boot-loader file " + path + " has the wrong length: " + std::to_string(length) +
           " bytes instead of " + std::to_string(ImageLayout::kBootLoaderLength);
}

std::string OutputIsAnInput(const std::string& output) {
    return "refusing to write " + output + ": it is an input or a boot-loader file of this run";
}

std::string OutputWrittenEarlier(const std::string& output) {
    return "refusing to write " + output + ": an earlier input of this run was written there";
}

std::string OutputDiffers(const std::string& output, std::uint64_t offset) {
    return "verification failed: " + output + " differs from the converted image at offset " +
           Hex(offset) + "; nothing was written";
}

std::string OutputWrongLength(const std::string& output, std::uint64_t length) {
    return "verification failed: " + output + " reads back " + std::to_string(length) +
           " bytes instead of " + std::to_string(ImageLayout::kImagePartLength) +
           "; nothing was written";
}

std::string Failure(const std::string& input, const std::string& reason) {
    return std::string(kProgramName) + ": " + input + ": " + reason;
}

std::string KindName(bool full) {
    return full ? "full" : "bare";
}

std::string VariantName(int variant) {
    return variant == 0 ? "1x" : "2x";
}

} // namespace Messages
