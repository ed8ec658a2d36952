#include "CommandLine.h"

#include "ExistingFolder.h"
#include "ExitCode.h"
#include "ImageLayout.h"
#include "ImagePatterns.h"
#include "Messages.h"
#include "Platform.h"
#include "SystemHelp.h"
#include "VariantTable.h"
#include "Version.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace {

std::string Description() {
    using namespace ImageLayout;
    const std::string to2x = InfoOf(Variant::k2x).bootLoaderFile;
    const std::string to1x = InfoOf(Variant::k1x).bootLoaderFile;
    return std::string(Messages::kProgramName) +
           " - convert flash images between the hardware variants 1x and 2x\n\n"
           "An image is a bare image of " +
           std::to_string(kImagePartLength) + " bytes or a full image of " +
           std::to_string(kFullImageLength) +
           " bytes;\n"
           "every other length is rejected. Its signature tells its variant.\n"
           "Converting replaces the first " +
           std::to_string(kBootLoaderLength) +
           " bytes of the image part with a boot-loader file:\n"
           "\"" +
           to2x + "\" makes a 1x image a 2x image, \"" + to1x +
           "\" a 2x image a 1x image.\n"
           "The output's signature comes from that file: one that would make the other variant\n"
           "is refused. The output is a bare image named like the input's full path with\n\"" +
           InfoOf(Variant::k2x).outputTag + "\" or \"" + InfoOf(Variant::k1x).outputTag +
           "\" before its last dot.\n"
           "Inputs are never written; an output is written whole or not at all.\n";
}

const char kExitStatus[] = R"(EXIT STATUS
  0  every input was converted (info: every input is a usable image)
  1  at least one input failed; it was reported on stderr and the others still ran
  2  usage error: unknown command or option, missing image, folder that does not exist,
     checksum file that cannot be created or opened, or an existing file that is no listing
     (checked before anything is converted); check: a file that is neither listing nor image
)";

const char kCommandHelp[] = R"(
Run "keldarin-cli COMMAND --help" for the options of a command.
)";

const char kConvertFooter[] = R"(OUTPUT
  Each line on stdout names an input, its kind and variant, and the output written (with
  --checksum its SHA-256), or "already 1x"/"already 2x" for an input that --to skips. With
  --json each input gives one JSON object on a line of its own instead. Failures go to stderr
  as "keldarin-cli: IMAGE: REASON" and the next input still runs.

CHECKSUM FILE
  --checksum-file replaces only a file that is empty or holds a listing already, never an
  input, a boot-loader file or any other file; a device or FIFO (/dev/null, NUL) is written to
  as it is, and - is stdout, after the reports (-q leaves it alone there). Where the listing
  cannot go, the run stops before it converts anything, with exit status 2.

EXIT STATUS
  0  every input was converted
  1  at least one input failed
  2  usage error
)";

const char kCheckFooter[] = R"(LISTINGS AND IMAGES
  A FILE of an image's length (8257536 or 8388608 bytes) is an image; any other is a listing in
  the format sha256sum writes and reads, such as convert --checksum-file writes. A name in a
  listing that is not absolute is taken from the listing's own folder, so that a listing and
  its images can be checked from anywhere.

OUTPUT
  One line on stdout a file, "NAME: OK" or "NAME: FAILED", as sha256sum -c writes it ("FAILED
  open or read" for a file that cannot be read, with the reason on stderr). An image, and with
  -b each file a listing names, is also judged by its boot-loader area, which must be the
  boot-loader file of its own variant in the -b folder; its length, kind, variant and the
  boot-loader file its area equals follow in brackets. A line of a listing that is no listing
  line is an error on stderr naming the listing and the line. -q shows failures only; --json
  gives one JSON object a file instead.

EXIT STATUS
  0  every file is what it is to be
  1  at least one file did not match or could not be read, or a line was no listing line
  2  usage error, or a FILE that is neither a listing nor an image
)";

// A help text or the version that did not reach its reader fails the run, as a report does.
int HelpWritten() {
    std::cout.flush();
    if (std::fflush(stdout) == 0 && !std::ferror(stdout) && std::cout)
        return kExitAllConverted;
    std::cerr << Messages::ReportNotWritten(std::strerror(errno ? errno : EIO)) << '\n';
    return kExitSomeInputFailed;
}

} // namespace

// An image whose name starts with "-" is taken for an option that does not exist, and a lone one
// seems missing. Of what the argument library could not place, a word is named with the way out
// where no image was given, or where it names a file.
std::string CommandLine::WithDashHint(const std::string& reason) const {
    for (const CLI::App* command : {m_info, m_convert, m_check}) {
        const CLI::Option* files = command->get_option(command == m_check ? "FILE" : "IMAGE");
        const bool noImage = files->empty();
        for (const std::string& word : command->remaining())
            if (word.size() > 1 && word[0] == '-' && (noImage || Platform::IdentityOf(word)))
                return reason + "; " + Messages::DashImageHint(word, command->get_name());
    }
    return reason;
}

CommandLine::CommandLine() : m_app(Description(), Messages::kProgramName) {
    m_app.set_version_flag("--version", std::string(Messages::kProgramName) + " " +
                                            KELDARIN_DISPLAY_VERSION + " (file version " +
                                            KELDARIN_FILE_VERSION_TEXT + ")");
    m_app.require_subcommand(1);
    // A path that starts with "/" is a path on Windows too; the commands inherit this.
    m_app.allow_windows_style_options(false);
    m_app.footer(std::string(kExitStatus) + SystemHelp::kExamples +
                 SystemHelp::WithNotes(kCommandHelp));

    m_info = m_app.add_subcommand(
        "info", "Show each image's length, kind, variant, the name a conversion would write and "
                "which boot-loader file its boot-loader area equals");
    AddCommonOptions(*m_info);

    m_convert = m_app.add_subcommand("convert",
                                     "Convert each image into the other variant, or into --to's");
    m_convert
        ->add_option("--to", m_target, "Convert into this variant only; skip images already in it")
        ->check(CLI::IsMember({InfoOf(Variant::k1x).name, InfoOf(Variant::k2x).name}));
    m_convert->add_option("--checksum-file", m_options.checksumFile,
                          "Write a sha256sum listing of the outputs written to this file (- for "
                          "stdout)");
    m_convert->add_flag("-n,--dry-run", m_options.dryRun,
                        "Check everything and report, but write nothing");
    m_convert->add_flag("--verify", m_options.verify,
                        "Read each output back before it gets its name, and compare");
    AddCommonOptions(*m_convert);
    m_convert->footer(SystemHelp::WithNotes(kConvertFooter));

    m_check = m_app.add_subcommand(
        "check", "Check the files of sha256sum listings against their hashes, and images against "
                 "the boot-loader files of their own variant");
    m_check
        ->add_option("-b,--bootloaders", m_options.bootLoaderDir,
                     "Folder of the boot-loader files that images are judged by (default: the "
                     "current folder)")
        ->check(ExistingFolder());
    m_check->add_flag("-q,--quiet", m_options.quiet, "Report failures only");
    m_check->add_flag("--json", m_options.json, "One JSON object per file on stdout");
    m_check->add_option("FILE", m_options.inputs, "Listings or images")->required();
    m_check->footer(SystemHelp::WithNotes(kCheckFooter));
}

void CommandLine::AddCommonOptions(CLI::App& command) {
    command
        .add_option("-b,--bootloaders", m_options.bootLoaderDir,
                    "Folder of the boot-loader files (default: the current folder)")
        ->check(ExistingFolder());
    command.add_flag("--checksum", m_options.checksum,
                     "Show the SHA-256 of each output (info: of each image part)");
    command
        .add_option("-o,--output-dir", m_options.outputDir,
                    "Folder for the outputs (default: beside each input)")
        ->check(ExistingFolder());
    command.add_flag("-q,--quiet", m_options.quiet, "Report failures only");
    command.add_flag("--json", m_options.json, "One JSON object per input on stdout");
    command.add_option("IMAGE", m_options.inputs, "Image files")->required();
}

std::optional<int> CommandLine::Parse(int argc, char** argv) {
    try {
        m_app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help and --version end the parse too, with their text on stdout.
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success))
            return m_app.exit(e, std::cout, std::cerr) == 0 ? HelpWritten() : kExitUsageError;
        // A first word that is no option and no command is what the user took for a command.
        const bool unknownCommand =
            m_app.get_subcommands().empty() && argc > 1 && argv[1][0] != '-';
        std::cerr << Messages::UsageError(unknownCommand ? Messages::UnknownCommand(argv[1])
                                                         : WithDashHint(e.what()))
                  << '\n';
        return kExitUsageError;
    }
    if (m_options.checksumFile && m_options.checksumFile->empty()) {
        std::cerr << Messages::UsageError(Messages::EmptyChecksumFileName()) << '\n';
        return kExitUsageError;
    }
    m_options.command = m_convert->parsed() ? Options::Command::Convert
                        : m_check->parsed() ? Options::Command::Check
                                            : Options::Command::Info;
    m_options.bootLoaderDirGiven = m_check->count("-b") > 0;
    for (Variant variant : {Variant::k1x, Variant::k2x})
        if (m_target == InfoOf(variant).name)
            m_options.target = variant;
    ImagePatterns::Expand(m_options);
    return std::nullopt;
}
