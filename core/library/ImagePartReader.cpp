#include "ImagePartReader.h"

#include "File.h"
#include "FileError.h"

#include <algorithm>

using ImageLayout::ImageKind;

ImageFacts ImagePartReader::Inspect(const std::string& path) {
    File file = File::OpenForReading(path);
    ImageFacts facts;
    // The version before the read: a change during it is a change since, which the write finds.
    facts.version = file.CurrentVersion();
    facts.length = facts.version.length;
    facts.kind = ImageLayout::ClassifyLength(facts.length);
    if (facts.kind == ImageKind::Rejected)
        return facts;
    unsigned char header[ImageLayout::kHeaderLength] = {};
    const std::size_t got =
        file.ReadAt(ImageLayout::ImagePartOffset(facts.kind), header, sizeof header);
    if (got != sizeof header)
        throw FileError::ChangedWhileRead(path, facts.length, file.Length());
    facts.variant = ImageLayout::DetectVariant(header);
    return facts;
}

ImageFacts ImagePartReader::InspectImage(const std::string& path) {
    const ImageFacts facts = Inspect(path);
    RequireImage(path, facts);
    return facts;
}

void ImagePartReader::RequireImage(const std::string& path, const ImageFacts& facts) {
    if (facts.kind == ImageKind::Rejected)
        throw FileError::WrongLength(path, facts.length);
}

void ImagePartReader::Load(const std::string& path, Buffer& part, std::optional<ImageFacts>& known,
                           std::optional<std::uint64_t> expectedLength) {
    File file = File::OpenForReading(path);
    LoadOpen(file, part, known.emplace(), expectedLength, ImageLayout::kImagePartLength);
}

void ImagePartReader::LoadStart(const std::string& path, Buffer& start,
                                std::optional<ImageFacts>& facts, std::size_t length) {
    File file = File::OpenForReading(path);
    LoadOpen(file, start, facts.emplace(), std::nullopt, length);
}

void ImagePartReader::LoadFile(const std::string& path, Buffer& bytes,
                               std::optional<ImageFacts>& known) {
    File file = File::OpenForReading(path);
    ImageFacts& facts = known.emplace();
    const File::Version before = file.CurrentVersion();
    facts.length = before.length;
    facts.kind = ImageLayout::ClassifyLength(facts.length);
    RequireImage(path, facts);
    bytes.resize(static_cast<std::size_t>(facts.length));
    const std::size_t got = file.ReadAt(0, bytes.data(), bytes.size());
    facts.version = file.CurrentVersion();
    if (got != bytes.size() || facts.version.length != facts.length)
        throw FileError::ChangedWhileRead(path, facts.length, facts.version.length);
    if (!(facts.version == before))
        throw FileError::ChangedSinceRead(path);
    facts.variant =
        ImageLayout::DetectVariant(bytes.data() + ImageLayout::ImagePartOffset(facts.kind));
}

void ImagePartReader::LoadChosen(const std::string& path, Buffer& part, const ImageFacts& chosen) {
    File file = File::OpenForReading(path);
    if (!(file.CurrentVersion() == chosen.version))
        throw FileError::ChangedSinceChosen(path);
    ImageFacts facts;
    LoadOpen(file, part, facts, chosen.length, ImageLayout::kImagePartLength);
    // The same version with other bytes: written within one tick of the change time's clock.
    if (facts.variant != chosen.variant)
        throw FileError::ChangedSinceChosen(path);
}

void ImagePartReader::LoadOpen(File& file, Buffer& part, ImageFacts& facts,
                               std::optional<std::uint64_t> expectedLength, std::size_t length) {
    const std::string& path = file.Path();
    const File::Version before = file.CurrentVersion();
    facts.length = before.length;
    facts.kind = ImageLayout::ClassifyLength(facts.length);
    if (expectedLength && *expectedLength != facts.length)
        throw FileError::ChangedWhileRead(path, *expectedLength, facts.length);
    RequireImage(path, facts);

    part.resize(length);
    const std::size_t inFile =
        std::min<std::size_t>(length, ImageLayout::ImagePartBytesInFile(facts.kind));
    const std::size_t got =
        file.ReadAt(ImageLayout::ImagePartOffset(facts.kind), part.data(), inFile);
    // A file that grows while it is read is as untrustworthy as one that shrinks.
    facts.version = file.CurrentVersion();
    if (got != inFile || facts.version.length != facts.length)
        throw FileError::ChangedWhileRead(path, facts.length, facts.version.length);
    // Bytes of two moments would be converted, and hashed, as one image.
    if (!(facts.version == before))
        throw FileError::ChangedSinceRead(path);
    std::fill(part.begin() + static_cast<std::ptrdiff_t>(inFile), part.end(), 0x00);
    facts.variant = ImageLayout::DetectVariant(part.data());
}
