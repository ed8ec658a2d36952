#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The command-line tool's own texts apart from its help; the file layer words its own failures.
// A failure's reason follows the input's name on stderr, so each text names the file it is
// about when that is not the input itself.
namespace Messages {

constexpr char kProgramName[] = "keldarin-cli";

// A mistake in the command line, on stderr: "keldarin-cli: REASON" and where help is.
std::string UsageError(const std::string& reason);
std::string UnknownCommand(const std::string& word);
std::string EmptyChecksumFileName();
// An argument that starts with "-" and is no option: an image, it is to follow "--".
std::string DashImageHint(const std::string& word, const std::string& command);

// One line on stderr: "keldarin-cli: INPUT: REASON".
std::string Failure(const std::string& input, const std::string& reason);
// A report that could not be written, as the last line of a run.
std::string ReportNotWritten(const std::string& reason);

// A text made fit for one line of a terminal: control characters are spelled as escapes, so
// that no name can break a line, forge another, or reach the terminal as a command.
std::string OneLine(const std::string& text);
// The C1 controls U+0080 to U+009F, which an 8-bit terminal obeys as it does C0 ones, spelled
// "\u009B", as JSON takes them too; the rest of the text as it stands.
std::string WithC1Escaped(const std::string& text);

std::string KindName(bool full);

// convert --to: an input already in the target variant.
std::string AlreadyIn(const std::string& variant);
// info: which boot-loader file the image's boot-loader area equals; "unknown" for none.
std::string BootLoaderMatch(const std::string* file);
std::string ChecksumSuffix(const std::string& sha256);
// One line on stderr that is no failure: "keldarin-cli: INPUT: warning: TEXT".
std::string Warning(const std::string& input, const std::string& text);
// info: a boot-loader file that is there but could not be used, for the reason given.
std::string BootLoaderNotCompared(const std::string& reason);
std::string ChecksumFileNotWritten(const std::string& reason);

// check: the verdicts, as sha256sum -c words them.
constexpr char kOk[] = "OK";
constexpr char kFailed[] = "FAILED";
constexpr char kNotRead[] = "FAILED open or read";
// A line of a listing that is no listing line, on stderr.
std::string ImproperLine(const std::string& listing, std::size_t number);
// An argument of check that is neither a listing nor an image.
std::string NoListing(const std::string& name);
// The last lines of a check that found failures, on stderr; count is more than none.
std::string ChecksumsDidNotMatch(std::size_t count);
std::string FilesNotRead(std::size_t count);
std::string LinesImproper(std::size_t count);
std::string BootLoaderAreasWrong(std::size_t count);

// -b and -o, in the words of the argument library's own check.
std::string FolderMissing(const std::string& name);
std::string FolderIsAFile(const std::string& name);
// Windows: an image argument with wildcards that names no file.
std::string NoFileMatches();
// Windows before 10 version 1903 keeps its ANSI code page, which cannot hold every name.
std::string NameBeyondCodePage(unsigned codePage);
// Windows: an argument holding a quote, which no name can: cmd.exe's trailing-backslash trap.
std::string QuoteInArgument();
// -b and -o: a folder that the system could not be asked about, for the reason given.
std::string FolderUnusable(const std::string& name, const std::string& reason);
// Windows, started from Explorer on a console of its own: the last line before it closes.
std::string PressAKeyToClose();

} // namespace Messages
