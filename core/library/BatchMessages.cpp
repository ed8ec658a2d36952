#include "BatchMessages.h"

namespace BatchMessages {

std::string BootLoaderUnusable(const std::string& reason) {
    return "boot-loader file not usable: " + reason;
}

std::string NoCurrentFolder(const std::string& reason) {
    return "the current folder is gone (" + reason + "); name the files by absolute paths";
}

std::string OutputIsAnInput(const std::string& output) {
    return "refusing to write " + output + ": it is an input or a boot-loader file of this run";
}

std::string OutputWrittenEarlier(const std::string& output) {
    return "refusing to write " + output + ": an earlier input of this run was written there";
}

std::string OutputIsTheChecksumFile(const std::string& output) {
    return "refusing to write " + output + ": it is the checksum file of this run";
}

std::string EmptyName() {
    return "an empty name names no file";
}

std::string NotEnoughMemory() {
    return "not enough memory";
}

std::string ChecksumMismatch() {
    return "computed checksum did NOT match";
}

std::string BootLoaderOfOtherVariant(const std::string& file, Variant signature) {
    return std::string("boot-loader area is ") + file + " but the signature says " +
           InfoOf(signature).name;
}

std::string BootLoaderUnknown() {
    return std::string("boot-loader area is neither ") + InfoOf(Variant::k1x).bootLoaderFile +
           " nor " + InfoOf(Variant::k2x).bootLoaderFile;
}

std::string ChecksumFileIsAFileOfTheRun(const std::string& path) {
    return "refusing to write " + path +
           ": it is an input, a boot-loader file or an output of this run";
}

std::string ChecksumFileIsNoListing(const std::string& path) {
    return "refusing to replace " + path + ": it is neither empty nor a sha256sum listing";
}

} // namespace BatchMessages
