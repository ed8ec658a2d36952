#pragma once

#include "VariantTable.h"

#include <string>

// The words of a batch's own failures, beside the file layer's (FileError). Each is a reason
// that follows the input's name, so it names the file it is about when that is not the input.
namespace BatchMessages {

// reason names the file and what went wrong with it.
std::string BootLoaderUnusable(const std::string& reason);
std::string NoCurrentFolder(const std::string& reason);
std::string OutputIsAnInput(const std::string& output);
std::string OutputWrittenEarlier(const std::string& output);
std::string OutputIsTheChecksumFile(const std::string& output);
std::string EmptyName();
std::string NotEnoughMemory();
// A check: the file's hash is not its listing's.
std::string ChecksumMismatch();
// A check: an image whose boot-loader area is the boot-loader file of the other variant, or of
// none.
std::string BootLoaderOfOtherVariant(const std::string& file, Variant signature);
std::string BootLoaderUnknown();
std::string ChecksumFileIsAFileOfTheRun(const std::string& path);
std::string ChecksumFileIsNoListing(const std::string& path);

} // namespace BatchMessages
