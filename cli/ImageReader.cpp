#include "ImageReader.h"

#include "FileError.h"
#include "FileHandle.h"
#include "Messages.h"

#include <algorithm>

using ImageLayout::ImageKind;

ImageFacts ImageReader::Inspect(const std::string& path) {
    FileHandle file = FileHandle::OpenForReading(path);
    ImageFacts facts;
    facts.length = file.Length();
    facts.kind = ImageLayout::ClassifyLength(facts.length);
    if (facts.kind == ImageKind::Rejected)
        return facts;
    unsigned char header[ImageLayout::kHeaderLength] = {};
    file.SeekTo(ImageLayout::ImagePartOffset(facts.kind));
    if (file.Read(header, sizeof header) != sizeof header)
        throw FileError(Messages::ImageChangedWhileReading(sizeof header, 0));
    facts.variant = ImageLayout::DetectVariant(header);
    return facts;
}

void ImageReader::LoadImagePart(const std::string& path, std::vector<unsigned char>& part,
                                std::optional<ImageFacts>& known) {
    FileHandle file = FileHandle::OpenForReading(path);
    ImageFacts& facts = known.emplace();
    facts.length = file.Length();
    facts.kind = ImageLayout::ClassifyLength(facts.length);
    if (facts.kind == ImageKind::Rejected)
        throw FileError(Messages::WrongImageLength(facts.length));

    part.resize(ImageLayout::kImagePartLength);
    const std::size_t inFile = ImageLayout::ImagePartBytesInFile(facts.kind);
    file.SeekTo(ImageLayout::ImagePartOffset(facts.kind));
    const std::size_t got = file.Read(part.data(), inFile);
    // A file that grows while it is read is as untrustworthy as one that shrinks.
    if (got != inFile || file.Length() != facts.length)
        throw FileError(Messages::ImageChangedWhileReading(inFile, got));
    std::fill(part.begin() + static_cast<std::ptrdiff_t>(inFile), part.end(), 0x00);
    facts.variant = ImageLayout::DetectVariant(part.data());
}
