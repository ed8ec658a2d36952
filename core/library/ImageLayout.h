#pragma once

#include "VariantTable.h"

#include <cstdint>
#include <string>

// Lengths, offsets and names of the files the converter handles. All of them are raw bytes
// without a header of their own; an image is recognised by its exact length alone.
namespace ImageLayout {

// The stretch that a conversion works on. A bare image is exactly one image part.
constexpr std::uint32_t kImagePartLength = 0x7E0000;
// A full image carries a leading area in front of its image part.
constexpr std::uint32_t kFullImageLength = 0x800000;
// One byte past the 0x20000-byte leading area, not 0x20000: kept on purpose, as that is where
// existing full images put their image part. A read of kImagePartLength from here gets one byte
// less than asked; the image part's last byte is then 0x00, as outputs have always had it.
constexpr std::uint32_t kFullImagePartOffset = 0x20001;
// The boot-loader area at the start of the image part, and the exact length of a boot-loader file.
constexpr std::uint32_t kBootLoaderLength = 0x20000;

// The variant signature: three bytes at this offset of the image part.
constexpr std::uint32_t kSignatureOffset = 8;
constexpr unsigned char kSignature1x[] = {0x74, 0x75, 0x78}; // "tux"
// How much of the image part's start is read to test the signature.
constexpr std::uint32_t kHeaderLength = 20;

enum class ImageKind { Rejected, Bare, Full };

ImageKind ClassifyLength(std::uint64_t length);

// File offset of the image part; only for an accepted kind.
std::uint32_t ImagePartOffset(ImageKind kind);

// Number of bytes of the image part that the file itself holds: one short for a full image.
std::uint32_t ImagePartBytesInFile(ImageKind kind);

// A 1x image if the header, at least kSignatureOffset + 3 bytes of the image part, carries the
// signature; a 2x image for any other content.
Variant DetectVariant(const unsigned char* header);

// The chosen path with the tag inserted before its last '.', wherever that dot lies; a path
// without any dot gets the tag at its end, so that the output still lies beside the input.
std::string OutputName(const std::string& path, const std::string& tag);

} // namespace ImageLayout
