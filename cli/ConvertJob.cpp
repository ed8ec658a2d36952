#include "ConvertJob.h"

#include "Conversion.h"
#include "DurableReplace.h"
#include "FileError.h"
#include "Messages.h"
#include "OutputPath.h"
#include "Platform.h"
#include "Sha256.h"

#include <algorithm>

ConvertJob::ConvertJob(const Options& options, BootLoaderStore& bootLoaders,
                       std::function<void()> finishPending)
    : m_options(options), m_bootLoaders(bootLoaders), m_finishPending(std::move(finishPending)) {
    std::vector<std::string> protectedNames = options.inputs;
    for (Variant variant : {Variant::k1x, Variant::k2x})
        protectedNames.push_back(bootLoaders.PathOf(variant));
    // A name that has no full path (a vanished current folder, or on Windows one that its code
    // page cannot hold) names no file that could be hit.
    for (const std::string& name : protectedNames) {
        try {
            if (!name.empty())
                m_protected.Add(Platform::NameOf(FullPath(name)));
        } catch (const std::runtime_error&) {
        }
    }
    try {
        if (options.checksumFile && !options.checksumFile->empty())
            m_listing = FullPath(*options.checksumFile);
    } catch (const std::runtime_error&) {
    }
}

bool ConvertJob::IsFileOfTheRun(const std::filesystem::path& path) const {
    // Called once every output has its name.
    const std::vector<std::string> outputs = m_outputs.All();
    const std::string name = Platform::NameOf(path);
    const auto same = [&name](const std::string& output) { return FileSet::Same(name, output); };
    return m_protected.Contains(name) || std::any_of(outputs.begin(), outputs.end(), same);
}

InputResult ConvertJob::Run(const std::string& input, std::optional<PendingReplace>& pending) {
    return ResultOf(input, [&](InputResult& result) { Convert(input, result, pending); });
}

void ConvertJob::Convert(const std::string& input, InputResult& result,
                         std::optional<PendingReplace>& pending) {
    // Only a hash needs the output's bytes in memory. Otherwise the image part after the
    // boot-loader area is left to the file system to share or copy, and --verify compares
    // with the input itself.
    const bool inMemory = m_options.checksum || m_options.json || m_options.checksumFile;
    if (inMemory) {
        ImagePartReader::Load(input, m_image, result.facts);
    } else {
        result.facts = ImagePartReader::Inspect(input);
        if (result.facts->kind == ImageLayout::ImageKind::Rejected)
            throw FileError::WrongLength(input, result.facts->length);
    }
    const ImageFacts& facts = *result.facts;
    if (m_options.target == facts.variant) {
        result.skipped = true;
        return;
    }
    const Conversion conversion(facts.kind, facts.variant);
    const Variant target = conversion.GetPlan().target;
    result.bootLoader = m_bootLoaders.PathOf(target);
    result.output = OutputPathFor(input, conversion, m_options.outputDir);
    const std::vector<unsigned char>& bootLoader = m_bootLoaders.Of(target);

    const std::filesystem::path output = Platform::PathOf(result.output);
    CheckOutputIsFree(output);
    if (inMemory)
        Conversion::OverlayBootLoader(m_image, bootLoader);
    if (m_options.dryRun) {
        DurableReplace::Check(result.output);
    } else {
        DurableReplace::Options replace;
        replace.verify = m_options.verify;
        replace.permissionsFrom = input;
        const std::string folder = Platform::FolderOf(result.output);
        replace.sweepFolder = m_sweptFolders.count(folder) == 0;
        // The hash must describe the file written, so the output is then written from the very
        // bytes hashed, never from the input a second time.
        pending.emplace(inMemory ? conversion.Begin(result.output, m_image, replace)
                                 : conversion.BeginFromInput(result.output, input, facts.version,
                                                             bootLoader, replace));
        m_sweptFolders.insert(folder);
        result.verified = m_options.verify;
    }
    // Only now is the place taken: an output that failed may be tried again or by another input.
    m_outputs.Add(result.output);
    if (inMemory)
        result.sha256 = Sha256::HexOf(m_image.data(), m_image.size());
}

void ConvertJob::CheckOutputIsFree(const std::filesystem::path& output) {
    const std::string name = Platform::NameOf(output);
    if (m_protected.Contains(name))
        throw std::runtime_error(Messages::OutputIsAnInput(name));
    if (m_outputs.Contains(name))
        throw std::runtime_error(Messages::OutputWrittenEarlier(name));
    // A name that may be an earlier one to the file system is asked once that one is named.
    for (const std::string& earlier : m_outputs.AlikeTo(name)) {
        m_finishPending();
        if (FileSet::Same(earlier, name))
            throw std::runtime_error(Messages::OutputWrittenEarlier(name));
    }
    if (!m_listing.empty() && FileSet::Same(name, Platform::NameOf(m_listing)))
        throw std::runtime_error(Messages::OutputIsTheChecksumFile(name));
}
