#include "CheckFiles.h"

#include "ChecksumListing.h"
#include "FileError.h"
#include "ImagePartReader.h"
#include "Messages.h"
#include "Platform.h"
#include "Reporter.h"

#include <iostream>

namespace {

// A listed name as it is to be opened: from the listing's own folder, unless it names its
// folder itself.
std::string FromListingFolder(const std::string& listing, const std::string& name) {
    const std::filesystem::path path = Platform::PathOf(name);
    if (path.has_root_directory() || path.has_root_name() || Platform::IsVerbatim(name))
        return name;
    return Platform::Join(Platform::FolderOf(listing), name);
}

} // namespace

void CheckFiles::Add(Batch::Input input, std::string shownAs) {
    m_inputs.push_back(std::move(input));
    m_names.push_back(std::move(shownAs));
}

std::optional<CheckFiles> CheckFiles::Of(const Options& options, Reporter& reporter) {
    CheckFiles files;
    for (std::size_t i = 0; i < options.inputs.size(); ++i) {
        const std::string& name = options.inputs[i];
        Batch::Input file;
        file.name = name;
        if (const auto failed = options.failedInputs.find(i);
            failed != options.failedInputs.end()) {
            file.refused = failed->second;
            files.Add(std::move(file), name);
            continue;
        }
        try {
            if (ImagePartReader::Inspect(name).kind != ImageLayout::ImageKind::Rejected) {
                file.expectOwnBootLoader = true;
                files.Add(std::move(file), name);
                continue;
            }
            const std::optional<std::vector<ChecksumListing::Entry>> listing =
                ChecksumListing::Read(name);
            if (!listing) {
                std::cerr << Messages::UsageError(Messages::NoListing(name)) << '\n';
                return std::nullopt;
            }
            for (const ChecksumListing::Entry& entry : *listing) {
                if (!entry.line) {
                    reporter.ImproperLine(name, entry.number);
                    continue;
                }
                Batch::Input listed;
                listed.name = FromListingFolder(name, entry.line->name);
                listed.expectedSha256 = entry.line->sha256;
                listed.expectOwnBootLoader = options.bootLoaderDirGiven;
                files.Add(std::move(listed), entry.line->name);
            }
        } catch (const FileError& e) {
            // The listing, or the image, could not be read: one file that failed.
            file.refused = e.what();
            files.Add(std::move(file), name);
        }
    }
    return files;
}
