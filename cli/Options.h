#pragma once

#include "VariantTable.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// What one run of the command-line tool was asked to do.
struct Options {
    enum class Command { Info, Convert, Check };

    Command command = Command::Info;
    std::vector<std::string> inputs;
    // Inputs that failed before the run, by index, with the reason: on Windows a pattern that
    // matches no file.
    std::map<std::size_t, std::string> failedInputs;
    // Where "1x.bin" and "2x.bin" lie; the window takes them from its start directory.
    std::string bootLoaderDir = ".";
    // check: -b was given, so that the images a listing names are judged by those files too.
    bool bootLoaderDirGiven = false;
    // Without it each output lies beside its input, as the window writes it.
    std::optional<std::string> outputDir;
    bool dryRun = false;
    bool quiet = false;
    bool json = false;
    bool verify = false;
    // convert: the variant every output is in; an input already in it is skipped. Without it
    // each input is flipped, as the window does.
    std::optional<Variant> target;
    bool checksum = false;
    // convert: a sha256sum listing of the outputs written, put in place after the run.
    std::optional<std::string> checksumFile;
};
