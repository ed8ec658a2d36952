// Fills a folder with what a hand-run of Keldarin needs: both boot-loader files and one image of
// each kind, a bare 1x image and a full 2x image. Made from the same generators as the tests, so
// a converted sample can be checked against TestImages::ExpectedOutput.
#include "TestImages.h"
#include "VariantTable.h"

#include <exception>
#include <filesystem>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: keldarin-samples FOLDER\n";
        return 2;
    }
    namespace fs = std::filesystem;
    using namespace TestImages;
    const fs::path folder = argv[1];
    try {
        fs::create_directories(folder);
        // A 2x image is converted with the 1x boot loader and the other way round.
        for (const Variant variant : {Variant::k1x, Variant::k2x})
            WriteFile(folder / InfoOf(variant).bootLoaderFile,
                      BootLoader(variant, variant == Variant::k2x ? 1 : 2));
        WriteFile(folder / "box.img", BareImage(true));
        WriteFile(folder / "full.img", FullImage(false));
    } catch (const std::exception& error) {
        std::cerr << "keldarin-samples: " << error.what() << '\n';
        return 1;
    }
    std::cout << "keldarin-samples: sample files written to " << folder.string() << '\n';
    return 0;
}
