#pragma once

#include <cstddef>

// The two hardware variants. An image of one variant is converted into the other one with the
// other variant's boot-loader file, and its output is tagged with the other variant's tag.
enum class Variant { k1x, k2x };

struct VariantInfo {
    const char* name;           // "1x" or "2x", as reports and options spell it
    const char* bootLoaderFile; // this variant's boot-loader file, a name without a folder
    const char* outputTag;      // marks an output of this variant, inserted into its name
};

// The variant's place in every table by variant: 0 for 1x, 1 for 2x.
constexpr std::size_t IndexOf(Variant variant) {
    return variant == Variant::k2x ? 1 : 0;
}

const VariantInfo& InfoOf(Variant variant);

// The variant that a conversion of an image of this variant produces.
Variant TargetOf(Variant variant);
