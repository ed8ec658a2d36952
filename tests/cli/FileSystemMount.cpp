#include "FileSystemMount.h"

#include "CliProcess.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// What the script says where the machine cannot mount (as Automake's tests skip).
constexpr int kCannotHere = 77;
// After this long a FUSE driver has hung: killing it fails what the test waits on at once, where
// the test's own deadline (300 s) would end the test and leave the mount behind.
constexpr char kDriverDeadline[] = "200";

CliOutcome Script(std::vector<std::string> args) {
    // Each of its steps has a deadline of its own: this one is only for the script as a whole.
    return RunProgram(KELDARIN_MOUNT_FILE_SYSTEM,
                      {std::move(args), "/", {}, {}, {}, false, {}, std::chrono::seconds(300)});
}

} // namespace

FileSystemMount::FileSystemMount(const std::filesystem::path& where, const std::string& kind)
    : m_where(where) {
    const CliOutcome mounted = Script({"mount", where.string(), kind, kDriverDeadline});
    if (mounted.exitCode == kCannotHere)
        m_unavailable = mounted.err;
    else if (mounted.exitCode != 0)
        throw std::runtime_error("cannot mount " + kind + ": " + mounted.err + Unmount());
}

FileSystemMount::~FileSystemMount() {
    if (!m_unavailable)
        if (const std::string failed = Unmount(); !failed.empty())
            ADD_FAILURE() << failed;
}

// What went wrong, if anything.
std::string FileSystemMount::Unmount() const {
    const CliOutcome unmounted = Script({"unmount", m_where.string()});
    return unmounted.exitCode == 0 ? std::string() : unmounted.err;
}
