#pragma once

#include "DurableReplace.h"
#include "File.h"
#include "ImageLayout.h"
#include "PendingReplace.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The conversion of one image into the other variant, as a batch runs it. Its output is
// one image part long: the other variant's boot-loader file, then the image part after its
// boot-loader area, then zeros where the file holds no more of the image part (the last byte
// of a full image's). The output can be made in memory, from the image part loaded whole, or
// straight from the input file, whose bytes the file system may then share or copy by itself.
class Conversion {
public:
    using Bytes = std::vector<unsigned char>;

    // Where each byte of the output comes from.
    struct Plan {
        Variant target;
        const char* tag;             // marks the output's name
        std::size_t bootLoaderBytes; // the output's first bytes, from the boot-loader file
        std::uint64_t imageFrom;     // then imageBytes bytes of the input file from this offset
        std::size_t imageBytes;
        std::size_t length; // then zeros up to this length
    };

    // For an image of an accepted kind.
    Conversion(ImageLayout::ImageKind kind, Variant variant);

    const Plan& GetPlan() const { return m_plan; }
    // Where the output of the image at path goes: beside it, path with the target's tag before
    // its last '.'; in folder, where one is given, path's file name so tagged.
    std::string OutputName(const std::string& path,
                           const std::optional<std::string>& folder = std::nullopt) const;

    // Called with each byte's index once it has been copied.
    using ByteCopied = std::function<void(std::uint32_t index)>;
    // Converts an image part in memory (as ImagePartReader::Load gives it): the boot loader over
    // its boot-loader area, byte by byte in order.
    static void OverlayBootLoader(Bytes& part, const Bytes& bootLoader,
                                  const ByteCopied& onByte = {});

    // The output from an image part converted in memory. Throws FileError, and std::logic_error
    // for a part of another length than the plan's.
    PendingReplace Begin(const std::string& output, const Bytes& convertedPart,
                         const DurableReplace::Options& options) const;
    // The output from the boot loader and the input file itself, as it was at version (a
    // change since is FileError::ChangedWhileRead); the boot loader's blocks may be shared with
    // bootLoaderFile, where that holds the same bytes. Throws FileError, and std::logic_error
    // for a boot loader of another length than the plan's.
    PendingReplace BeginFromInput(const std::string& output, const std::string& input,
                                  const File::Version& version, const Bytes& bootLoader,
                                  const std::optional<DurableReplace::SameAsFile>& bootLoaderFile,
                                  const DurableReplace::Options& options) const;

private:
    Plan m_plan;
};
