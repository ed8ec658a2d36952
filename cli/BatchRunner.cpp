#include "BatchRunner.h"

#include "BootLoaderStore.h"
#include "ChecksumListing.h"
#include "ConvertJob.h"
#include "ExitCode.h"
#include "FlushWindow.h"
#include "ImageInfo.h"
#include "Messages.h"
#include "OutputPath.h"
#include "Platform.h"
#include "Reporter.h"

#include <iostream>

namespace {

InputResult Inspect(const std::string& input, const Options& options, BootLoaderStore& bootLoaders,
                    ImagePartReader::Buffer& buffer) {
    return ResultOf(input, [&](InputResult& result) {
        const ImageInfo info(input, options.checksum || options.json, buffer, result.facts);
        result.output = OutputPathFor(input, info.GetConversion(), options.outputDir);
        result.bootLoaderMatch =
            info.MatchingBootLoader([&](Variant variant) { return bootLoaders.IfUsable(variant); });
        result.bootLoaderCompared = true;
        // An unreadable file matches nothing, as a missing one does, but not without a word.
        for (Variant variant : {Variant::k1x, Variant::k2x})
            if (const std::optional<std::string> problem = bootLoaders.TakeProblem(variant))
                result.warnings.push_back(Messages::Warning(
                    bootLoaders.PathOf(variant), Messages::BootLoaderNotCompared(*problem)));
        result.sha256 = info.ImagePartHash();
    });
}

// Through std::cerr, which on Windows shows every name on a console, as the reports do.
void ReportChecksumFileFailure(const std::string& reason) {
    std::cerr << Messages::OneLine(Messages::ChecksumFileNotWritten(reason)) << '\n';
}

// How many outputs may wait for their flush at once: each holds a handle, and a conversion needs
// a few more of its own (the input, a boot-loader file, the temporary, the folder, the standard
// streams), so a process that may open few files keeps fewer outputs waiting.
std::size_t PendingWindowFor(std::size_t openFileLimit) {
    constexpr std::size_t kHandlesOfOneConversion = 12;
    return openFileLimit > kHandlesOfOneConversion + 1 ? openFileLimit - kHandlesOfOneConversion
                                                       : 1;
}

} // namespace

int BatchRunner::Run() {
    BootLoaderStore bootLoaders(m_options.bootLoaderDir);
    Reporter reporter(m_options, m_options.inputs.size());
    ImagePartReader::Buffer part;
    std::optional<ChecksumListing> listing;
    bool allOk = true;
    FlushWindow window(
        [&](const InputResult& result) {
            reporter.Report(result);
            allOk = allOk && result.ok;
            if (result.written && listing)
                listing->Add(result.output, result.sha256);
        },
        PendingWindowFor(Platform::OpenFileLimit()));
    ConvertJob job(m_options, bootLoaders, [&window] { window.Drain(); });
    // A listing that could not be written after the run would leave it unchecked: its place is
    // settled before anything is converted, in a dry run too.
    if (m_options.checksumFile) {
        try {
            listing.emplace(*m_options.checksumFile, [&job](const std::filesystem::path& path) {
                return job.IsFileOfTheRun(path);
            });
        } catch (const std::runtime_error& e) {
            ReportChecksumFileFailure(e.what());
            return kExitUsageError;
        }
    }
    for (std::size_t i = 0; i < m_options.inputs.size(); ++i) {
        const std::string& input = m_options.inputs[i];
        std::optional<PendingReplace> pending;
        window.MakeRoom(ImageLayout::kImagePartLength);
        reporter.Starting(i, input);
        const auto failed = m_options.failedInputs.find(i);
        const auto run = [&] {
            if (failed != m_options.failedInputs.end())
                return FailedInput(input, failed->second);
            return m_options.command == Options::Command::Convert
                       ? job.Run(input, pending)
                       : Inspect(input, m_options, bootLoaders, part);
        };
        InputResult result = run();
        // The handles of the pending outputs are given back, and the input tried once more.
        if (result.outOfHandles && window.HasPending()) {
            window.Drain();
            result = run();
        }
        window.Add(std::move(result), std::move(pending), ImageLayout::kImagePartLength);
    }
    window.Drain();
    // A dry run writes nothing, the listing included.
    if (listing && !m_options.dryRun) {
        try {
            listing->Write([&reporter](const std::string& text) { reporter.WriteListing(text); });
        } catch (const std::runtime_error& e) {
            ReportChecksumFileFailure(e.what());
            allOk = false;
        }
    }
    // A report that did not reach its reader fails the run, as with the GNU tools.
    if (!reporter.Finish())
        return kExitSomeInputFailed;
    return allOk ? kExitAllConverted : kExitSomeInputFailed;
}
