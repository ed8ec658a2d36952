#include "BatchRunner.h"

#include "Batch.h"
#include "BatchProgress.h"
#include "CheckFiles.h"
#include "ChecksumListing.h"
#include "ExitCode.h"
#include "Messages.h"
#include "Reporter.h"

#include <iostream>

namespace {

// Through std::cerr, which on Windows shows every name on a console, as the reports do.
void ReportChecksumFileFailure(const std::string& reason) {
    std::cerr << Messages::OneLine(Messages::ChecksumFileNotWritten(reason)) << '\n';
}

Batch::Settings SettingsOf(const Options& options) {
    Batch::Settings settings;
    settings.bootLoaderFolder = options.bootLoaderDir;
    settings.outputFolder = options.outputDir;
    settings.target = options.target;
    settings.dryRun = options.dryRun;
    settings.verify = options.verify;
    // Every report of a hash, and the listing, need it.
    settings.hash = options.checksum || options.json || options.checksumFile.has_value();
    settings.checksumFile = options.checksumFile;
    return settings;
}

std::vector<Batch::Input> InputsOf(const Options& options) {
    std::vector<Batch::Input> inputs;
    for (std::size_t i = 0; i < options.inputs.size(); ++i) {
        Batch::Input& input = inputs.emplace_back();
        input.name = options.inputs[i];
        if (const auto failed = options.failedInputs.find(i); failed != options.failedInputs.end())
            input.refused = failed->second;
    }
    return inputs;
}

// The batch's progress as the reports show it, each input by the name it was given or listed
// under, the results coming in input order; each written output goes into the listing.
class ReportedProgress : public BatchProgress {
public:
    ReportedProgress(Reporter& reporter, std::optional<ChecksumListing>& listing,
                     std::vector<std::string> names)
        : m_reporter(reporter), m_listing(listing), m_names(std::move(names)) {}

    void Starting(std::size_t index, const std::string&) override {
        m_reporter.Starting(index, m_names[index]);
    }
    void Ended(const InputResult& result) override {
        m_reporter.Report(result, m_names[m_ended++]);
        m_allOk = m_allOk && result.Ok();
        if (result.written && m_listing)
            m_listing->Add(result.output, result.sha256);
    }
    bool AllOk() const { return m_allOk; }

private:
    Reporter& m_reporter;
    std::optional<ChecksumListing>& m_listing;
    std::vector<std::string> m_names;
    std::size_t m_ended = 0;
    bool m_allOk = true;
};

} // namespace

int BatchRunner::Run() {
    if (m_options.command == Options::Command::Check)
        return Check();
    Batch batch(SettingsOf(m_options), InputsOf(m_options));
    Reporter reporter(m_options, m_options.inputs.size());
    std::optional<ChecksumListing> listing;
    // A listing that could not be written after the run would leave it unchecked: its place is
    // settled before anything is converted, in a dry run too.
    if (m_options.checksumFile) {
        try {
            listing.emplace(*m_options.checksumFile, [&batch](const std::filesystem::path& path) {
                return batch.IsFileOfTheBatch(path);
            });
        } catch (const std::runtime_error& e) {
            ReportChecksumFileFailure(e.what());
            return kExitUsageError;
        }
    }
    ReportedProgress progress(reporter, listing, m_options.inputs);
    if (m_options.command == Options::Command::Convert)
        batch.Convert(progress);
    else
        batch.Describe(progress);
    bool allOk = progress.AllOk();
    // A dry run writes nothing, the listing included.
    if (listing && !m_options.dryRun) {
        try {
            listing->Write([&reporter](const std::string& text) { reporter.WriteListing(text); });
        } catch (const std::runtime_error& e) {
            ReportChecksumFileFailure(e.what());
            allOk = false;
        }
    }
    return ExitCodeOf(reporter, allOk);
}

int BatchRunner::Check() {
    // The total is not known until the listings are read; progress counts the files they name.
    Reporter reporter(m_options, 0);
    const std::optional<CheckFiles> files = CheckFiles::Of(m_options, reporter);
    if (!files)
        return kExitUsageError;
    reporter.SetTotal(files->Inputs().size());
    Batch::Settings settings;
    settings.bootLoaderFolder = m_options.bootLoaderDir;
    Batch batch(settings, files->Inputs());
    std::optional<ChecksumListing> noListing;
    ReportedProgress progress(reporter, noListing, files->Names());
    batch.Check(progress);
    return ExitCodeOf(reporter, progress.AllOk() && !reporter.MetImproperLines());
}

int BatchRunner::ExitCodeOf(Reporter& reporter, bool allOk) {
    // A report that did not reach its reader fails the run, as with the GNU tools.
    if (!reporter.Finish())
        return kExitSomeInputFailed;
    return allOk ? kExitAllConverted : kExitSomeInputFailed;
}
