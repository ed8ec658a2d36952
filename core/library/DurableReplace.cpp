#include "DurableReplace.h"

#include "DurableReplaceSystem.h"
#include "FileError.h"
#include "Hex.h"
#include "PendingReplaceTemporary.h"
#include "Platform.h"

#include <algorithm>
#include <cctype>
#include <random>
#include <vector>

using namespace DurableReplaceSystem;

namespace {

// ".kdn" + 8 hex digits + ".tmp": short enough beside any name, unlikely to be a user's own.
constexpr char kPrefix[] = ".kdn";
constexpr char kSuffix[] = ".tmp";
constexpr std::size_t kDigits = 8;
constexpr std::size_t kPrefixLength = sizeof kPrefix - 1;
constexpr std::size_t kSuffixLength = sizeof kSuffix - 1;
// Beyond this many names taken in a row, the folder is full of temporaries.
constexpr int kNameAttempts = 100;
// Big enough that the system calls cost little, small enough to leave memory flat.
constexpr std::size_t kCopyChunk = 1u << 20;
// Read back in pieces, so that a check needs no second image-sized buffer.
constexpr std::size_t kVerifyChunk = 1u << 20;

std::string NewTemporaryName() {
    static std::mt19937 random{std::random_device{}()};
    static_assert(kDigits == 2 * sizeof(std::uint32_t));
    const std::uint32_t value = random();
    unsigned char bytes[sizeof value];
    for (std::size_t i = 0; i < sizeof value; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    return kPrefix + LowerHex(bytes, sizeof bytes) + kSuffix;
}

void WriteContent(const SystemHandle& file, const InMemory& content, const std::string& target) {
    WriteHead(file, content, target);
}

void WriteContent(const SystemHandle& file, const FromFile& content, const std::string& target) {
    if (!ShareHead(file, content))
        WriteHead(file, content.head, target);
    WriteTail(file, content, target);
    // The zeros after the tail; the new file is as long as what was written into it.
    if (content.length != content.head.size + content.sourceBytes)
        SetLength(file, content.length, target);
}

// What the target is meant to hold, n bytes from offset at on.
using Expected = std::function<void(std::uint64_t at, unsigned char* out, std::size_t n)>;

// Compares what readBack gives with what expected says, size bytes and nothing beyond.
void Compare(const std::string& target, std::size_t size, const Expected& expected,
             const ReadBack& readBack) {
    std::vector<unsigned char> chunk(kVerifyChunk), wanted(kVerifyChunk);
    for (std::size_t at = 0; at < size; at += kVerifyChunk) {
        const std::size_t want = std::min(kVerifyChunk, size - at);
        const std::size_t got = readBack(at, chunk.data(), want);
        expected(at, wanted.data(), want);
        const auto differ = std::mismatch(chunk.data(), chunk.data() + got, wanted.data());
        if (differ.first != chunk.data() + got)
            throw FileError::VerificationFailed(
                target, "verification failed: " + target +
                            " differs from the converted image at offset " +
                            OffsetHex(at + static_cast<std::size_t>(differ.first - chunk.data())) +
                            "; nothing was written");
        if (got != want)
            throw FileError::VerificationFailed(target, "verification failed: " + target +
                                                            " reads back " +
                                                            std::to_string(size - at - got) +
                                                            " bytes too few; nothing was written");
    }
    unsigned char extra;
    if (readBack(size, &extra, 1) != 0)
        throw FileError::VerificationFailed(target, "verification failed: " + target +
                                                        " reads back more bytes than written; "
                                                        "nothing was written");
}

void CompareWith(const std::string& target, const InMemory& content, const ReadBack& readBack) {
    Compare(
        target, content.size,
        [&](std::uint64_t at, unsigned char* out, std::size_t n) {
            std::copy_n(content.bytes + at, n, out);
        },
        readBack);
}

// What a target from a file holds at offset at, n bytes: the head, the source's bytes, zeros.
void ExpectedFromFile(const FromFile& content, File& source, std::uint64_t at, unsigned char* out,
                      std::size_t n) {
    const std::uint64_t headEnd = content.head.size;
    const std::uint64_t sourceEnd = headEnd + content.sourceBytes;
    for (std::uint64_t i = at; i < at + n;) {
        unsigned char* const to = out + (i - at);
        const std::uint64_t end = std::min(i < headEnd ? headEnd : sourceEnd, at + n);
        if (i < headEnd) {
            std::copy(content.head.bytes + i, content.head.bytes + end, to);
        } else if (i < sourceEnd) {
            const std::size_t piece = static_cast<std::size_t>(end - i);
            if (source.ReadAt(content.sourceAt + (i - headEnd), to, piece) != piece)
                throw FileError::ChangedSinceRead(source.Path());
        } else {
            std::fill(to, out + n, 0x00);
            break;
        }
        i = end;
    }
}

void CompareWith(const std::string& target, const FromFile& content, const ReadBack& readBack) {
    File source = File::OpenForReading(content.source);
    Compare(
        target, content.length,
        [&](std::uint64_t at, unsigned char* out, std::size_t n) {
            ExpectedFromFile(content, source, at, out, n);
        },
        readBack);
}

} // namespace

void DurableReplace::Check(const std::string& target) {
    const std::string at = CheckTarget(target, Folder::New);
    // Whether the folder really takes a new file, asked the way a write asks: nothing else tells
    // a folder that its permissions, a read-only medium, a share or the system (/proc) close to
    // new files. The probe is dropped at once, and with it the temporary.
    CreateTemporary(Platform::FolderOf(at), target, Probe{});
}

void DurableReplace::Write(const std::string& target, const unsigned char* bytes, std::size_t size,
                           const Options& options) {
    Begin(target, InMemory{bytes, size}, options).Finish();
}

PendingReplace DurableReplace::Begin(const std::string& target, const Content& content,
                                     const Options& options) {
    const std::string at = CheckTarget(target, options.folder);
    const std::string folder = Platform::FolderOf(at);
    if (options.folder == Folder::New)
        RemoveStaleTemporaries(folder);
    std::unique_ptr<Temporary> temporary =
        CreateTemporary(folder, target, ForTarget{at, options.permissionsFrom});
    const SystemHandle& file = temporary->Handle();
    try {
        std::visit([&](const auto& bytes) { WriteContent(file, bytes, target); }, content);
        if (options.verify) {
            FlushForReadBack(file, target);
            CompareReadBack(target, content,
                            [&](std::uint64_t offset, unsigned char* buffer, std::size_t n) {
                                return ReadAt(file, offset, buffer, n, target);
                            });
        }
    } catch (const FileError& error) {
        temporary->Abandon(error);
    }
    StartWriteOut(file);
    return PendingReplace(std::move(temporary));
}

bool DurableReplace::IsTemporaryName(const std::string& name) {
    if (name.size() != TemporaryNameLength() || name.compare(0, kPrefixLength, kPrefix) != 0 ||
        name.compare(kPrefixLength + kDigits, kSuffixLength, kSuffix) != 0)
        return false;
    const auto digits = name.begin() + kPrefixLength;
    return std::all_of(digits, digits + kDigits, [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) || (c >= 'a' && c <= 'f');
    });
}

namespace DurableReplaceSystem {

std::size_t TemporaryNameLength() {
    return kPrefixLength + kDigits + kSuffixLength;
}

std::string TemporaryGlob() {
    return std::string(kPrefix) + "*" + kSuffix;
}

std::string TakeTemporaryName(const std::string& folder, const std::string& target,
                              const std::function<bool(const std::string&)>& take) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string path = folder + NewTemporaryName();
        if (take(path))
            return path;
    }
    throw FileError::System(FileError::Action::Create, target, kNameTaken);
}

void CopyTailThroughMemory(File& source, const FromFile& content, std::size_t skip,
                           const Put& put) {
    // Only where needed: a shared or kernel-copied tail leaves nothing to copy here.
    std::vector<unsigned char> chunk(skip < content.sourceBytes ? kCopyChunk : 0);
    for (std::size_t done = skip; done < content.sourceBytes;) {
        const std::size_t want = std::min(chunk.size(), content.sourceBytes - done);
        const std::size_t got = source.ReadAt(content.sourceAt + done, chunk.data(), want);
        if (got != want)
            throw FileError::ChangedSinceRead(source.Path());
        put(chunk.data(), got);
        done += got;
    }
    // A write since the source was read, during the copy too, shows in its version.
    if (!(source.CurrentVersion() == content.version))
        throw FileError::ChangedSinceRead(source.Path());
}

void CompareReadBack(const std::string& target, const DurableReplace::Content& content,
                     const ReadBack& readBack) {
    std::visit([&](const auto& bytes) { CompareWith(target, bytes, readBack); }, content);
}

} // namespace DurableReplaceSystem
