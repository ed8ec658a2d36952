#pragma once

#include <cstdint>
#include <string>

// Every text of the command-line tool apart from its help: what it reports about each input.
// A failure's reason follows the input's name on stderr, so each text names the file it is
// about when that is not the input itself.
namespace Messages {

constexpr char kProgramName[] = "keldarin-cli";

std::string CannotOpen(const std::string& path, const std::string& reason);
std::string CannotCreate(const std::string& path, const std::string& reason);
// verb: "read", "write" or "close".
std::string FileOperationFailed(const char* verb, const std::string& path,
                                const std::string& reason);
std::string WrongImageLength(std::uint64_t length);
std::string ImageChangedWhileReading(std::uint64_t expected, std::uint64_t got);
// reason names the file and what went wrong with it.
std::string BootLoaderUnusable(const std::string& reason);
std::string BootLoaderWrongLength(const std::string& path, std::uint64_t length);
std::string OutputIsAnInput(const std::string& output);
std::string OutputWrittenEarlier(const std::string& output);
std::string OutputDiffers(const std::string& output, std::uint64_t offset);
std::string OutputWrongLength(const std::string& output, std::uint64_t length);

// One line on stderr: "keldarin-cli: INPUT: REASON".
std::string Failure(const std::string& input, const std::string& reason);

std::string KindName(bool full);
std::string VariantName(int variant);

} // namespace Messages
