#include "ChecksumListing.h"

#include "BatchMessages.h"
#include "DurableReplace.h"
#include "File.h"
#include "Paths.h"
#include "Platform.h"
#include "Sha256Sums.h"

#include <algorithm>
#include <vector>

namespace {

constexpr char kStandardOutput[] = "-";
// Longer than any line of a listing: a file past it is something else, read no further.
constexpr std::size_t kLongestLine = 1u << 16;

// Hands each line of the file at path to take, without its line feed; false where a line is too
// long for a listing, after which nothing more is read. Throws FileError.
template <typename Take> bool ForEachLine(const std::string& path, Take take) {
    File file = File::OpenForReading(path);
    std::vector<unsigned char> chunk(kLongestLine);
    std::string line;
    for (std::uint64_t at = 0;; at += chunk.size()) {
        const std::size_t got = file.ReadAt(at, chunk.data(), chunk.size());
        for (std::size_t i = 0; i < got; ++i) {
            if (chunk[i] != '\n') {
                line += static_cast<char>(chunk[i]);
                if (line.size() > kLongestLine)
                    return false;
            } else if (!take(line)) {
                return true;
            } else {
                line.clear();
            }
        }
        if (got < chunk.size())
            return line.empty() || take(line);
    }
}

// The file that standard output already goes to (/dev/stdout, or the name it was redirected to):
// written through it, never replaced under it.
bool IsStandardOutput(const std::string& name) {
    const std::optional<Platform::FileIdentity> out = Platform::StandardOutputIdentity();
    return out && Platform::IdentityOf(name) == out;
}

} // namespace

ChecksumListing::ChecksumListing(const std::string& name, FileOfTheRun isFileOfTheRun)
    : m_name(name), m_isFileOfTheRun(std::move(isFileOfTheRun)),
      m_toStandardOutput(name == kStandardOutput),
      m_device(m_toStandardOutput ? std::nullopt : DeviceOutput::OpenIfDevice(name)) {
    if (m_toStandardOutput || m_device)
        return;
    m_toStandardOutput = IsStandardOutput(name);
    if (m_toStandardOutput)
        return;
    DurableReplace::Check(name);
    if (m_isFileOfTheRun(Paths::Full(name)))
        throw std::runtime_error(BatchMessages::ChecksumFileIsAFileOfTheRun(name));
    if (Platform::IdentityOf(name) && !ReadsAsListing(name))
        throw std::runtime_error(BatchMessages::ChecksumFileIsNoListing(name));
}

void ChecksumListing::Add(const std::string& output, const std::string& sha256) {
    m_text += Sha256Sums::Format(output, sha256);
}

void ChecksumListing::Write(const std::function<void(const std::string&)>& toStandardOutput) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(m_text.data());
    if (m_toStandardOutput) {
        toStandardOutput(m_text);
    } else if (m_device) {
        m_device->Write(bytes, m_text.size());
    } else {
        // The outputs have their names now: none of them may have become the listing's file.
        if (m_isFileOfTheRun(Paths::Full(m_name)))
            throw std::runtime_error(BatchMessages::ChecksumFileIsAFileOfTheRun(m_name));
        DurableReplace::Write(m_name, bytes, m_text.size(), {});
    }
}

bool ChecksumListing::ReadsAsListing(const std::string& path) {
    bool listing = true;
    const bool fits = ForEachLine(path, [&](const std::string& line) {
        return listing = Sha256Sums::Parse(line).has_value();
    });
    return fits && listing;
}

std::optional<std::vector<ChecksumListing::Entry>> ChecksumListing::Read(const std::string& path) {
    std::vector<Entry> entries;
    const bool fits = ForEachLine(path, [&](const std::string& line) {
        entries.push_back({entries.size() + 1, Sha256Sums::Parse(line)});
        return true;
    });
    const bool anyLine = std::any_of(entries.begin(), entries.end(),
                                     [](const Entry& entry) { return entry.line.has_value(); });
    if (!fits || !anyLine)
        return std::nullopt;
    return entries;
}
