#include "E2eFiles.h"
#include "KeldarinSession.h"

#include <gtest/gtest.h>

using E2eFiles::Place;
using TestImages::Bytes;

namespace {

// The expected log bytes are spelled out here on purpose, independently of the program's texts.
const std::string kRejected = "-> Datei hat die falsche groesse\r\n"
                              "    und wurde deshalb nicht\r\n"
                              "    ausgewaehlt!!!\r\n";

std::string Selected(const std::string& name, const std::string& length, const std::string& kind) {
    return "-> Neue Datei augew\xE4hlt\r\n    Name: " + name + "\r\n    Groesse: " + length +
           "\r\n    " + kind + "\r\n";
}

std::string Describe(const KeldarinSession::Outcome& outcome) {
    return outcome.box ? "message box \"" + outcome.box->text + "\"" : "no message box";
}

Bytes WithLetters(Bytes image, std::size_t offset, const char* letters) {
    for (std::size_t i = 0; i < 3; ++i)
        image[offset + i] = static_cast<unsigned char>(letters[i]);
    return image;
}

} // namespace

TEST(Selection, BareImageIsLoggedExactlyAndItsFullPathShown) {
    KeldarinSession session;
    const std::string box =
        Place(session.StartDir().Path(), "box.img", TestImages::BareImage(true));

    const auto outcome = session.Choose(box);

    ASSERT_TRUE(outcome.finished) << Describe(outcome);
    EXPECT_EQ(session.Log(), "-> Neue Datei augew\xE4hlt\r\n"
                             "    Name: box.img\r\n"
                             "    Groesse: 8257536\r\n"
                             "    1xImage (1to2)\r\n");
    EXPECT_EQ(session.PathBox(), box);
}

TEST(Selection, BareImageWithTheLettersOneByteLaterIs2x) {
    KeldarinSession session;
    Bytes image = WithLetters(TestImages::BareImage(false), 9, "tux");
    const std::string path = Place(session.StartDir().Path(), "late.img", image);

    ASSERT_TRUE(session.Choose(path).finished);

    EXPECT_EQ(session.Log(), Selected("late.img", "8257536", "2xImage (2to1)"));
}

TEST(Selection, FullImageIsClassifiedByTheLettersAtItsImagePartOffset) {
    KeldarinSession session;
    const auto& folder = session.StartDir().Path();
    const std::string at20009 = Place(folder, "a.img", TestImages::FullImage(true));
    const std::string at20008 =
        Place(folder, "b.img", WithLetters(TestImages::FullImage(false), 0x20008, "tux"));
    const std::string at8 =
        Place(folder, "c.img", WithLetters(TestImages::FullImage(false), 8, "tux"));

    ASSERT_TRUE(session.Choose(at20009).finished);
    ASSERT_TRUE(session.Choose(at20008).finished);
    ASSERT_TRUE(session.Choose(at8).finished);

    EXPECT_EQ(session.Log(), Selected("a.img", "8388608", "1xImage (1to2)") +
                                 Selected("b.img", "8388608", "2xImage (2to1)") +
                                 Selected("c.img", "8388608", "2xImage (2to1)"));
    EXPECT_EQ(session.PathBox(), at8);
}

TEST(Selection, LengthsOneByteOffEitherKindAreRejectedAndClearTheSelection) {
    KeldarinSession session;
    const auto& folder = session.StartDir().Path();
    const std::string good = Place(folder, "good.img", TestImages::BareImage(true));
    ASSERT_TRUE(session.Choose(good).finished);
    std::string expectedLog = session.Log();

    for (std::size_t length : {0x7DFFFF, 0x7E0001, 0x7FFFFF, 0x800001}) {
        SCOPED_TRACE(length);
        const std::string odd = Place(folder, "odd.img", TestImages::Pattern(length, 5));
        ASSERT_TRUE(session.Choose(odd).finished);
        expectedLog += kRejected;
        EXPECT_EQ(session.Log(), expectedLog);
        EXPECT_EQ(session.PathBox(), "");
    }

    // The rejected choice cancelled the earlier, good one.
    const auto clone = session.Clone();
    ASSERT_TRUE(clone.box);
    EXPECT_EQ(clone.box->text, "Keine Datei ausgew\xE4hlt!");
    EXPECT_TRUE(session.Answer(*clone.box).finished);
}

TEST(Selection, CancelledDialogKeepsTheSelectionAndLogsNothing) {
    KeldarinSession session;
    const auto& folder = session.StartDir().Path();
    const std::string box = Place(folder, "box.img", TestImages::BareImage(true));
    ASSERT_TRUE(session.Choose(box).finished);
    const std::string log = session.Log();

    ASSERT_TRUE(session.CancelChoice().finished);

    EXPECT_EQ(session.Log(), log);
    EXPECT_EQ(session.PathBox(), box);
    ASSERT_TRUE(session.Clone().finished);
    EXPECT_TRUE(std::filesystem::exists(folder / "box(2xImage).img"));
}

TEST(Selection, PercentSignsInANameAreLoggedLiterally) {
    KeldarinSession session;
    const std::string name = "100%d %s %% x.img";
    const std::string path = Place(session.StartDir().Path(), name, TestImages::BareImage(true));

    ASSERT_TRUE(session.Choose(path).finished);

    EXPECT_EQ(session.Log(), Selected(name, "8257536", "1xImage (1to2)"));
    EXPECT_EQ(session.PathBox(), path);
}

TEST(Selection, FileHeldOpenOrMissingGivesAFileErrorAndKeepsThePreviousSelection) {
    KeldarinSession session;
    const auto& folder = session.StartDir().Path();
    const Bytes image = TestImages::BareImage(true);
    const std::string box = Place(folder, "box.img", image);
    const std::string held = Place(folder, "held.img", TestImages::FullImage(false));
    ASSERT_TRUE(session.Choose(box).finished);
    const std::string log = session.Log();
    const WindowDriver::HeldFile holder(held);

    // A file held open without sharing by another program, and a typed name of no file.
    for (const std::string& bad : {held, (folder / "missing.img").string()}) {
        SCOPED_TRACE(bad);
        const auto outcome = session.Choose(bad);
        ASSERT_TRUE(outcome.box) << "no file error";
        EXPECT_EQ(outcome.box->caption, "Keldarin");
        EXPECT_EQ(outcome.box->icon, WindowDriver::Icon::Exclamation);
        EXPECT_NE(outcome.box->text.find(bad), std::string::npos) << outcome.box->text;
        EXPECT_TRUE(session.Answer(*outcome.box).finished);
        EXPECT_EQ(session.PathBox(), box);
        EXPECT_EQ(session.Log(), log);
    }

    // The previous selection, a bare 1x image, is still the one that is converted.
    ASSERT_TRUE(session.Clone().finished);
    EXPECT_EQ(TestImages::ReadFile(folder / "box(2xImage).img"),
              TestImages::ExpectedOutput(image, session.BootLoader2x()));
}

TEST(Selection, FileWithoutExtensionIsAcceptedAndItsOutputLiesBesideIt) {
    KeldarinSession session;
    const auto& folder = session.StartDir().Path();
    ASSERT_EQ(folder.string().find('.'), std::string::npos)
        << "the test needs a folder without dots";
    const Bytes input = TestImages::BareImage(true);
    const std::string path = Place(folder, "box", input);

    ASSERT_TRUE(session.Choose(path).finished);
    EXPECT_EQ(session.Log(), Selected("box", "8257536", "1xImage (1to2)"));
    EXPECT_EQ(session.PathBox(), path);

    ASSERT_TRUE(session.Clone().finished);
    EXPECT_EQ(TestImages::ReadFile(folder / "box(2xImage)"),
              TestImages::ExpectedOutput(input, session.BootLoader2x()));
}
