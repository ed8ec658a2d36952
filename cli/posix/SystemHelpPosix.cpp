#include "SystemHelp.h"

namespace SystemHelp {

const char kExamples[] = R"(
EXAMPLES
  keldarin-cli info *.img
  keldarin-cli convert -b /srv/bootloaders box.img
  keldarin-cli convert -b bl -o converted --verify *.img
  keldarin-cli convert --dry-run --json *.img
  keldarin-cli convert --to 2x *.img          # the 2x images are skipped, the 1x ones converted
  keldarin-cli info -b /srv/bootloaders *.img # which boot-loader file each image carries
  keldarin-cli convert --checksum-file SHA256SUMS *.img && sha256sum -c SHA256SUMS
  keldarin-cli check SHA256SUMS               # the same check, also where sha256sum is not
  keldarin-cli check -b /srv/bootloaders *.img # each image's area against its variant's file
)";

// The shell has expanded wildcards and taken quotes already: nothing to add.
std::string WithNotes(const char* footer) {
    return footer;
}

} // namespace SystemHelp
