#include "Reporter.h"

#include "Messages.h"

#include <cstdio>
#include <nlohmann/json.hpp>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#else
#include <unistd.h>
#endif

using ImageLayout::ImageKind;

namespace {

std::string KindText(const ImageFacts& facts) {
    return facts.kind == ImageKind::Rejected ? "rejected"
                                             : Messages::KindName(facts.kind == ImageKind::Full);
}

// A converted image is always of the other variant.
std::string TargetText(const ImageFacts& facts) {
    return Messages::VariantName(1 - facts.variant);
}

void PutLine(std::FILE* stream, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fputc('\n', stream);
}

} // namespace

Reporter::Reporter(const Options& options, std::size_t total)
    : m_options(options), m_total(total), m_progress(!options.quiet && isatty(2)) {}

void Reporter::Starting(std::size_t index, const std::string& input) {
    if (!m_progress)
        return;
    ClearProgress();
    const std::string line =
        "[" + std::to_string(index + 1) + "/" + std::to_string(m_total) + "] " + input;
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    m_progressWidth = line.size();
}

void Reporter::ClearProgress() {
    if (m_progressWidth == 0)
        return;
    std::fprintf(stderr, "\r%*s\r", static_cast<int>(m_progressWidth), "");
    m_progressWidth = 0;
}

void Reporter::Report(const InputResult& result) {
    ClearProgress();
    const bool rejectedInfo = m_options.command == Options::Command::Info && result.facts &&
                              result.facts->kind == ImageKind::Rejected;
    // info shows a rejected file as its answer; every other failure is an error.
    if (!result.ok && !rejectedInfo)
        PutLine(stderr, Messages::Failure(result.input, result.error));
    if (m_options.json)
        WriteJson(result);
    else if (!m_options.quiet && (result.ok || rejectedInfo))
        WriteText(result);
    std::fflush(stdout);
}

void Reporter::Finish() {
    ClearProgress();
}

void Reporter::WriteText(const InputResult& result) const {
    const ImageFacts& facts = *result.facts;
    std::string line = result.input + ": ";
    if (facts.kind == ImageKind::Rejected) {
        PutLine(stdout, line + "rejected: " + result.error);
        return;
    }
    line += std::to_string(facts.length) + " bytes, " + KindText(facts) + " image, " +
            Messages::VariantName(facts.variant) + " -> " + TargetText(facts) + ": " +
            result.output;
    if (m_options.command == Options::Command::Convert && !result.written)
        line += " (dry run, nothing written)";
    if (result.verified)
        line += " (verified)";
    PutLine(stdout, line);
}

void Reporter::WriteJson(const InputResult& result) const {
    using nlohmann::json;
    json object = {{"input", result.input}, {"ok", result.ok}};
    const bool convert = m_options.command == Options::Command::Convert;
    object["length"] = result.facts ? json(result.facts->length) : json();
    object["kind"] = result.facts ? json(KindText(*result.facts)) : json();
    const bool known = result.facts && result.facts->kind != ImageKind::Rejected;
    object["variant"] = known ? json(Messages::VariantName(result.facts->variant)) : json();
    object["target_variant"] = known ? json(TargetText(*result.facts)) : json();
    object["output"] = result.output.empty() ? json() : json(result.output);
    if (convert) {
        object["boot_loader"] = result.bootLoader.empty() ? json() : json(result.bootLoader);
        object["dry_run"] = m_options.dryRun;
        object["written"] = result.written;
        object["verified"] = result.verified;
    }
    object["error"] = result.ok ? json() : json(result.error);
    // File names are bytes, not necessarily UTF-8: replace what is not, rather than fail.
    PutLine(stdout, object.dump(-1, ' ', false, json::error_handler_t::replace));
}
