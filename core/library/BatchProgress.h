#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct InputResult;

// What a batch tells of its work while it runs, in the order it happens: a small, fixed set of
// steps, each a no-op unless overridden, and the result of each input. An exception thrown
// from a step ends the batch there; whatever was pending is dropped, its temporary removed.
class BatchProgress {
public:
    // Before anything of the input at index is read.
    virtual void Starting(std::size_t /*index*/, const std::string& /*input*/) {}
    // A conversion in memory: the image part is loaded, and may be put through another file.
    virtual void ImagePartLoaded(std::vector<unsigned char>& /*part*/) {}
    // The boot-loader file is open and of the right length; its bytes are read next.
    virtual void BootLoaderOpened() {}
    // A conversion in memory: the boot loader's byte at index is in the output.
    virtual void BootLoaderByteCopied(std::uint32_t /*index*/) {}
    // An input's outcome, in input order, once its output, if any, has its name on the storage.
    virtual void Ended(const InputResult& result) = 0;

protected:
    ~BatchProgress() = default;
};
