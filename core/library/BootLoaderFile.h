#pragma once

#include "File.h"
#include "VariantTable.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The boot-loader files "1x.bin" and "2x.bin": regular files of exactly one boot-loader area,
// whose whole content becomes the output's boot-loader area. Opening and reading are apart, so
// that a file can be refused before any time goes into reading it.
//
// The output's signature lies in its boot-loader area, so the boot-loader file alone decides the
// variant of every output made with it, told by the rule for any image. A file that would make
// outputs of the other variant than its name says (the two files swapped, or one copied over
// the other) is refused when it is read, before anything is made from it.
namespace BootLoaderFile {

using Bytes = std::vector<unsigned char>;

// The variant's file in folder; its bare name where folder is "".
std::string PathIn(const std::string& folder, Variant variant);

// Throws FileError: Cause::System with Action::Open when it will not open (missing, held by
// another program), Cause::NotARegularFile, or Cause::WrongLength (BootLoaderWrongLength).
File Open(const std::string& path);
// The whole file, as the boot loader of variant: FileError::BootLoaderWrongLength when it has
// become shorter since Open, FileError::BootLoaderWrongVariant (Cause::WrongVariant) when what
// it makes is an image of the other variant.
Bytes Read(File& file, Variant variant);
// Open and Read.
Bytes Load(const std::string& path, Variant variant);

// The boot loader of a variant to compare with, or null where there is none.
using Usable = std::function<const Bytes*(Variant variant)>;
// Which of the boot loaders that usable gives an image's boot-loader area equals, the variant
// of its signature first, should both be the same; nothing where none does.
std::optional<Variant> Matching(const unsigned char* area, Variant signature, const Usable& usable);

} // namespace BootLoaderFile
