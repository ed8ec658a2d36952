#include "ConvertJob.h"

#include "Conversion.h"
#include "DurableReplace.h"
#include "FileError.h"
#include "Messages.h"
#include "OutputPath.h"
#include "Platform.h"
#include "Sha256.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace {

// Whether a file system that ignores case could take the two for one name. Bytes beyond ASCII
// count as alike, whichever letters of whichever encoding they are: such a pair only costs a
// question to the file system.
bool MayBeOneName(const std::string& a, const std::string& b) {
    const auto alike = [](unsigned char x, unsigned char y) {
        return (x >= 0x80 && y >= 0x80) || std::tolower(x) == std::tolower(y);
    };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), alike);
}

} // namespace

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
                m_protected.Add(FullPath(name));
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
    const auto same = [&path](const std::filesystem::path& other) { return SameFile(path, other); };
    return m_protected.Contains(path) || std::any_of(m_outputs.begin(), m_outputs.end(), same);
}

InputResult ConvertJob::Run(const std::string& input, std::optional<PendingReplace>& pending) {
    InputResult result;
    result.input = input;
    try {
        if (input.empty())
            throw std::runtime_error(Messages::EmptyName());
        Convert(input, result, pending);
        result.ok = true;
    } catch (const std::exception& e) {
        // FileError, and the file system library's own errors (a vanished working folder).
        result.error = e.what();
    }
    return result;
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
    result.output = Platform::NameOf(OutputPathFor(input, target, m_options.outputDir));
    const std::vector<unsigned char>& bootLoader = m_bootLoaders.Of(target);

    const std::filesystem::path output = Platform::PathOf(result.output);
    CheckOutputIsFree(output);
    if (inMemory)
        Conversion::OverlayBootLoader(m_image, bootLoader);
    m_outputs.push_back(output);
    if (m_options.dryRun) {
        DurableReplace::Check(result.output);
    } else {
        DurableReplace::Options replace;
        replace.verify = m_options.verify;
        replace.permissionsFrom = input;
        // The hash must describe the file written, so the output is then written from the very
        // bytes hashed, never from the input a second time.
        pending.emplace(inMemory ? conversion.Begin(result.output, m_image, replace)
                                 : conversion.BeginFromInput(result.output, input, facts.version,
                                                             bootLoader, replace));
        result.verified = m_options.verify;
    }
    if (inMemory)
        result.sha256 = Sha256::HexOf(m_image.data(), m_image.size());
}

void ConvertJob::CheckOutputIsFree(const std::filesystem::path& output) {
    const std::string name = Platform::NameOf(output);
    if (m_protected.Contains(output))
        throw std::runtime_error(Messages::OutputIsAnInput(name));
    for (const std::filesystem::path& earlier : m_outputs) {
        if (earlier == output)
            throw std::runtime_error(Messages::OutputWrittenEarlier(name));
        // A name that may be the earlier one to the file system is asked once that one is named.
        if (MayBeOneName(earlier.string(), output.string())) {
            m_finishPending();
            if (SameFile(earlier, output))
                throw std::runtime_error(Messages::OutputWrittenEarlier(name));
        }
    }
    if (!m_listing.empty() && SameFile(output, m_listing))
        throw std::runtime_error(Messages::OutputIsTheChecksumFile(name));
}
