#pragma once

#include "File.h"
#include "ImageLayout.h"

#include <cstdint>

// What an image file is, told by its length and its signature.
struct ImageFacts {
    std::uint64_t length = 0;
    ImageLayout::ImageKind kind = ImageLayout::ImageKind::Rejected;
    Variant variant = Variant::k1x; // only for an accepted kind
    File::Version version;          // as the file was once its bytes were read
};
