#pragma once

#include "ImageFacts.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Reads image files: the image part from its offset, the variant from its signature. Only
// regular files are read (File); the length is checked when the file is opened and again once
// its bytes are in, so a file that changes meanwhile is refused rather than converted.
class ImagePartReader {
public:
    using Buffer = std::vector<unsigned char>;

    // Reads no more than the signature. A file of the wrong length is no error here: its kind
    // says Rejected.
    static ImageFacts Inspect(const std::string& path);
    // Inspect of what must be an image: a file of a rejected length is FileError::WrongLength.
    static ImageFacts InspectImage(const std::string& path);

    // Fills part (resized to the image part's length) with the image part; the byte that a full
    // image cannot supply is 0x00. A file of another length than expectedLength, where one is
    // given, throws FileError::ChangedWhileRead, one of a rejected length FileError::WrongLength.
    // facts holds what was learnt before a failure: nothing if the file would not open.
    static void Load(const std::string& path, Buffer& part, std::optional<ImageFacts>& facts,
                     std::optional<std::uint64_t> expectedLength = std::nullopt);
    // Load of no more than the image part's first length bytes (at least its header), for a
    // look at its boot-loader area that needs no more.
    static void LoadStart(const std::string& path, Buffer& start, std::optional<ImageFacts>& facts,
                          std::size_t length);
    // The whole file of an image, both areas of a full image included, as a hash of the file
    // takes it; facts as Load tells them. A file of a rejected length is FileError::WrongLength.
    static void LoadFile(const std::string& path, Buffer& bytes, std::optional<ImageFacts>& facts);
    // Load of an image chosen earlier, as Inspect told it then: the same file, length and change
    // time, and still of that variant; anything else is FileError::ChangedSinceChosen, so an
    // image rewritten since is never converted under what was learnt of it before.
    static void LoadChosen(const std::string& path, Buffer& part, const ImageFacts& chosen);

private:
    static void RequireImage(const std::string& path, const ImageFacts& facts);
    static void LoadOpen(File& file, Buffer& part, ImageFacts& facts,
                         std::optional<std::uint64_t> expectedLength, std::size_t length);
};
