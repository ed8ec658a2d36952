// The batch's own rules, in-process: its outputs' names, its boot-loader files, its listing.
#include "Batch.h"
#include "BatchOutputs.h"
#include "BatchProgress.h"
#include "BootLoaderStore.h"
#include "ChecksumListing.h"
#include "FileError.h"
#include "Sha256.h"
#include "Sha256Sums.h"
#include "TestImages.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace TestImages;
namespace fs = std::filesystem;

namespace {

// Every step a batch tells of, and each result as it came.
struct Recorded : BatchProgress {
    void Starting(std::size_t index, const std::string&) override {
        steps.push_back("start " + std::to_string(index));
    }
    void ImagePartLoaded(std::vector<unsigned char>&) override { steps.push_back("loaded"); }
    void BootLoaderOpened() override { steps.push_back("opened"); }
    void BootLoaderByteCopied(std::uint32_t i) override {
        if (i != copied++)
            steps.push_back("out of order");
    }
    void Ended(const InputResult& result) override {
        // An output is handed on only once it has its name.
        if (result.written && !fs::exists(result.output))
            steps.push_back("reported unnamed");
        results.push_back(result);
    }
    std::vector<std::string> Reasons() const {
        std::vector<std::string> reasons;
        for (const InputResult& result : results)
            reasons.push_back(result.Ok() ? "" : result.failure->reason);
        return reasons;
    }
    std::vector<std::string> steps;
    std::uint32_t copied = 0;
    std::vector<InputResult> results;
};

// A folder with both boot-loader files, as a batch takes it.
struct BatchFolder {
    BatchFolder() {
        WriteFile(dir / "1x.bin", bootLoader1x);
        WriteFile(dir / "2x.bin", bootLoader2x);
    }
    Recorded Convert(const std::vector<std::string>& names, Batch::Settings settings = {}) const {
        settings.bootLoaderFolder = dir.Path().string();
        std::vector<Batch::Input> inputs;
        for (const std::string& name : names)
            inputs.emplace_back().name = (dir / name).string();
        Recorded recorded;
        Batch(settings, inputs).Convert(recorded);
        return recorded;
    }
    std::string Refused(const std::string& output, const std::string& why) const {
        return "refusing to write " + (dir / output).string() + ": " + why;
    }
    TempDir dir;
    const Bytes bootLoader1x = BootLoader(Variant::k1x, 1),
                bootLoader2x = BootLoader(Variant::k2x, 2);
};

} // namespace

// No output is written over an input, by a link or as another input of the batch, nor over an
// earlier output or the listing; the other inputs still run.
TEST(Batch, RefusesOutputsThatHitAnInputAnEarlierOutputOrTheChecksumFile) {
    const BatchFolder folder;
    const TempDir& dir = folder.dir;
    WriteFile(dir / "box.img", BareImage(true));
    fs::create_symlink("box.img", dir / "box(2xImage).img");
    WriteFile(dir / "a.img", BareImage(true, 1));
    const Bytes second = BareImage(false, 2);
    WriteFile(dir / "a(2xImage).img", second);
    fs::create_directories(dir / "x");
    fs::create_directories(dir / "out");
    WriteFile(dir / "x" / "a.img", BareImage(true, 3));
    fs::create_hard_link(dir / "x" / "a.img", dir / "x" / "a(2xImage).img");
    WriteFile(dir / "sums.img", BareImage(true, 4));

    Batch::Settings toFolder;
    toFolder.outputFolder = (dir / "out").string();
    toFolder.checksumFile = (dir / "out" / "sums(2xImage).img").string();
    const std::string input = "it is an input or a boot-loader file of this run";
    EXPECT_EQ(folder.Convert({"box.img", "a.img", "a(2xImage).img", "x/a.img"}).Reasons(),
              (std::vector<std::string>{folder.Refused("box(2xImage).img", input),
                                        folder.Refused("a(2xImage).img", input), "",
                                        folder.Refused("x/a(2xImage).img", input)}));
    EXPECT_EQ(ReadFile(dir / "a(2xImage)(1xImage).img"),
              ExpectedOutput(second, folder.bootLoader1x));
    EXPECT_TRUE(fs::is_symlink(dir / "box(2xImage).img"));
    EXPECT_EQ(ReadFile(dir / "a(2xImage).img"), second);

    EXPECT_EQ(
        folder.Convert({"a.img", "x/a.img", "sums.img"}, toFolder).Reasons(),
        (std::vector<std::string>{
            "",
            folder.Refused("out/a(2xImage).img", "an earlier input of this run was written there"),
            folder.Refused("out/sums(2xImage).img", "it is the checksum file of this run")}));
    EXPECT_EQ(ReadFile(dir / "out" / "a(2xImage).img"),
              ExpectedOutput(BareImage(true, 1), folder.bootLoader2x));
    EXPECT_FALSE(fs::exists(dir / "out" / "sums(2xImage).img"));
}

// A boot-loader file that cannot be used fails each input that needs it, for the same typed
// reason, in a dry run too, and nothing is written.
TEST(Batch, AnUnusableBootLoaderFailsEveryInputThatNeedsItAndWritesNothing) {
    const BatchFolder folder;
    const TempDir& dir = folder.dir;
    WriteFile(dir / "bare1x.img", BareImage(true));
    WriteFile(dir / "full2x.img", FullImage(false));
    WriteFile(dir / "other1x.img", BareImage(true, 5));
    fs::remove(dir / "2x.bin");
    for (const std::size_t length : {0x1FFFFu, 0x20001u}) {
        WriteFile(dir / "1x.bin", BootLoader(Variant::k1x, 1, length));
        for (const bool dryRun : {false, true}) {
            Batch::Settings settings;
            settings.dryRun = dryRun;
            const Recorded run =
                folder.Convert({"bare1x.img", "full2x.img", "other1x.img"}, settings);
            const std::string missing = "boot-loader file not usable: cannot open " +
                                        (dir / "2x.bin").string() + ": No such file or directory";
            EXPECT_EQ(run.Reasons(), (std::vector<std::string>{
                                         missing,
                                         "boot-loader file " + (dir / "1x.bin").string() +
                                             " has the wrong length: " + std::to_string(length) +
                                             " bytes instead of 131072",
                                         missing}));
            for (const InputResult& result : run.results)
                EXPECT_EQ(result.failure->of, InputFailure::Of::BootLoader);
            EXPECT_EQ(run.results[0].failure->file->GetAction(), FileError::Action::Open);
            EXPECT_EQ(run.results[1].failure->file->GetCause(), FileError::Cause::WrongLength);
            EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()),
                      4);
        }
    }
}

// The window's steps come in its order, each byte of the boot loader once, each boot-loader file
// is read once, and every result comes in input order once its output has its name.
TEST(Batch, TellsItsStepsInOrderAndEachResultOnceItsOutputHasItsName) {
    const BatchFolder folder;
    WriteFile(folder.dir / "full.img", FullImage(false));
    Batch::Settings inMemory;
    inMemory.through = Batch::Through::Memory;
    const Recorded one = folder.Convert({"full.img"}, inMemory);
    EXPECT_EQ(one.steps, (std::vector<std::string>{"start 0", "loaded", "opened"}));
    EXPECT_EQ(one.copied, 0x20000u);
    ASSERT_EQ(one.results.size(), 1u);
    EXPECT_TRUE(one.results[0].written);
    EXPECT_EQ(ReadFile(folder.dir / "full(1xImage).img"),
              ExpectedOutput(FullImage(false), folder.bootLoader1x));

    std::vector<std::string> names;
    for (unsigned i = 0; i < 20; ++i) {
        names.push_back("in" + std::to_string(i) + ".img");
        WriteFile(folder.dir / names.back(), BareImage(i % 2 == 0, i));
    }
    const Recorded many = folder.Convert(names);
    ASSERT_EQ(many.results.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(many.results[i].input, (folder.dir / names[i]).string());
        EXPECT_TRUE(many.results[i].written) << names[i];
    }
    EXPECT_EQ(std::count(many.steps.begin(), many.steps.end(), "reported unnamed"), 0);
    EXPECT_EQ(std::count(many.steps.begin(), many.steps.end(), "opened"), 2) << "once a file";
}

TEST(BatchOutputs, FindTheSameNameAndNamesThatACaseBlindFileSystemMayTakeForIt) {
    BatchOutputs names;
    names.Add("/out/Box.img");
    names.Add("/out/b\xC3\xA4x.img");
    EXPECT_TRUE(names.Contains("/out/Box.img"));
    EXPECT_FALSE(names.Contains("/out/box.img"));
    EXPECT_EQ(names.AlikeTo("/out/box.img"), std::vector<std::string>{"/out/Box.img"});
    EXPECT_TRUE(names.AlikeTo("/out/Box.img").empty());
    EXPECT_EQ(names.AlikeTo("/out/B\xC3\x84X.img"),
              std::vector<std::string>{"/out/b\xC3\xA4x.img"});
    EXPECT_TRUE(names.AlikeTo("/out/Box.img2").empty());
    EXPECT_EQ(names.All().size(), 2u);
}

namespace {

// The reason a listing may not go to path, or "" where it may.
std::string RefusalOf(const std::filesystem::path& path, bool isFileOfTheRun = false) {
    try {
        ChecksumListing(path.string(),
                        [=](const std::filesystem::path&) { return isFileOfTheRun; });
        return "";
    } catch (const std::runtime_error& e) {
        return e.what();
    }
}

std::string Written(const std::filesystem::path& path) {
    std::string text;
    ChecksumListing listing(path.string(), [](const std::filesystem::path&) { return false; });
    listing.Add("/out/a(2xImage).img", std::string(64, 'a'));
    listing.Add("/out/new\nline.img", std::string(64, 'b'));
    listing.Write([&](const std::string& listed) { text = listed; });
    return text;
}

} // namespace

// A forgotten listing name must not take the place of an image, nor replace a device.
TEST(ChecksumListing, ReplacesOnlyAnEmptyFileOrAListingAndWritesToADeviceAsItIs) {
    const TestImages::TempDir dir;
    TestImages::WriteFile(dir / "box.img", TestImages::BareImage(true));
    TestImages::WriteFile(dir / "notes.txt", {'h', 'i', '\n'});
    TestImages::WriteFile(dir / "SUMS", {});
    for (const char* name : {"box.img", "notes.txt"})
        EXPECT_NE(RefusalOf(dir / name).find("neither empty nor a sha256sum listing"),
                  std::string::npos)
            << name;
    EXPECT_NE(RefusalOf(dir / "SUMS", true).find("it is an input"), std::string::npos);

    const std::string listing = std::string(64, 'a') + "  /out/a(2xImage).img\n\\" +
                                std::string(64, 'b') + "  /out/new\\nline.img\n";
    EXPECT_EQ(Written("-"), listing);
    EXPECT_EQ(Written(dir / "SUMS"), "");
    const TestImages::Bytes listed(listing.begin(), listing.end());
    EXPECT_EQ(TestImages::ReadFile(dir / "SUMS"), listed);
    EXPECT_EQ(RefusalOf(dir / "SUMS"), "") << "a listing is replaced by the next";

    // A link to a device stays a link; a FIFO gets the listing as its reader reads it.
    ASSERT_EQ(symlink("/dev/null", (dir / "null").c_str()), 0);
    EXPECT_EQ(Written(dir / "null"), "");
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "null"));
    ASSERT_EQ(mkfifo((dir / "fifo").c_str(), 0600), 0);
    TestImages::Bytes read;
    std::thread reader([&] { read = TestImages::ReadFile(dir / "fifo"); });
    EXPECT_EQ(Written(dir / "fifo"), "");
    reader.join();
    EXPECT_EQ(read, listed);
    EXPECT_EQ(std::filesystem::status(dir / "fifo").type(), std::filesystem::file_type::fifo);
}

// No free handle is no fault of a boot-loader file: info fails the input, not "unknown".
TEST(BootLoaderStore, NoFreeHandleIsAFailureNotAnUnusableFile) {
    const TestImages::TempDir dir;
    TestImages::WriteFile(dir / "1x.bin", TestImages::BootLoader(Variant::k1x, 1));
    BootLoaderStore store(dir.Path().string());
    struct NoProgress : BatchProgress {
        void Ended(const InputResult&) override {}
    } progress;
    // Every free handle taken, and given back however the test ends.
    struct HeldHandles {
        rlimit limit{};
        rlim_t before = 0;
        std::vector<int> held;
        HeldHandles() {
            getrlimit(RLIMIT_NOFILE, &limit);
            before = std::exchange(limit.rlim_cur, 64);
            setrlimit(RLIMIT_NOFILE, &limit);
            for (int fd; (fd = open("/dev/null", O_RDONLY)) >= 0;)
                held.push_back(fd);
        }
        ~HeldHandles() {
            for (const int fd : held)
                close(fd);
            limit.rlim_cur = before;
            setrlimit(RLIMIT_NOFILE, &limit);
        }
    } handles;
    EXPECT_THROW(store.Of(Variant::k1x, progress), FileError);
}

// A listing reads back as sha256sum reads it: escaped names, "*", a Windows line end; a bad line
// is known by its number, and a file without one listing line is no listing.
TEST(ChecksumListing, ReadsBackEscapedNamesAndNumbersItsBadLines) {
    const TempDir dir;
    const std::string a(64, 'a'), upper(64, 'B');
    const std::string text = Sha256Sums::Format("C:\\img\\box(2xImage).img", a) + upper +
                             " *new\nline.img\r\nnot a line\n" +
                             Sha256Sums::Format("two\nlines\r.img", a);
    WriteFile(dir / "SUMS", Bytes(text.begin(), text.end()));
    const auto entries = ChecksumListing::Read(dir / "SUMS");
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 5u);
    EXPECT_EQ((*entries)[0].line->name, "C:\\img\\box(2xImage).img");
    EXPECT_EQ((*entries)[0].line->sha256, a);
    EXPECT_EQ((*entries)[1].line->sha256, std::string(64, 'b')) << "hex in either case";
    EXPECT_EQ((*entries)[1].line->name, "new") << "a raw line feed ends the line";
    EXPECT_FALSE((*entries)[2].line);
    EXPECT_EQ((*entries)[3].number, 4u);
    EXPECT_FALSE((*entries)[3].line);
    EXPECT_EQ((*entries)[4].line->name, "two\nlines\r.img");
    WriteFile(dir / "image.img", BareImage(true));
    WriteFile(dir / "notes", {'h', 'i', '\n'});
    EXPECT_FALSE(ChecksumListing::Read(dir / "image.img"));
    EXPECT_FALSE(ChecksumListing::Read(dir / "notes"));
}

// A check reads the whole file only for its hash, and fails an image whose boot-loader area is
// not its own variant's file as the folder holds it, swapped or not.
TEST(Batch, ChecksEachFileAgainstItsHashAndItsAreaAgainstItsOwnVariantsFile) {
    const BatchFolder folder;
    const TempDir& dir = folder.dir;
    const Bytes converted = ExpectedOutput(BareImage(true), folder.bootLoader2x);
    const Bytes full = ExpectedOutput(FullImage(true), folder.bootLoader1x);
    WriteFile(dir / "out.img", converted);
    WriteFile(dir / "full.img", full);
    Bytes changed = converted;
    WriteFile(dir / "changed.img", (changed[0x1FFFF] ^= 1, changed));
    WriteFile(dir / "short.img", Bytes(100));
    const auto check = [&](const std::vector<std::pair<std::string, std::string>>& files) {
        std::vector<Batch::Input> inputs;
        for (const auto& [name, sha256] : files) {
            Batch::Input& input = inputs.emplace_back();
            input.name = (dir / name).string();
            input.expectedSha256 = sha256.empty() ? std::nullopt : std::optional(sha256);
            input.expectOwnBootLoader = true;
        }
        Batch::Settings settings;
        settings.bootLoaderFolder = dir.Path().string();
        Recorded recorded;
        Batch(settings, inputs).Check(recorded);
        return recorded;
    };
    const std::string fullHash = Sha256::HexOf(full.data(), full.size());
    const Recorded run = check({{"out.img", ""},
                                {"full.img", fullHash},
                                {"out.img", fullHash},
                                {"changed.img", ""},
                                {"short.img", fullHash}});
    EXPECT_EQ(run.Reasons(),
              (std::vector<std::string>{"", "", "computed checksum did NOT match",
                                        "boot-loader area is neither 1x.bin nor 2x.bin",
                                        "wrong length: 100 bytes; accepted are 8257536 (bare "
                                        "image) and 8388608 (full image)"}));
    EXPECT_EQ(run.results[1].sha256, fullHash);
    EXPECT_EQ(run.results[0].bootLoaderMatch, Variant::k2x);
    EXPECT_EQ(run.results[2].failure->of, InputFailure::Of::Check);
    EXPECT_EQ(run.results[4].failure->of, InputFailure::Of::Image);

    // Swapped files: the area is the bytes of the file named 2x.bin, whose signature is 1x's.
    WriteFile(dir / "1x.bin", folder.bootLoader2x);
    WriteFile(dir / "2x.bin", folder.bootLoader1x);
    const Recorded swapped = check({{"full.img", ""}});
    EXPECT_EQ(swapped.Reasons(),
              std::vector<std::string>{"boot-loader area is 2x.bin but the signature says 1x"});
    EXPECT_TRUE(swapped.results[0].uncompared.empty()) << "both files were compared";
}
