#pragma once

#include "InputResult.h"
#include "VariantTable.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class BatchProgress;

// A batch of images, each converted (or inspected) on its own: a failed input is reported and
// the next one still runs. One image buffer serves every input, the boot-loader files are read
// once, and no input, boot-loader file, checksum file or earlier output of the batch is ever
// written over. Outputs are durable before they are named (DurableReplace), and the results
// come in input order.
class Batch {
public:
    // How an output's bytes are made: from the input file, whose blocks the file system may
    // share or copy by itself, or from its image part in memory, with the boot loader copied over
    // it byte by byte. A hash always takes memory, so that it describes the very bytes written.
    enum class Through { InputFile, Memory };

    struct Settings {
        // Where "1x.bin" and "2x.bin" lie; "" takes them by their bare names.
        std::string bootLoaderFolder = ".";
        // Without one, each output lies beside its input.
        std::optional<std::string> outputFolder;
        // The variant every output is in; an input already in it is skipped. Without one, each
        // input becomes the other variant.
        std::optional<Variant> target;
        bool dryRun = false; // every check, short of writing
        bool verify = false; // each output read back before it gets its name
        bool hash = false;   // the SHA-256 of each output, or of each image part inspected
        Through through = Through::InputFile;
        // A file that no output may take, since the batch's listing is to go there.
        std::optional<std::string> checksumFile;
    };

    struct Input {
        std::string name;
        // What the image was when it was chosen: it is converted only while it still is that.
        std::optional<ImageFacts> chosen;
        // Why it fails before the batch looks at it.
        std::optional<std::string> refused;
        // A check: the hash the file is to have, where a listing gives one, and whether its
        // boot-loader area is to be its own variant's boot-loader file.
        std::optional<std::string> expectedSha256;
        bool expectOwnBootLoader = false;
    };

    Batch(Settings settings, std::vector<Input> inputs);

    void Convert(BatchProgress& progress);
    // Each image's facts, the output a conversion would write, which boot-loader file its
    // boot-loader area equals and, with hash, its image part's hash.
    void Describe(BatchProgress& progress);

    // Whether each file is what it is expected to be. Only what that needs is read: the whole
    // file for a hash, its boot-loader area otherwise.
    void Check(BatchProgress& progress);

    // Whether path is an input, a boot-loader file or an output of this batch.
    bool IsFileOfTheBatch(const std::filesystem::path& path) const;

    // Async-signal-safe: removes the named temporaries of the outputs in progress, for a
    // program that is about to end on a signal.
    static void RemovePendingTemporaries() noexcept;

    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;
    ~Batch();

private:
    class State;
    std::unique_ptr<State> m_state;
};
