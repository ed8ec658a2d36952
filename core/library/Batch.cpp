#include "Batch.h"

#include "BatchMessages.h"
#include "BatchOutputs.h"
#include "BatchProgress.h"
#include "BootLoaderFile.h"
#include "BootLoaderStore.h"
#include "Conversion.h"
#include "DurableReplace.h"
#include "FileSet.h"
#include "ImageInfo.h"
#include "ImagePartReader.h"
#include "Paths.h"
#include "PendingOutputs.h"
#include "Platform.h"
#include "Sha256.h"

#include <algorithm>
#include <new>
#include <unordered_set>

namespace {

// A failure the batch itself decides, thrown to end the work on one input.
struct Failed {
    InputFailure failure;
};

[[noreturn]] void Refuse(InputFailure::Of of, std::string reason) {
    throw Failed{InputFailure{of, std::move(reason), std::nullopt}};
}

} // namespace

class Batch::State {
public:
    State(Settings settings, std::vector<Input> inputs);

    using Work = void (State::*)(const Input&, InputResult&, std::optional<PendingReplace>&,
                                 PendingOutputs&, BatchProgress&);
    void Run(Work work, BatchProgress& progress);
    void ConvertOne(const Input& input, InputResult& result, std::optional<PendingReplace>& pending,
                    PendingOutputs& group, BatchProgress& progress);
    void DescribeOne(const Input& input, InputResult& result,
                     std::optional<PendingReplace>& pending, PendingOutputs& group,
                     BatchProgress& progress);
    void CheckOne(const Input& input, InputResult& result, std::optional<PendingReplace>& pending,
                  PendingOutputs& group, BatchProgress& progress);
    bool IsFileOfTheBatch(const std::filesystem::path& path) const;

private:
    // Which boot-loader file the area equals, with a word on each file that could not be used.
    void CompareBootLoaders(const unsigned char* area, InputResult& result, BatchProgress& progress,
                            BootLoaderStore::Use use);
    InputResult Attempt(Work work, const Input& input, std::optional<PendingReplace>& pending,
                        PendingOutputs& group, BatchProgress& progress);
    void LoadImagePart(const Input& input, InputResult& result);
    std::string OutputOf(const std::string& input, const Conversion& conversion);
    void CheckOutputIsFree(const std::string& output, PendingOutputs& group);

    Settings m_settings;
    std::vector<Input> m_inputs;
    BootLoaderStore m_bootLoaders;
    ImagePartReader::Buffer m_image;
    FileSet m_protected;
    BatchOutputs m_outputs;
    std::unordered_set<std::string> m_knownFolders; // swept and checked, once each
    std::filesystem::path m_checksumFile;
    std::optional<std::string> m_fullOutputFolder;
    Paths::ResolvedFolders m_resolvedFolders;
};

Batch::Batch(Settings settings, std::vector<Input> inputs)
    : m_state(std::make_unique<State>(std::move(settings), std::move(inputs))) {}

Batch::~Batch() = default;

void Batch::Convert(BatchProgress& progress) {
    m_state->Run(&State::ConvertOne, progress);
}

void Batch::Describe(BatchProgress& progress) {
    m_state->Run(&State::DescribeOne, progress);
}

void Batch::Check(BatchProgress& progress) {
    m_state->Run(&State::CheckOne, progress);
}

bool Batch::IsFileOfTheBatch(const std::filesystem::path& path) const {
    return m_state->IsFileOfTheBatch(path);
}

void Batch::RemovePendingTemporaries() noexcept {
    DurableReplace::RemovePendingTemporary();
}

Batch::State::State(Settings settings, std::vector<Input> inputs)
    : m_settings(std::move(settings)), m_inputs(std::move(inputs)),
      m_bootLoaders(m_settings.bootLoaderFolder) {
    std::vector<std::string> protectedNames;
    for (const Input& input : m_inputs)
        protectedNames.push_back(input.name);
    for (Variant variant : {Variant::k1x, Variant::k2x})
        protectedNames.push_back(m_bootLoaders.FileOf(variant));
    // A name that has no full path (a vanished current folder, or on Windows one that its code
    // page cannot hold) names no file that could be hit.
    for (const std::string& name : protectedNames) {
        try {
            if (!name.empty())
                m_protected.Add(Platform::NameOf(Paths::Full(name, m_resolvedFolders)));
        } catch (const std::runtime_error&) {
        }
    }
    try {
        if (m_settings.checksumFile && !m_settings.checksumFile->empty())
            m_checksumFile = Paths::Full(*m_settings.checksumFile);
    } catch (const std::runtime_error&) {
    }
}

bool Batch::State::IsFileOfTheBatch(const std::filesystem::path& path) const {
    // Asked once every output has its name.
    const std::vector<std::string> outputs = m_outputs.All();
    const std::string name = Platform::NameOf(path);
    const auto same = [&name](const std::string& output) { return FileSet::Same(name, output); };
    return m_protected.Contains(name) || std::any_of(outputs.begin(), outputs.end(), same);
}

void Batch::State::Run(Work work, BatchProgress& progress) {
    // Before the images' buffer: what memory there is goes to the digests' code first.
    const auto checksHash = [](const Input& input) { return input.expectedSha256.has_value(); };
    if (m_settings.hash || std::any_of(m_inputs.begin(), m_inputs.end(), checksHash))
        Sha256::Prepare();
    PendingOutputs group([&progress](const InputResult& result) { progress.Ended(result); });
    for (std::size_t i = 0; i < m_inputs.size(); ++i) {
        const Input& input = m_inputs[i];
        std::optional<PendingReplace> pending;
        group.MakeRoom();
        progress.Starting(i, input.name);
        InputResult result = Attempt(work, input, pending, group, progress);
        // The handles of the pending outputs are given back, and the input tried once more.
        const std::optional<InputFailure>& failure = result.failure;
        if (failure && failure->file && failure->file->IsOutOfHandles() && group.Any()) {
            group.FinishAll();
            result = Attempt(work, input, pending, group, progress);
        }
        group.Add(std::move(result), std::move(pending));
    }
    group.FinishAll();
}

InputResult Batch::State::Attempt(Work work, const Input& input,
                                  std::optional<PendingReplace>& pending, PendingOutputs& group,
                                  BatchProgress& progress) {
    InputResult result;
    result.input = input.name;
    try {
        if (input.refused)
            Refuse(InputFailure::Of::Image, *input.refused);
        if (input.name.empty())
            Refuse(InputFailure::Of::Image, BatchMessages::EmptyName());
        (this->*work)(input, result, pending, group, progress);
    } catch (const Failed& failed) {
        result.failure = failed.failure;
    } catch (const std::bad_alloc&) {
        result.failure = {InputFailure::Of::Memory, BatchMessages::NotEnoughMemory(), std::nullopt};
    } catch (const FileError& e) {
        result.failure = {InputFailure::Of::Image, e.what(), e};
    } catch (const std::exception& e) {
        // The file system library's own errors: a vanished folder, a name it cannot hold.
        result.failure = {InputFailure::Of::Image, e.what(), std::nullopt};
    }
    if (result.failure)
        pending.reset();
    return result;
}

void Batch::State::LoadImagePart(const Input& input, InputResult& result) {
    if (input.chosen) {
        ImagePartReader::LoadChosen(input.name, m_image, *input.chosen);
        result.facts = input.chosen;
    } else {
        ImagePartReader::Load(input.name, m_image, result.facts);
    }
}

void Batch::State::ConvertOne(const Input& input, InputResult& result,
                              std::optional<PendingReplace>& pending, PendingOutputs& group,
                              BatchProgress& progress) {
    const bool inMemory = m_settings.hash || m_settings.through == Through::Memory;
    if (inMemory) {
        LoadImagePart(input, result);
        progress.ImagePartLoaded(m_image);
    } else {
        // The tail is taken from the input as it was here: a change since fails the output.
        result.facts = input.chosen ? *input.chosen : ImagePartReader::InspectImage(input.name);
    }
    const ImageFacts& facts = *result.facts;
    if (m_settings.target == facts.variant) {
        result.skipped = true;
        return;
    }
    const Conversion conversion(facts.kind, facts.variant);
    const Variant target = conversion.GetPlan().target;
    result.bootLoader = m_bootLoaders.FileOf(target);
    result.output = OutputOf(input.name, conversion);
    const BootLoaderStore::Bytes* bootLoader = m_bootLoaders.Of(target, progress);
    if (!bootLoader)
        throw Failed{m_bootLoaders.FailureOf(target)};

    CheckOutputIsFree(result.output, group);
    if (inMemory)
        Conversion::OverlayBootLoader(m_image, *bootLoader,
                                      [&](std::uint32_t i) { progress.BootLoaderByteCopied(i); });
    try {
        if (m_settings.dryRun) {
            DurableReplace::Check(result.output);
        } else {
            DurableReplace::Options replace;
            replace.verify = m_settings.verify;
            replace.permissionsFrom = input.name;
            const std::string folder = Platform::FolderOf(result.output);
            replace.folder = m_knownFolders.count(folder) ? DurableReplace::Folder::Known
                                                          : DurableReplace::Folder::New;
            pending.emplace(inMemory ? conversion.Begin(result.output, m_image, replace)
                                     : conversion.BeginFromInput(
                                           result.output, input.name, facts.version, *bootLoader,
                                           m_bootLoaders.SameFileOf(target), replace));
            m_knownFolders.insert(folder);
            result.verified = m_settings.verify;
        }
    } catch (const FileError& e) {
        // A changed input is the input's failure; anything else is the output's.
        const bool input = e.GetCause() == FileError::Cause::ChangedWhileRead;
        throw Failed{{input ? InputFailure::Of::Image : InputFailure::Of::Output, e.what(), e}};
    }
    // Only now is the place taken: an output that failed may be tried again or by another input.
    m_outputs.Add(result.output);
    if (m_settings.hash)
        result.sha256 = Sha256::HexOf(m_image.data(), m_image.size());
}

void Batch::State::DescribeOne(const Input& input, InputResult& result,
                               std::optional<PendingReplace>&, PendingOutputs&,
                               BatchProgress& progress) {
    const ImageInfo info(input.name, m_settings.hash, m_image, result.facts);
    result.output = OutputOf(input.name, info.GetConversion());
    CompareBootLoaders(info.BootLoaderArea(), result, progress, BootLoaderStore::Use::Verified);
    result.sha256 = info.ImagePartHash();
}

void Batch::State::CheckOne(const Input& input, InputResult& result, std::optional<PendingReplace>&,
                            PendingOutputs&, BatchProgress& progress) {
    result.expectedSha256 = input.expectedSha256;
    std::size_t areaAt = 0;
    if (input.expectedSha256) {
        ImagePartReader::LoadFile(input.name, m_image, result.facts);
        areaAt = ImageLayout::ImagePartOffset(result.facts->kind);
        result.sha256 = Sha256::HexOf(m_image.data(), m_image.size());
    } else {
        ImagePartReader::LoadStart(input.name, m_image, result.facts,
                                   ImageLayout::kBootLoaderLength);
    }
    const unsigned char* area = m_image.data() + areaAt;
    // Files as they are: one of the other variant's bytes under this name is what is looked for.
    if (input.expectOwnBootLoader)
        CompareBootLoaders(area, result, progress, BootLoaderStore::Use::AsItIs);
    if (input.expectedSha256 && result.sha256 != *input.expectedSha256)
        Refuse(InputFailure::Of::Check, BatchMessages::ChecksumMismatch());
    const Variant own = result.facts->variant;
    if (input.expectOwnBootLoader && result.bootLoaderMatch != own)
        Refuse(InputFailure::Of::Check,
               result.bootLoaderMatch ? BatchMessages::BootLoaderOfOtherVariant(
                                            InfoOf(*result.bootLoaderMatch).bootLoaderFile, own)
                                      : BatchMessages::BootLoaderUnknown());
}

void Batch::State::CompareBootLoaders(const unsigned char* area, InputResult& result,
                                      BatchProgress& progress, BootLoaderStore::Use use) {
    result.bootLoaderMatch =
        BootLoaderFile::Matching(area, result.facts->variant, [&](Variant variant) {
            return m_bootLoaders.Of(variant, progress, use);
        });
    result.bootLoaderCompared = true;
    // An unreadable file matches nothing, as a missing one does, but not without a word.
    for (Variant variant : {Variant::k1x, Variant::k2x})
        if (std::optional<UncomparedBootLoader> problem = m_bootLoaders.TakeProblem(variant, use))
            result.uncompared.push_back(std::move(*problem));
}

// Beside the input, from its full path, absolute and resolved; in an output folder, from
// that folder's.
std::string Batch::State::OutputOf(const std::string& input, const Conversion& conversion) {
    if (!m_settings.outputFolder)
        return conversion.OutputName(Platform::NameOf(Paths::Full(input, m_resolvedFolders)));
    // Resolved once for the run, as its full path is every output's: each resolution asks the
    // system about every folder on the way.
    if (!m_fullOutputFolder)
        m_fullOutputFolder = Platform::NameOf(Paths::FullFolder(*m_settings.outputFolder));
    return conversion.OutputName(input, *m_fullOutputFolder);
}

void Batch::State::CheckOutputIsFree(const std::string& output, PendingOutputs& group) {
    const std::string name = Platform::NameOf(Platform::PathOf(output));
    if (m_protected.Contains(name))
        Refuse(InputFailure::Of::Output, BatchMessages::OutputIsAnInput(name));
    if (m_outputs.Contains(name))
        Refuse(InputFailure::Of::Output, BatchMessages::OutputWrittenEarlier(name));
    // A name that may be an earlier one to the file system is asked once that one is named.
    for (const std::string& earlier : m_outputs.AlikeTo(name)) {
        group.FinishAll();
        if (FileSet::Same(earlier, name))
            Refuse(InputFailure::Of::Output, BatchMessages::OutputWrittenEarlier(name));
    }
    if (!m_checksumFile.empty() && FileSet::Same(name, Platform::NameOf(m_checksumFile)))
        Refuse(InputFailure::Of::Output, BatchMessages::OutputIsTheChecksumFile(name));
}
