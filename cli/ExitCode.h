#pragma once

// The documented exit status of keldarin-cli.
enum ExitCode {
    kExitAllConverted = 0,
    kExitSomeInputFailed = 1,
    kExitUsageError = 2,
};
