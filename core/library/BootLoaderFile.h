#pragma once

#include "File.h"
#include "VariantTable.h"

#include <string>
#include <vector>

// The boot-loader files "1x.bin" and "2x.bin": regular files of exactly one boot-loader area,
// whose whole content becomes the output's boot-loader area. Opening and reading are apart so
// that the window can check a file before it shows the wait cursor for reading it.
namespace BootLoaderFile {

using Bytes = std::vector<unsigned char>;

// The variant's file in folder; its bare name where folder is "".
std::string PathIn(const std::string& folder, Variant variant);

// Throws FileError: Cause::System with Action::Open when it will not open (missing, held by
// another program), Cause::NotARegularFile, or Cause::WrongLength (BootLoaderWrongLength).
File Open(const std::string& path);
// The whole file; FileError::BootLoaderWrongLength when it has become shorter since Open.
Bytes Read(File& file);
// Open and Read.
Bytes Load(const std::string& path);

} // namespace BootLoaderFile
