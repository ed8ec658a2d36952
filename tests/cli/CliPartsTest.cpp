// The command-line tool's own rules, taken one by one.
#include "BootLoaderStore.h"
#include "ChecksumListing.h"
#include "FileError.h"
#include "Messages.h"
#include "OutputNames.h"
#include "TestImages.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

TEST(OneLine, EscapesC0C1AndDeleteButKeepsEveryOtherCharacter) {
    EXPECT_EQ(Messages::OneLine("a\nb\r\t\x1B[31m\x7F"), "a\\nb\\r\\t\\x1B[31m\\x7F");
    // U+009B and U+0085 as UTF-8, and raw bytes of the C1 range that are no UTF-8.
    EXPECT_EQ(Messages::OneLine("\xC2\x9B"
                                "2J \xC2\x85 \x9B"
                                "2J \x85"),
              "\\u009B2J \\u0085 \\x9B2J \\x85");
    // Umlauts in UTF-8 and in Latin-1, a CJK character and a character beyond the BMP.
    EXPECT_EQ(Messages::OneLine("Pr\xC3\xBC"
                                "f \xE4 \xE6\x97\xA5 \xF0\x9F\x98\x80"),
              "Pr\xC3\xBC"
              "f \xE4 \xE6\x97\xA5 \xF0\x9F\x98\x80");
    // A sequence cut short, an overlong form and a surrogate are no UTF-8 either.
    EXPECT_EQ(Messages::OneLine("\xE6\x97 \xC0\x9B \xED\xA0\x80"),
              "\xE6\\x97 \xC0\\x9B \xED\xA0\\x80");
}

TEST(OutputNames, FindTheSameNameAndNamesThatACaseBlindFileSystemMayTakeForIt) {
    OutputNames names;
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
    rlimit limit;
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &limit), 0);
    const rlim_t before = std::exchange(limit.rlim_cur, 64);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &limit), 0);
    std::vector<int> held;
    for (int fd; (fd = open("/dev/null", O_RDONLY)) >= 0;)
        held.push_back(fd);
    EXPECT_THROW(store.IfUsable(Variant::k1x), FileError);
    for (const int fd : held)
        close(fd);
    limit.rlim_cur = before;
    setrlimit(RLIMIT_NOFILE, &limit);
}
