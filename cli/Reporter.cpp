#include "Reporter.h"

#include "Hex.h"
#include "Messages.h"
#include "Platform.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>

#ifdef _WIN32
#include "ConsoleOutput.h"

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

std::string VariantText(Variant variant) {
    return InfoOf(variant).name;
}

// A converted image is always of the other variant.
std::string TargetText(const ImageFacts& facts) {
    return VariantText(TargetOf(facts.variant));
}

// Text with names in it, as its reader takes it. Names are in the active code page, unless the
// text is UTF-8 already (JSON).
void PutText(std::FILE* stream, const std::string& text, bool utf8 = false) {
#ifdef _WIN32
    ConsoleOutput::Write(stream, text,
                         utf8 ? ConsoleOutput::Encoding::Utf8
                              : ConsoleOutput::Encoding::ActiveCodePage);
#else
    (void)utf8;
    std::fwrite(text.data(), 1, text.size(), stream);
#endif
}

void PutTextLine(std::FILE* stream, const std::string& line) {
    PutText(stream, line + "\n");
}

bool IsUtf8(const std::string& text) {
    try {
        (void)nlohmann::json(text).dump();
        return true;
    } catch (const nlohmann::json::type_error&) {
        return false;
    }
}

// A name as JSON: the text, and where it is not UTF-8 (file names are bytes) also the exact
// bytes in hex under NAME_hex, so that a script can recover the very file.
void PutName(nlohmann::json& object, const char* key, const std::string& name) {
    const std::optional<std::string> utf8 = Platform::Utf8Of(name);
    object[key] = utf8 ? *utf8 : name;
    if (!utf8 || !IsUtf8(*utf8))
        object[std::string(key) + "_hex"] =
            LowerHex(reinterpret_cast<const unsigned char*>(name.data()), name.size());
}

// JSON as dumped, with the C1 controls U+0080 to U+009F escaped, which JSON allows and a dump
// leaves raw: an 8-bit terminal obeys them as it does C0 ones. In well-formed UTF-8, 0xC2
// followed by 0x80 to 0x9F is one of them and nothing else.
std::string WithC1Escaped(const std::string& json) {
    std::string escaped;
    for (std::size_t i = 0; i < json.size(); ++i) {
        const auto next = i + 1 < json.size() ? static_cast<unsigned char>(json[i + 1]) : 0;
        if (static_cast<unsigned char>(json[i]) == 0xC2 && next >= 0x80 && next <= 0x9F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", next);
            escaped += escape;
            ++i;
        } else {
            escaped += json[i];
        }
    }
    return escaped;
}

} // namespace

Reporter::Reporter(const Options& options, std::size_t total)
    : m_options(options), m_total(total), m_progress(!options.quiet && isatty(2)) {}

void Reporter::Starting(std::size_t index, const std::string& input) {
    if (!m_progress)
        return;
    ClearProgress();
    const std::string line = "[" + std::to_string(index + 1) + "/" + std::to_string(m_total) +
                             "] " + Messages::OneLine(input);
    PutText(stderr, line);
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
    // Every failure goes to stderr, -q or not; info also answers for a rejected file on stdout.
    if (!result.ok)
        PutTextLine(stderr, Messages::OneLine(Messages::Failure(result.input, result.error)));
    for (const std::string& warning : result.warnings)
        PutTextLine(stderr, Messages::OneLine(warning));
    if (m_options.json)
        WriteJson(result);
    else if (!m_options.quiet && (result.ok || rejectedInfo))
        WriteText(result);
    FlushStdout();
}

void Reporter::WriteListing(const std::string& listing) {
    ClearProgress();
    PutText(stdout, listing);
    FlushStdout();
}

void Reporter::FlushStdout() {
    if (std::fflush(stdout) != 0 && m_writeError == 0)
        m_writeError = errno;
}

bool Reporter::Finish() {
    ClearProgress();
    if (m_writeError == 0 && (std::fflush(stdout) != 0 || std::ferror(stdout)))
        m_writeError = errno ? errno : EIO;
    if (m_writeError == 0)
        return true;
    PutTextLine(stderr, Messages::ReportNotWritten(std::strerror(m_writeError)));
    return false;
}

void Reporter::WriteText(const InputResult& result) const {
    const ImageFacts& facts = *result.facts;
    std::string line = result.input + ": ";
    if (facts.kind == ImageKind::Rejected) {
        PutTextLine(stdout, Messages::OneLine(line + "rejected: " + result.error));
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
    if (result.bootLoaderCompared) {
        const std::string file =
            result.bootLoaderMatch ? InfoOf(*result.bootLoaderMatch).bootLoaderFile : "";
        line += ", " + Messages::BootLoaderMatch(result.bootLoaderMatch ? &file : nullptr);
    }
    if (m_options.checksum && !result.sha256.empty())
        line += Messages::ChecksumSuffix(result.sha256);
    PutTextLine(stdout, Messages::OneLine(line));
}

void Reporter::WriteJson(const InputResult& result) const {
    using nlohmann::json;
    json object;
    PutName(object, "input", result.input);
    object["ok"] = result.ok;
    const bool convert = m_options.command == Options::Command::Convert;
    object["length"] = result.facts ? json(result.facts->length) : json();
    object["kind"] = result.facts ? json(KindText(*result.facts)) : json();
    const bool known = result.facts && result.facts->kind != ImageKind::Rejected;
    object["variant"] = known ? json(VariantText(result.facts->variant)) : json();
    // A skipped input is already in the variant asked for.
    object["target_variant"] = !known ? json()
                                      : json(result.skipped ? VariantText(result.facts->variant)
                                                            : TargetText(*result.facts));
    object["output"] = nullptr;
    if (!result.output.empty())
        PutName(object, "output", result.output);
    if (convert) {
        object["boot_loader"] = nullptr;
        if (!result.bootLoader.empty())
            PutName(object, "boot_loader", result.bootLoader);
        object["dry_run"] = m_options.dryRun;
        object["written"] = result.written;
        object["verified"] = result.verified;
        object["skipped"] = result.skipped;
    } else {
        object["boot_loader_match"] =
            result.bootLoaderMatch ? json(InfoOf(*result.bootLoaderMatch).bootLoaderFile) : json();
    }
    object["sha256"] = result.sha256.empty() ? json() : json(result.sha256);
    object["error"] =
        result.ok ? json() : json(Platform::Utf8Of(result.error).value_or(result.error));
    // File names are bytes, not necessarily UTF-8: replace what is not, rather than fail.
    const std::string line =
        WithC1Escaped(object.dump(-1, ' ', false, json::error_handler_t::replace)) + "\n";
    PutText(stdout, line, true);
}
