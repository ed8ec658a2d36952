#include "E2eFiles.h"
#include "KeldarinSession.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>

using E2eFiles::Listing;
using E2eFiles::Place;
using TestImages::Bytes;
using Icon = WindowDriver::Icon;
namespace fs = std::filesystem;

namespace {

const std::string kStripped = "tmp(ohneBL).img";
const std::string kDone = "-> Clonen abgeschlossen!";

// A message box with the stop icon and this text, and no second box after it.
void ExpectOnlyStopBox(KeldarinSession& session, const KeldarinSession::Outcome& outcome,
                       const std::string& text) {
    ASSERT_TRUE(outcome.box) << "no message box";
    EXPECT_EQ(outcome.box->caption, "Keldarin");
    EXPECT_EQ(outcome.box->text, text);
    EXPECT_EQ(outcome.box->icon, Icon::Stop);
    const auto after = session.Answer(*outcome.box);
    EXPECT_FALSE(after.box) << "second message box: " << after.box->text;
    EXPECT_TRUE(after.finished);
}

// The framework's report of a failed file operation on the named file; after it, nothing more.
void ExpectOnlyFileError(KeldarinSession& session, const KeldarinSession::Outcome& outcome,
                         const std::string& named) {
    ASSERT_TRUE(outcome.box) << "no file error reported";
    EXPECT_EQ(outcome.box->caption, "Keldarin");
    EXPECT_EQ(outcome.box->icon, Icon::Exclamation);
    EXPECT_NE(outcome.box->text.find(named), std::string::npos)
        << "\"" << outcome.box->text << "\" does not name " << named;
    const auto after = session.Answer(*outcome.box);
    EXPECT_FALSE(after.box) << "second message box: " << after.box->text;
    EXPECT_TRUE(after.finished);
}

} // namespace

TEST(CloneError, NothingSelectedShowsOnlyTheStopBox) {
    KeldarinSession session;
    const auto before = Listing(session.StartDir().Path());

    ExpectOnlyStopBox(session, session.Clone(), "Keine Datei ausgew\xE4hlt!");

    EXPECT_EQ(session.Log(), "");
    EXPECT_EQ(Listing(session.StartDir().Path()), before);
    EXPECT_EQ(session.TotalMeterLimit(), 10);
}

// A full image has been stripped when the boot loader turns out missing: its stripped file stays.
TEST(CloneError, MissingBootLoaderShowsOneBoxAndChangesNothingButTheStrippedFile) {
    struct Case {
        const char* what;
        Bytes input;
        std::string entries;
        std::set<std::string> startDir;
    };
    const std::vector<Case> cases = {
        {"bare image", TestImages::BareImage(true), "", {"1x.bin"}},
        {"full image",
         TestImages::FullImage(true),
         "-> BootLoader wurde entfernt!\r\n",
         {"1x.bin", kStripped}},
    };
    for (const Case& missing : cases) {
        SCOPED_TRACE(missing.what);
        KeldarinSession session;
        TestImages::TempDir images("keldarin-e2e-images");
        ASSERT_TRUE(session.Choose(Place(images.Path(), "box.img", missing.input)).finished);
        fs::remove(session.StartDir() / "2x.bin");
        const std::string log = session.Log();

        ExpectOnlyStopBox(session, session.Clone(),
                          "BL-Datei konnte nicht ge\xF6"
                          "ffnet werden");

        EXPECT_EQ(session.Log(), log + missing.entries);
        EXPECT_EQ(Listing(session.StartDir().Path()), missing.startDir);
        EXPECT_EQ(Listing(images.Path()), std::set<std::string>{"box.img"});
        EXPECT_EQ(TestImages::ReadFile(images / "box.img"), missing.input);
        EXPECT_EQ(session.TotalMeter(), 2);
    }
}

TEST(CloneError, BootLoaderOneByteOffOrOfTheOtherVariantIsLoggedAndNothingIsWritten) {
    using TestImages::BootLoader;
    struct Case {
        const char* bootLoader;
        Bytes content;
        Bytes input;
        std::string entries;
    };
    const std::string stripped = "-> BootLoader wurde entfernt!\r\n";
    // The two entries differ in one letter, Falsche and Falscher. A file of the other variant
    // (the two swapped) would write an output whose signature contradicts its name.
    const std::vector<Case> cases = {
        {"1x.bin", BootLoader(Variant::k1x, 1, 0x1FFFF), TestImages::FullImage(false),
         stripped + "-> Falscher Bootloader Datei!\r\n"},
        {"1x.bin", BootLoader(Variant::k1x, 1, 0x20001), TestImages::FullImage(false),
         stripped + "-> Falscher Bootloader Datei!\r\n"},
        {"2x.bin", BootLoader(Variant::k2x, 1, 0x1FFFF), TestImages::BareImage(true),
         "-> Falsche Bootloader Datei!\r\n"},
        {"1x.bin", BootLoader(Variant::k2x, 1), TestImages::FullImage(false),
         stripped + "-> Falscher Bootloader Datei!\r\n"},
        {"2x.bin", BootLoader(Variant::k1x, 1), TestImages::BareImage(true),
         "-> Falsche Bootloader Datei!\r\n"},
    };
    for (const Case& wrong : cases) {
        SCOPED_TRACE(std::string(wrong.bootLoader) + " of " + std::to_string(wrong.content.size()) +
                     " starting " +
                     std::string(wrong.content.begin() + 8, wrong.content.begin() + 11));
        KeldarinSession session;
        TestImages::TempDir images("keldarin-e2e-images");
        TestImages::WriteFile(session.StartDir() / wrong.bootLoader, wrong.content);
        ASSERT_TRUE(session.Choose(Place(images.Path(), "box.img", wrong.input)).finished);
        const std::string log = session.Log();

        const auto outcome = session.Clone();

        ASSERT_TRUE(outcome.finished) << "unexpected message box";
        EXPECT_EQ(session.Log(), log + wrong.entries);
        EXPECT_EQ(Listing(images.Path()), std::set<std::string>{"box.img"});
        EXPECT_FALSE(fs::exists(session.StartDir() / kStripped));
        EXPECT_EQ(session.TotalMeter(), 2);
        EXPECT_EQ(TestImages::ReadFile(images / "box.img"), wrong.input);
    }
}

TEST(CloneError, ImageChangedAfterItsSelectionIsReportedAndNotConverted) {
    struct Change {
        const char* what;
        Bytes input;
        std::function<void(const fs::path&)> apply;
    };
    const std::vector<Change> changes = {
        {"deleted", TestImages::BareImage(true), [](const fs::path& p) { fs::remove(p); }},
        {"bare image shortened", TestImages::BareImage(true),
         [](const fs::path& p) { fs::resize_file(p, 0x7E0000 - 1); }},
        {"bare image lengthened", TestImages::BareImage(true),
         [](const fs::path& p) { fs::resize_file(p, 0x7E0000 + 1); }},
        {"full image shortened", TestImages::FullImage(false),
         [](const fs::path& p) { fs::resize_file(p, 0x800000 - 1); }},
        {"full image lengthened", TestImages::FullImage(false),
         [](const fs::path& p) { fs::resize_file(p, 0x800000 + 1); }},
        {"bare image rewritten as 2x", TestImages::BareImage(true),
         [](const fs::path& p) { TestImages::WriteFile(p, TestImages::BareImage(false)); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        KeldarinSession session;
        TestImages::TempDir images("keldarin-e2e-images");
        const std::string path = Place(images.Path(), "box.img", change.input);
        ASSERT_TRUE(session.Choose(path).finished);
        change.apply(images / "box.img");
        const auto before = Listing(images.Path());
        const std::string log = session.Log();

        ExpectOnlyFileError(session, session.Clone(), path);

        EXPECT_EQ(Listing(images.Path()), before);
        EXPECT_EQ(session.Log().find(kDone, log.size()), std::string::npos);
    }
}

// Root ignores permission bits: the folders are a read-only and a nearly full tmpfs, mounted by
// the test fixture (which needs root) with a bare 1x image "box.img" already inside.
class CloneIntoMountedFolder : public ::testing::TestWithParam<const char*> {};

TEST_P(CloneIntoMountedFolder, FailsWithAFileErrorAndLeavesNoFileBehind) {
    const char* mounts = std::getenv("KELDARIN_E2E_MOUNTS");
    if (!mounts)
        GTEST_SKIP() << "KELDARIN_E2E_MOUNTS is not set: mounting the folders needs root";
    const fs::path folder = WindowDriver::WindowsPath(fs::path(mounts) / GetParam());
    ASSERT_TRUE(fs::exists(folder / "box.img")) << folder << " is not prepared";
    KeldarinSession session;
    const std::string image = (folder / "box.img").string();
    const Bytes input = TestImages::ReadFile(image);
    ASSERT_TRUE(session.Choose(image).finished);
    const std::string log = session.Log();

    ExpectOnlyFileError(session, session.Clone(), folder.string());

    EXPECT_EQ(session.Log().find(kDone, log.size()), std::string::npos);
    EXPECT_EQ(Listing(folder), std::set<std::string>{"box.img"});
    EXPECT_EQ(TestImages::ReadFile(image), input);
}

INSTANTIATE_TEST_SUITE_P(Mounts, CloneIntoMountedFolder, ::testing::Values("ro", "full"),
                         [](const auto& info) { return std::string(info.param); });

// Outputs that cannot be written and a boot-loader name that is a folder: each is reported,
// nothing is left behind and nothing earlier is lost; the window then converts as before and
// the temporary of a killed earlier run in the output folder is gone.
TEST(CloneError, UnwritableOutputsAndAFolderAsBootLoaderAreReportedAndLoseNothing) {
    KeldarinSession session;
    TestImages::TempDir images("keldarin-e2e-images");
    const Bytes input = TestImages::BareImage(true);
    const std::string output = (images / "box(2xImage).img").string();
    const Bytes earlier = TestImages::Pattern(0x1000, 4);
    std::optional<WindowDriver::HeldFile> holder;
    struct Case {
        const char* what;
        std::string named;
        std::function<void()> prepare, undo;
    };
    const std::vector<Case> cases = {
        {"output is a folder", output, [&] { fs::create_directory(output); }, [] {}},
        {"output is read-only", output,
         [&] {
             Place(images.Path(), "box(2xImage).img", earlier);
             ::SetFileAttributesA(output.c_str(), FILE_ATTRIBUTE_READONLY);
         },
         [&] { ::SetFileAttributesA(output.c_str(), FILE_ATTRIBUTE_NORMAL); }},
        {"output is held open by another program", output,
         [&] {
             Place(images.Path(), "box(2xImage).img", earlier);
             holder.emplace(output);
         },
         [&] { holder.reset(); }},
        {"boot loader is a folder", "2x.bin",
         [&] {
             fs::remove(session.StartDir() / "2x.bin"),
                 fs::create_directory(session.StartDir() / "2x.bin");
         },
         [&] {
             fs::remove(session.StartDir() / "2x.bin"),
                 TestImages::WriteFile(session.StartDir() / "2x.bin",
                                       TestImages::BootLoader(Variant::k2x, 2));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(session.Choose(Place(images.Path(), "box.img", input)).finished);
        c.prepare();
        const auto before = Listing(images.Path());
        const std::string log = session.Log();
        ExpectOnlyFileError(session, session.Clone(), c.named);
        EXPECT_EQ(session.Log().find(kDone, log.size()), std::string::npos)
            << "the failed clone was logged as done";
        EXPECT_EQ(Listing(images.Path()), before);
        c.undo();
        EXPECT_EQ(TestImages::ReadFile(images / "box.img"), input);
        if (fs::is_regular_file(output)) {
            EXPECT_EQ(TestImages::ReadFile(output), earlier);
        }
        fs::remove(output);
        fs::remove(images / "box.img");
    }

    Place(images.Path(), ".kdn0badcafe.tmp", Bytes(10, 0));
    ASSERT_TRUE(session.Choose(Place(images.Path(), "box.img", input)).finished);
    ASSERT_TRUE(session.Clone().finished);
    EXPECT_EQ(Listing(images.Path()), (std::set<std::string>{"box(2xImage).img", "box.img"}));
}
