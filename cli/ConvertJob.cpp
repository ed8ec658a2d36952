#include "ConvertJob.h"

#include "AtomicOutput.h"
#include "FileError.h"
#include "ImageLayout.h"
#include "Messages.h"
#include "OutputPath.h"

#include <algorithm>

ConvertJob::ConvertJob(const Options& options, BootLoaderStore& bootLoaders)
    : m_options(options), m_bootLoaders(bootLoaders) {
    for (const std::string& input : options.inputs)
        m_protected.push_back(FullPath(input));
    for (int variant : {0, 1})
        m_protected.push_back(FullPath(bootLoaders.PathForVariant(variant)));
}

InputResult ConvertJob::Run(const std::string& input) {
    InputResult result;
    result.input = input;
    try {
        Convert(input, result);
        result.ok = true;
    } catch (const std::exception& e) {
        // FileError, and the file system library's own errors (a vanished working folder).
        result.error = e.what();
    }
    return result;
}

void ConvertJob::Convert(const std::string& input, InputResult& result) {
    ImageReader::LoadImagePart(input, m_image, result.facts);
    const int variant = result.facts->variant;
    result.bootLoader = m_bootLoaders.PathForVariant(variant);
    result.output = OutputPathFor(input, variant, m_options.outputDir).string();
    const std::vector<unsigned char>& bootLoader = m_bootLoaders.ForVariant(variant);

    const std::filesystem::path output = result.output;
    CheckOutputIsFree(output);
    std::copy(bootLoader.begin(), bootLoader.end(), m_image.begin());
    m_outputs.push_back(output);
    if (m_options.dryRun)
        return;
    AtomicOutput::Write(result.output, m_image, m_options.verify);
    result.written = true;
    result.verified = m_options.verify;
}

void ConvertJob::CheckOutputIsFree(const std::filesystem::path& output) const {
    const auto same = [&output](const std::filesystem::path& other) {
        return SameFile(output, other);
    };
    if (std::any_of(m_protected.begin(), m_protected.end(), same))
        throw FileError(Messages::OutputIsAnInput(output.string()));
    if (std::any_of(m_outputs.begin(), m_outputs.end(), same))
        throw FileError(Messages::OutputWrittenEarlier(output.string()));
}
