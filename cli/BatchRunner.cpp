#include "BatchRunner.h"

#include "BootLoaderStore.h"
#include "ConvertJob.h"
#include "ExitCode.h"
#include "FileError.h"
#include "Messages.h"
#include "OutputPath.h"
#include "Reporter.h"

namespace {

InputResult Inspect(const std::string& input, const Options& options) {
    InputResult result;
    result.input = input;
    try {
        if (input.empty())
            throw std::runtime_error(Messages::EmptyName());
        result.facts = ImagePartReader::Inspect(input);
        if (result.facts->kind == ImageLayout::ImageKind::Rejected) {
            result.error = FileError::WrongLength(input, result.facts->length).what();
            return result;
        }
        result.output =
            OutputPathFor(input, TargetOf(result.facts->variant), options.outputDir).string();
        result.ok = true;
    } catch (const std::exception& e) {
        // FileError, and the file system library's own errors (a vanished working folder).
        result.error = e.what();
    }
    return result;
}

} // namespace

int BatchRunner::Run() {
    BootLoaderStore bootLoaders(m_options.bootLoaderDir);
    ConvertJob job(m_options, bootLoaders);
    Reporter reporter(m_options, m_options.inputs.size());
    bool allOk = true;
    for (std::size_t i = 0; i < m_options.inputs.size(); ++i) {
        const std::string& input = m_options.inputs[i];
        reporter.Starting(i, input);
        const InputResult result = m_options.command == Options::Command::Convert
                                       ? job.Run(input)
                                       : Inspect(input, m_options);
        reporter.Report(result);
        allOk = allOk && result.ok;
    }
    // A report that did not reach its reader fails the run, as with the GNU tools.
    if (!reporter.Finish())
        return kExitSomeInputFailed;
    return allOk ? kExitAllConverted : kExitSomeInputFailed;
}
