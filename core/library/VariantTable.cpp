#include "VariantTable.h"

namespace {

const VariantInfo kVariants[] = {
    {"1x", "1x.bin", "(1xImage)"},
    {"2x", "2x.bin", "(2xImage)"},
};

} // namespace

const VariantInfo& InfoOf(Variant variant) {
    return kVariants[IndexOf(variant)];
}

Variant TargetOf(Variant variant) {
    return variant == Variant::k1x ? Variant::k2x : Variant::k1x;
}
