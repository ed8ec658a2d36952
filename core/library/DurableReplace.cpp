#include "DurableReplace.h"

#include "FileError.h"
#include "Hex.h"
#include "Platform.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <random>
#include <vector>

namespace {

// ".kdn" + 8 hex digits + ".tmp": short enough beside any name, unlikely to be a user's own.
constexpr char kPrefix[] = ".kdn";
constexpr char kSuffix[] = ".tmp";
constexpr std::size_t kDigits = 8;
// Big enough that the system calls cost little, small enough to leave memory flat.
constexpr std::size_t kCopyChunk = 1u << 20;
// Read back in pieces, so that a check needs no second image-sized buffer.
constexpr std::size_t kVerifyChunk = 1u << 20;
constexpr std::size_t kPrefixLength = sizeof kPrefix - 1;
constexpr std::size_t kSuffixLength = sizeof kSuffix - 1;

// What the target is meant to hold at offset at, n bytes; source is the tail's, if any.
void ExpectedChunk(const unsigned char* bytes, const DurableReplace::Options::Tail* tail,
                   File* source, std::uint64_t at, unsigned char* out, std::size_t n) {
    const std::uint64_t inMemory = tail ? tail->from : at + n;
    const std::uint64_t tailEnd = tail ? tail->from + tail->length : at + n;
    for (std::uint64_t i = at; i < at + n;) {
        const std::size_t offset = static_cast<std::size_t>(i - at);
        if (i < inMemory) {
            const std::size_t piece = static_cast<std::size_t>(std::min(inMemory, at + n) - i);
            std::copy_n(bytes + i, piece, out + offset);
            i += piece;
        } else if (i < tailEnd) {
            const std::size_t piece = static_cast<std::size_t>(std::min(tailEnd, at + n) - i);
            const std::size_t got =
                source->ReadAt(tail->sourceAt + (i - tail->from), out + offset, piece);
            if (got != piece)
                throw FileError::ChangedSinceRead(source->Path());
            i += piece;
        } else {
            std::fill(out + offset, out + n, 0x00);
            i = at + n;
        }
    }
}

// Compares what was read back at offset at with the bytes meant to be there, of size in all.
void VerifyChunk(const std::string& target, const unsigned char* expected,
                 const unsigned char* readBack, std::size_t want, std::size_t got, std::size_t at,
                 std::size_t size) {
    const auto differ = std::mismatch(readBack, readBack + got, expected);
    if (differ.first != readBack + got)
        throw FileError::VerificationFailed(
            target, "verification failed: " + target +
                        " differs from the converted image at offset " +
                        OffsetHex(at + static_cast<std::size_t>(differ.first - readBack)) +
                        "; nothing was written");
    if (got != want)
        throw FileError::VerificationFailed(
            target, "verification failed: " + target + " reads back " +
                        std::to_string(size - at - got) + " bytes too few; nothing was written");
}

} // namespace

void DurableReplace::Check(const std::string& target) {
    const std::string at = CheckTarget(target);
    // Whether the folder really takes a new file, asked the way a write asks: nothing else tells
    // a folder that its permissions, a read-only medium, a share or the system (/proc) close to
    // new files. The probe is dropped at once, and with it the temporary.
    CreateTemporary(Platform::FolderOf(at), at, target, nullptr);
}

void DurableReplace::Write(const std::string& target, const unsigned char* bytes, std::size_t size,
                           const Options& options) {
    Begin(target, bytes, size, options).Finish();
}

PendingReplace DurableReplace::Begin(const std::string& target, const unsigned char* bytes,
                                     std::size_t size, const Options& options) {
    const std::string at = CheckTarget(target);
    const std::string folder = Platform::FolderOf(at);
    if (options.sweepFolder)
        RemoveStaleTemporaries(folder);
    // From here on the pending replace removes the temporary should anything fail.
    PendingReplace pending = CreateTemporary(folder, at, target, &options);
    const Handle handle = pending.m_handle;
    const Options::Tail* tail = options.tail ? &*options.tail : nullptr;
    try {
        WriteHead(handle, bytes, tail ? tail->from : size, target);
        if (tail) {
            WriteTail(handle, *tail, target);
            SetLength(handle, size, target); // the zeros after the tail
        }
        if (options.verify) {
            FlushForReadBack(handle, target);
            CompareReadBack(target, bytes, size, tail,
                            [&](std::uint64_t offset, unsigned char* buffer, std::size_t n) {
                                return ReadAt(handle, offset, buffer, n, target);
                            });
        }
    } catch (const FileError& error) {
        pending.Abandon(error);
    }
    StartWriteOut(handle);
    return pending;
}

void DurableReplace::CopyTailThroughMemory(File& source, const Options::Tail& tail,
                                           std::size_t skip, const Put& put) {
    // Only where needed: a shared or kernel-copied tail leaves nothing to copy here.
    std::vector<unsigned char> chunk(skip < tail.length ? kCopyChunk : 0);
    for (std::size_t done = skip; done < tail.length;) {
        const std::size_t want = std::min(chunk.size(), tail.length - done);
        const std::size_t got = source.ReadAt(tail.sourceAt + done, chunk.data(), want);
        if (got != want)
            throw FileError::ChangedSinceRead(source.Path());
        put(chunk.data(), got);
        done += got;
    }
    // A write since the source was read, during the copy too, shows in its version.
    if (!(source.CurrentVersion() == tail.version))
        throw FileError::ChangedSinceRead(source.Path());
}

std::size_t DurableReplace::TemporaryNameLength() {
    return kPrefixLength + kDigits + kSuffixLength;
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

std::string DurableReplace::NewTemporaryName() {
    static std::mt19937 random{std::random_device{}()};
    static_assert(kDigits == 2 * sizeof(std::uint32_t));
    const std::uint32_t value = random();
    unsigned char bytes[sizeof value];
    for (std::size_t i = 0; i < sizeof value; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    return kPrefix + LowerHex(bytes, sizeof bytes) + kSuffix;
}

std::string DurableReplace::TakeTemporaryName(const std::string& folder, const std::string& target,
                                              const std::function<bool(const std::string&)>& take) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const std::string path = folder + NewTemporaryName();
        if (take(path))
            return path;
    }
    throw FileError::System(FileError::Action::Create, target, kNameTaken);
}

std::string DurableReplace::TemporaryGlob() {
    return std::string(kPrefix) + "*" + kSuffix;
}

void DurableReplace::CompareReadBack(const std::string& target, const unsigned char* bytes,
                                     std::size_t size, const Options::Tail* tail,
                                     const ReadBack& readBack) {
    std::optional<File> source;
    if (tail)
        source.emplace(File::OpenForReading(tail->source));
    std::vector<unsigned char> chunk(kVerifyChunk), expected(kVerifyChunk);
    for (std::size_t at = 0; at < size; at += kVerifyChunk) {
        const std::size_t want = std::min(kVerifyChunk, size - at);
        const std::size_t got = readBack(at, chunk.data(), want);
        ExpectedChunk(bytes, tail, source ? &*source : nullptr, at, expected.data(), want);
        VerifyChunk(target, expected.data(), chunk.data(), want, got, at, size);
    }
    unsigned char extra;
    if (readBack(size, &extra, 1) != 0)
        throw FileError::VerificationFailed(target, "verification failed: " + target +
                                                        " reads back more bytes than written; "
                                                        "nothing was written");
}
