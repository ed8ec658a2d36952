#include "SystemHelp.h"

namespace SystemHelp {

const char kExamples[] = R"(
EXAMPLES
  keldarin-cli info *.img
  keldarin-cli convert -b C:\Bootloader box.img
  keldarin-cli convert -b C:\Bootloader -o C:\Umgewandelt --verify *.img
  keldarin-cli convert --dry-run --json *.img
  keldarin-cli convert --to 2x *.img
      the 2x images are skipped, the 1x ones converted
  keldarin-cli info -b C:\Bootloader *.img
      which boot-loader file each image carries
  keldarin-cli convert --checksum-file SHA256SUMS.txt *.img
  keldarin-cli check SHA256SUMS.txt
      each output against its line, as sha256sum -c checks it
  keldarin-cli check -b C:\Bootloader *.img
      each image's boot-loader area against its own variant's file
)";

namespace {

// cmd.exe and PowerShell hand wildcards over as typed; on POSIX the shell expands them.
const char kWindowsNames[] = R"(
NAMES ON WINDOWS
  An IMAGE with * (any run of characters) or ? (one character) in its file name stands for the
  files (not folders) in that folder whose names match, case ignored, in name order, in cmd.exe
  and PowerShell alike. A pattern that matches no file is one failure, "no file matches", and
  the other images still run. Only * and ? are wildcards: a name with [ ] or other such
  characters is taken as typed. Windows names cannot hold * or ?, so quotes never make a
  pattern a name; quote a name with spaces, pattern or not, as for any Windows tool:
    keldarin-cli convert "C:\Meine Bilder\*.img"
  Names with umlauts or in any other script work as typed on Windows 10 version 1903 or later;
  older Windows takes only the names of its ANSI code page (Windows-1252 for German).

  Options start with - or --, so /img/box.img is a path; /? alone or after a command shows its
  help. Paths may be verbatim (\\?\C:\..., \\?\UNC\server\share\...) or device paths
  (\\.\C:\...); the output lies beside its input in the same form. In cmd.exe a backslash
  before a closing quote keeps the quote: -b "C:\Boot loader\" box.img reaches the tool as one
  argument, C:\Boot loader" box.img, which it refuses; leave that backslash out.
)";

} // namespace

std::string WithNotes(const char* footer) {
    return std::string(footer) + kWindowsNames;
}

} // namespace SystemHelp
