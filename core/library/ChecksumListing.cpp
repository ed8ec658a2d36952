#include "ChecksumListing.h"

#include "BatchMessages.h"
#include "DurableReplace.h"
#include "File.h"
#include "Paths.h"
#include "Platform.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

constexpr char kStandardOutput[] = "-";
constexpr std::size_t kHashDigits = 64;
// Longer than any line of a listing: a file past it is something else, read no further.
constexpr std::size_t kLongestLine = 1u << 16;

bool IsListingLine(const std::string& line) {
    const std::size_t hash = !line.empty() && line[0] == '\\' ? 1 : 0;
    const std::size_t mark = hash + kHashDigits;
    if (line.size() < mark + 3)
        return false;
    const auto digits = line.begin() + static_cast<std::ptrdiff_t>(hash);
    return std::all_of(digits, digits + kHashDigits,
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }) &&
           line[mark] == ' ' && (line[mark + 1] == ' ' || line[mark + 1] == '*');
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
    // A backslash, line feed or carriage return in the name is escaped and the line marked with
    // a leading backslash, so that sha256sum -c reads back the same name.
    std::string name;
    for (const char c : output)
        name += c == '\\' ? "\\\\" : c == '\n' ? "\\n" : c == '\r' ? "\\r" : std::string(1, c);
    const bool escaped = name.size() != output.size();
    m_text += (escaped ? "\\" : "") + sha256 + "  " + name + "\n";
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
            } else if (!IsListingLine(line)) {
                return false;
            } else {
                line.clear();
            }
        }
        if (got < chunk.size())
            return line.empty() || IsListingLine(line);
    }
}
