#include "E2eFiles.h"
#include "KeldarinSession.h"

#include <gtest/gtest.h>

#include <cstdlib>

using E2eFiles::Place;
using TestImages::Bytes;
namespace fs = std::filesystem;

namespace {

const std::string kStripped = "tmp(ohneBL).img";
const std::string kDone = "-> Clonen abgeschlossen!\r\n";
const std::string kRemoved = "-> BootLoader wurde entfernt!\r\n";

std::string Describe(const KeldarinSession::Outcome& outcome) {
    return outcome.box ? "message box \"" + outcome.box->text + "\"" : "no message box";
}

void ExpectMetersAtTheEnd(const KeldarinSession& session) {
    EXPECT_EQ(session.TotalMeter(), 10);
    EXPECT_EQ(session.TotalMeterLimit(), 10);
    EXPECT_EQ(session.PartMeter(), 0x1FFFF);
    EXPECT_EQ(session.PartMeterLimit(), 0x1FFFF);
}

} // namespace

// A full image is stripped first; its output ends in the zero byte its image part lacks.
TEST(Clone, Bare1xAndFull2xImagesBecomeTheOtherVariantBesideThem) {
    struct Case {
        const char* what;
        Bytes input;
        const char* output;
        bool to2x;
        std::string entries;
    };
    const std::vector<Case> cases = {
        {"bare 1x", TestImages::BareImage(true), "box(2xImage).img", true, kDone},
        {"full 2x", TestImages::FullImage(false), "box(1xImage).img", false, kRemoved + kDone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KeldarinSession session;
        const auto& folder = session.StartDir().Path();
        ASSERT_TRUE(session.Choose(Place(folder, "box.img", c.input)).finished);
        const std::string log = session.Log();

        const auto outcome = session.Clone();

        ASSERT_TRUE(outcome.finished) << Describe(outcome);
        EXPECT_EQ(TestImages::ReadFile(folder / c.output),
                  TestImages::ExpectedOutput(c.input, c.to2x ? session.BootLoader2x()
                                                             : session.BootLoader1x()));
        EXPECT_EQ(session.Log(), log + c.entries);
        ExpectMetersAtTheEnd(session);
        EXPECT_FALSE(fs::exists(folder / kStripped));
        EXPECT_EQ(TestImages::ReadFile(folder / "box.img"), c.input);
    }
}

// Images travel on USB sticks: an exFAT through its FUSE driver, mounted by the test fixture.
TEST(Clone, FullImageOnAnExfatStickBecomesTheOtherVariantBesideIt) {
    const char* mounts = std::getenv("KELDARIN_E2E_MOUNTS");
    if (!mounts)
        GTEST_SKIP() << "KELDARIN_E2E_MOUNTS is not set: mounting the folders needs root";
    const fs::path folder = WindowDriver::WindowsPath(fs::path(mounts) / "exfat");
    if (!fs::is_directory(folder))
        GTEST_SKIP() << "no exFAT driver here: the test fixture says why";
    KeldarinSession session;
    const Bytes input = TestImages::FullImage(false, 5);
    ASSERT_TRUE(session.Choose(Place(folder, "stick.img", input)).finished);

    const auto outcome = session.Clone();

    ASSERT_TRUE(outcome.finished) << Describe(outcome);
    EXPECT_EQ(TestImages::ReadFile(folder / "stick(1xImage).img"),
              TestImages::ExpectedOutput(input, session.BootLoader1x()));
    EXPECT_EQ(TestImages::ReadFile(folder / "stick.img"), input);
    EXPECT_EQ(E2eFiles::Listing(folder),
              (std::set<std::string>{"stick.img", "stick(1xImage).img"}));
}

TEST(Clone, SecondCloneOverwritesTheFirstOutput) {
    KeldarinSession session;
    const auto& folder = session.StartDir().Path();
    const Bytes input = TestImages::FullImage(true);
    ASSERT_TRUE(session.Choose(Place(folder, "box.img", input)).finished);
    ASSERT_TRUE(session.Clone().finished);
    TestImages::WriteFile(folder / "box(2xImage).img", TestImages::Pattern(0x7E0100, 9));

    ASSERT_TRUE(session.Clone().finished);

    EXPECT_EQ(TestImages::ReadFile(folder / "box(2xImage).img"),
              TestImages::ExpectedOutput(input, session.BootLoader2x()));
}

TEST(Clone, BootLoadersComeFromTheStartDirectoryAfterTheDialogOpenedAnotherFolder) {
    KeldarinSession session;
    TestImages::TempDir elsewhere("keldarin-e2e-other");
    // Boot-loader files beside the image must not be taken.
    TestImages::WriteFile(elsewhere / "1x.bin", TestImages::BootLoader(Variant::k1x, 7));
    TestImages::WriteFile(elsewhere / "2x.bin", TestImages::BootLoader(Variant::k2x, 8));
    const Bytes bare = TestImages::BareImage(true);
    const Bytes full = TestImages::FullImage(false);
    ASSERT_TRUE(session.Choose(Place(elsewhere.Path(), "bare.img", bare)).finished);
    ASSERT_TRUE(session.Clone().finished);
    ASSERT_TRUE(session.Choose(Place(elsewhere.Path(), "full.img", full)).finished);
    ASSERT_TRUE(session.Clone().finished);

    EXPECT_EQ(TestImages::ReadFile(elsewhere / "bare(2xImage).img"),
              TestImages::ExpectedOutput(bare, session.BootLoader2x()));
    EXPECT_EQ(TestImages::ReadFile(elsewhere / "full(1xImage).img"),
              TestImages::ExpectedOutput(full, session.BootLoader1x()));
    EXPECT_FALSE(fs::exists(elsewhere / kStripped));
    EXPECT_FALSE(fs::exists(session.StartDir() / kStripped));
}

TEST(Clone, LeftoverStrippedFileStaysWithoutASelectionAndGoesWithOne) {
    KeldarinSession session;
    const auto& folder = session.StartDir().Path();
    TestImages::WriteFile(folder / kStripped, TestImages::Pattern(1000, 3));

    const auto refused = session.Clone();
    ASSERT_TRUE(refused.box);
    ASSERT_TRUE(session.Answer(*refused.box).finished);
    EXPECT_TRUE(fs::exists(folder / kStripped));

    ASSERT_TRUE(session.Choose(Place(folder, "box.img", TestImages::BareImage(true))).finished);
    ASSERT_TRUE(session.Clone().finished);
    EXPECT_FALSE(fs::exists(folder / kStripped));
}

TEST(Clone, ChosenImageNamedLikeTheStrippedFileIsConvertedAndLeftAsItWas) {
    KeldarinSession session;
    const auto& folder = session.StartDir().Path();
    const Bytes input = TestImages::FullImage(false);
    ASSERT_TRUE(session.Choose(Place(folder, kStripped, input)).finished);
    const std::string log = session.Log();

    const auto outcome = session.Clone();

    ASSERT_TRUE(outcome.finished) << Describe(outcome);
    EXPECT_EQ(session.Log(), log + kRemoved + kDone);
    ASSERT_TRUE(fs::exists(folder / kStripped)) << "the chosen image was deleted";
    EXPECT_EQ(TestImages::ReadFile(folder / kStripped), input);
    EXPECT_EQ(TestImages::ReadFile(folder / "tmp(ohneBL)(1xImage).img"),
              TestImages::ExpectedOutput(input, session.BootLoader1x()));
}
