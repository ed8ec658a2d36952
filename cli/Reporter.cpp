#include "Reporter.h"

#include "Hex.h"
#include "Messages.h"
#include "Platform.h"
#include "Terminal.h"
#include "Utf8.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>

using ImageLayout::ImageKind;

namespace {

std::string KindText(const ImageFacts& facts) {
    return facts.kind == ImageKind::Rejected ? "rejected"
                                             : Messages::KindName(facts.kind == ImageKind::Full);
}

std::string VariantText(Variant variant) {
    return InfoOf(variant).name;
}

// Which boot-loader file the image's boot-loader area equals.
std::string MatchText(const InputResult& result) {
    const std::string file =
        result.bootLoaderMatch ? InfoOf(*result.bootLoaderMatch).bootLoaderFile : "";
    return Messages::BootLoaderMatch(result.bootLoaderMatch ? &file : nullptr);
}

// A converted image is always of the other variant.
std::string TargetText(const ImageFacts& facts) {
    return VariantText(TargetOf(facts.variant));
}

void PutTextLine(std::FILE* stream, const std::string& line) {
    Terminal::Write(stream, line + "\n");
}

// The columns a character takes on a terminal: two for the wide East Asian scripts.
std::size_t ColumnsOf(char32_t c) {
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

// As much of a UTF-8 line as fits in columns, cut between characters; width gets the columns it
// takes.
std::string FitTo(const std::string& line, std::size_t columns, std::size_t& width) {
    width = 0;
    std::size_t at = 0;
    while (at < line.size()) {
        // A byte that is no part of a character shows as one replacement character.
        const Utf8::Character c =
            Utf8::CharacterAt(line, at).value_or(Utf8::Character{U'\uFFFD', 1});
        if (width + ColumnsOf(c.code) > columns)
            break;
        width += ColumnsOf(c.code);
        at += c.length;
    }
    return line.substr(0, at);
}

// A name as JSON: the text, and where it is not UTF-8 (file names are bytes) also the exact
// bytes in hex under NAME_hex, so that a script can recover the very file.
void PutName(nlohmann::json& object, const char* key, const std::string& name) {
    const std::optional<std::string> utf8 = Platform::Utf8Of(name);
    object[key] = utf8 ? *utf8 : name;
    if (!utf8 || !Utf8::IsWellFormed(*utf8))
        object[std::string(key) + "_hex"] =
            LowerHex(reinterpret_cast<const unsigned char*>(name.data()), name.size());
}

} // namespace

Reporter::Reporter(const Options& options, std::size_t total)
    : m_options(options), m_total(total), m_progress(!options.quiet && Terminal::Shows(stderr)) {}

void Reporter::Starting(std::size_t index, const std::string& input) {
    if (!m_progress)
        return;
    ClearProgress();
    const std::string line = "[" + std::to_string(index + 1) + "/" + std::to_string(m_total) +
                             "] " + Messages::OneLine(input);
    const std::string utf8 = Platform::Utf8Of(line).value_or(line);
    // A line that wraps leaves its first row behind when it is cleared: it is cut short of the
    // last column, where some terminals wrap already.
    const std::size_t columns = Terminal::Columns(stderr);
    std::size_t width = 0;
    Terminal::Write(stderr, FitTo(utf8, columns > 1 ? columns - 1 : utf8.size(), width),
                    Terminal::Encoding::Utf8);
    std::fflush(stderr);
    m_progressWidth = width;
}

void Reporter::ClearProgress() {
    if (m_progressWidth == 0)
        return;
    std::fprintf(stderr, "\r%*s\r", static_cast<int>(m_progressWidth), "");
    m_progressWidth = 0;
}

void Reporter::Report(const InputResult& result, const std::string& name) {
    ClearProgress();
    const bool rejectedInfo = m_options.command == Options::Command::Info && result.facts &&
                              result.facts->kind == ImageKind::Rejected;
    const bool check = m_options.command == Options::Command::Check;
    // Every failure goes to stderr, -q or not; info also answers for a rejected file on stdout,
    // check for every file.
    if (!result.Ok())
        PutTextLine(stderr, Messages::OneLine(Messages::Failure(name, result.failure->reason)));
    for (const UncomparedBootLoader& file : result.uncompared)
        PutTextLine(stderr, Messages::OneLine(Messages::Warning(
                                file.path, Messages::BootLoaderNotCompared(file.reason))));
    if (m_options.json)
        WriteJson(result, name);
    else if (check && (!m_options.quiet || !result.Ok()))
        WriteCheck(result, name);
    else if (!check && !m_options.quiet && (result.Ok() || rejectedInfo))
        WriteText(result, name);
    if (check)
        Count(result);
    FlushStdout();
}

void Reporter::ImproperLine(const std::string& listing, std::size_t number) {
    ClearProgress();
    PutTextLine(stderr, Messages::OneLine(Messages::ImproperLine(listing, number)));
    ++m_counts.improper;
}

void Reporter::Count(const InputResult& result) {
    if (result.Ok())
        return;
    if (result.failure->of != InputFailure::Of::Check)
        ++m_counts.unread;
    else if (result.expectedSha256 && result.sha256 != *result.expectedSha256)
        ++m_counts.mismatched;
    else
        ++m_counts.wrongBootLoader;
}

void Reporter::WriteListing(const std::string& listing) {
    ClearProgress();
    Terminal::Write(stdout, listing);
    FlushStdout();
}

void Reporter::FlushStdout() {
    if (std::fflush(stdout) != 0 && m_writeError == 0)
        m_writeError = errno;
}

bool Reporter::Finish() {
    ClearProgress();
    const std::pair<std::size_t, std::string (*)(std::size_t)> counts[] = {
        {m_counts.improper, Messages::LinesImproper},
        {m_counts.unread, Messages::FilesNotRead},
        {m_counts.mismatched, Messages::ChecksumsDidNotMatch},
        {m_counts.wrongBootLoader, Messages::BootLoaderAreasWrong}};
    for (const auto& [count, words] : counts)
        if (count > 0)
            PutTextLine(stderr, words(count));
    if (m_writeError == 0 && (std::fflush(stdout) != 0 || std::ferror(stdout)))
        m_writeError = errno ? errno : EIO;
    if (m_writeError == 0)
        return true;
    PutTextLine(stderr, Messages::ReportNotWritten(std::strerror(m_writeError)));
    return false;
}

void Reporter::WriteText(const InputResult& result, const std::string& name) const {
    const ImageFacts& facts = *result.facts;
    std::string line = name + ": ";
    if (facts.kind == ImageKind::Rejected) {
        PutTextLine(stdout, Messages::OneLine(line + "rejected: " + result.failure->reason));
        return;
    }
    line += std::to_string(facts.length) + " bytes, " + KindText(facts) + " image, ";
    if (result.skipped) {
        PutTextLine(stdout,
                    Messages::OneLine(line + Messages::AlreadyIn(VariantText(facts.variant))));
        return;
    }
    line += VariantText(facts.variant) + " -> " + TargetText(facts) + ": " + result.output;
    if (m_options.command == Options::Command::Convert && !result.written)
        line += " (dry run, nothing written)";
    if (result.verified)
        line += " (verified)";
    if (result.bootLoaderCompared)
        line += ", " + MatchText(result);
    if (m_options.checksum && !result.sha256.empty())
        line += Messages::ChecksumSuffix(result.sha256);
    PutTextLine(stdout, Messages::OneLine(line));
}

void Reporter::WriteCheck(const InputResult& result, const std::string& name) const {
    const bool read = result.Ok() || result.failure->of == InputFailure::Of::Check;
    std::string line = name + ": " +
                       (result.Ok() ? Messages::kOk
                        : read      ? Messages::kFailed
                                    : Messages::kNotRead);
    if (result.bootLoaderCompared) {
        const ImageFacts& facts = *result.facts;
        line += " (" + std::to_string(facts.length) + " bytes, " + KindText(facts) + " image, " +
                VariantText(facts.variant) + ", " + MatchText(result) + ")";
    }
    PutTextLine(stdout, Messages::OneLine(line));
}

void Reporter::WriteJson(const InputResult& result, const std::string& name) const {
    using nlohmann::json;
    json object;
    const Options::Command command = m_options.command;
    PutName(object, command == Options::Command::Check ? "name" : "input", name);
    object["ok"] = result.Ok();
    object["length"] = result.facts ? json(result.facts->length) : json();
    object["kind"] = result.facts ? json(KindText(*result.facts)) : json();
    const bool known = result.facts && result.facts->kind != ImageKind::Rejected;
    object["variant"] = known ? json(VariantText(result.facts->variant)) : json();
    const json match =
        result.bootLoaderMatch ? json(InfoOf(*result.bootLoaderMatch).bootLoaderFile) : json();
    if (command == Options::Command::Check) {
        object["sha256_expected"] = result.expectedSha256 ? json(*result.expectedSha256) : json();
        object["boot_loader_match"] = match;
    } else {
        // A skipped input is already in the variant asked for.
        object["target_variant"] = !known ? json()
                                          : json(result.skipped ? VariantText(result.facts->variant)
                                                                : TargetText(*result.facts));
        object["output"] = nullptr;
        if (!result.output.empty())
            PutName(object, "output", result.output);
    }
    if (command == Options::Command::Convert) {
        object["boot_loader"] = nullptr;
        if (!result.bootLoader.empty())
            PutName(object, "boot_loader", result.bootLoader);
        object["dry_run"] = m_options.dryRun;
        object["written"] = result.written;
        object["verified"] = result.verified;
        object["skipped"] = result.skipped;
    } else if (command == Options::Command::Info) {
        object["boot_loader_match"] = match;
    }
    object["sha256"] = result.sha256.empty() ? json() : json(result.sha256);
    object["error"] =
        result.Ok()
            ? json()
            : json(Platform::Utf8Of(result.failure->reason).value_or(result.failure->reason));
    // File names are bytes, not necessarily UTF-8: replace what is not, rather than fail.
    // An 8-bit terminal obeys the C1 controls, which JSON allows raw and a dump leaves so.
    const std::string line =
        Messages::WithC1Escaped(object.dump(-1, ' ', false, json::error_handler_t::replace)) + "\n";
    Terminal::Write(stdout, line, Terminal::Encoding::Utf8);
}
