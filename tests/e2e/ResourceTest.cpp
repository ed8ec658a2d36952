// The resources stored in Keldarin.exe, read back from the file. The expected values are spelled
// out here on purpose, independently of the resource script. This is the one place the layout of
// both dialogs is pinned: the running windows are laid out from these templates by the system.
#include "DialogTemplate.h"
#include "ExeResources.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct ExpectedItem {
    std::uint32_t id;
    const char* className;
    DialogTemplate::Name text;
    DialogTemplate::Rect rect;
    std::uint32_t style;
    std::uint32_t exStyle;
};

// -1: 16 bits wide in a classic template, 32 bits in an extended one.
constexpr std::uint32_t kNoId = 0xFFFF;
constexpr std::uint32_t kNoIdEx = 0xFFFFFFFF;

DialogTemplate::Name Text(const char* text) {
    return {text, -1};
}
DialogTemplate::Name Ordinal(int id) {
    return {"", id};
}

// The predefined classes may be stored by number.
std::string ClassName(const DialogTemplate::Name& name) {
    static const char* const kPredefined[] = {"BUTTON",  "EDIT",      "STATIC",
                                              "LISTBOX", "SCROLLBAR", "COMBOBOX"};
    if (name.ordinal >= 0x80 && name.ordinal <= 0x85)
        return kPredefined[name.ordinal - 0x80];
    if (name.ordinal >= 0)
        return "#" + std::to_string(name.ordinal);
    return name.text;
}

std::string Describe(const DialogTemplate::Name& name) {
    return name.ordinal >= 0 ? "#" + std::to_string(name.ordinal) : "\"" + name.text + "\"";
}

void ExpectItems(const DialogTemplate& dialog, const std::vector<ExpectedItem>& expected) {
    ASSERT_EQ(dialog.items.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& item = dialog.items[i];
        const auto& want = expected[i];
        SCOPED_TRACE("control " + std::to_string(i) + " " + Describe(want.text));
        EXPECT_EQ(item.id, want.id);
        // Window classes are matched without regard to case.
        EXPECT_STRCASEEQ(ClassName(item.className).c_str(), want.className);
        EXPECT_EQ(item.text, want.text) << "got " << Describe(item.text);
        EXPECT_EQ(item.rect, want.rect) << "got " << item.rect.x << ", " << item.rect.y << ", "
                                        << item.rect.cx << ", " << item.rect.cy;
        EXPECT_EQ(item.style, want.style) << std::hex << "got 0x" << item.style;
        EXPECT_EQ(item.exStyle, want.exStyle) << std::hex << "got 0x" << item.exStyle;
        EXPECT_EQ(item.extraBytes, 0u);
    }
}

} // namespace

TEST(StoredResources, MainDialogTemplateIsExtendedWithItsCaptionFontStylesAndTenControls) {
    const ExeResources exe(KELDARIN_EXE);
    const auto dialog = DialogTemplate::Parse(exe.Bytes(RT_DIALOG, 102));

    EXPECT_TRUE(dialog.extended);
    EXPECT_EQ(dialog.caption, "Keldarin");
    EXPECT_EQ(dialog.rect, (DialogTemplate::Rect{0, 0, 137, 167}));
    EXPECT_EQ(dialog.style, 0x90CA00C0u) << std::hex << dialog.style;
    EXPECT_EQ(dialog.exStyle, 0x00040000u) << std::hex << dialog.exStyle;
    EXPECT_EQ(dialog.helpId, 0u);
    EXPECT_EQ(dialog.menu, Text(""));
    EXPECT_EQ(dialog.windowClass, Text(""));
    EXPECT_EQ(dialog.typeface, "Arial Black");
    EXPECT_EQ(dialog.pointSize, 8);
    EXPECT_EQ(dialog.weight, 0);
    EXPECT_EQ(dialog.italic, 0);
    EXPECT_EQ(dialog.charset, 1);

    ExpectItems(
        dialog,
        {
            {1000, "EDIT", Text(""), {15, 19, 85, 12}, 0x50810880, 0},
            {kNoIdEx, "STATIC", Text("Datei ausw\xE4hlen:"), {13, 7, 111, 9}, 0x50020001, 0x20},
            {kNoIdEx, "STATIC", Text("Info Fenster"), {13, 48, 111, 9}, 0x50020001, 0x20},
            {1003, "EDIT", Text(""), {17, 59, 103, 81}, 0x50B118C4, 0},
            {1004, "BUTTON", Text("Clonen"), {43, 146, 53, 15}, 0x50010000, 0},
            {1005, "BUTTON", Text("..."), {105, 19, 18, 12}, 0x50010F00, 0},
            {1007, "msctls_progress32", Text("Progress2"), {124, 59, 6, 81}, 0x50000005, 0},
            {1009, "msctls_progress32", Text("Progress2"), {7, 59, 6, 81}, 0x50000005, 0},
            {kNoIdEx, "STATIC", Text("Gesamt Status"), {7, 142, 32, 19}, 0x50020000, 0},
            {kNoIdEx, "STATIC", Text("Teil Status"), {107, 142, 23, 17}, 0x50020002, 0},
        });
}

TEST(StoredResources, AboutBoxTemplateIsClassicWithItsFourControlsAndTheApplicationIcon) {
    const ExeResources exe(KELDARIN_EXE);
    const auto dialog = DialogTemplate::Parse(exe.Bytes(RT_DIALOG, 100));

    EXPECT_FALSE(dialog.extended);
    EXPECT_EQ(dialog.caption, "Info \xFC"
                              "ber Keldarin");
    EXPECT_EQ(dialog.rect, (DialogTemplate::Rect{0, 0, 184, 55}));
    EXPECT_EQ(dialog.style, 0x80C800C0u) << std::hex << dialog.style;
    EXPECT_EQ(dialog.exStyle, 0u) << std::hex << dialog.exStyle;
    EXPECT_EQ(dialog.typeface, "MS Sans Serif");
    EXPECT_EQ(dialog.pointSize, 8);

    ASSERT_EQ(dialog.items.size(), 4u);
    // The second line's text is free; it must say something.
    EXPECT_FALSE(dialog.items[1].text.text.empty());
    const DialogTemplate::Name secondLine = dialog.items[1].text;
    ExpectItems(dialog,
                {
                    {kNoId, "STATIC", Text("Keldarin Version 1.1"), {39, 14, 88, 8}, 0x50020080, 0},
                    {kNoId, "STATIC", secondLine, {39, 29, 66, 8}, 0x50020000, 0},
                    {1, "BUTTON", Text("OK"), {129, 32, 48, 16}, 0x50030001, 0},
                    {kNoId, "STATIC", Ordinal(128), {13, 13, 20, 20}, 0x50000003, 0},
                });
}

TEST(StoredResources, SystemMenuTextIsInTheStringTable) {
    const ExeResources exe(KELDARIN_EXE);
    EXPECT_EQ(exe.String(101), "Inf&o \xFC"
                               "ber Keldarin...");
}

TEST(StoredResources, ApplicationIconHoldsItsThreeImages) {
    const ExeResources exe(KELDARIN_EXE);
    const auto group = exe.Bytes(RT_GROUP_ICON, 128);
    // GRPICONDIR: reserved, type 1 (icon), count; then 14-byte entries.
    ASSERT_GE(group.size(), 6u);
    EXPECT_EQ(group[2] | group[3] << 8, 1);
    const int count = group[4] | group[5] << 8;
    ASSERT_EQ(count, 3);
    ASSERT_EQ(group.size(), 6u + 14u * 3u);
    struct Image {
        int width, height, colours, bitsPerPixel;
        bool operator==(const Image& o) const {
            return width == o.width && height == o.height && colours == o.colours &&
                   bitsPerPixel == o.bitsPerPixel;
        }
    };
    std::vector<Image> images;
    for (int i = 0; i < count; ++i) {
        const unsigned char* entry = group.data() + 6 + 14 * i;
        images.push_back({entry[0], entry[1], entry[2], entry[6] | entry[7] << 8});
        // Every image the group names must be stored.
        const int imageId = entry[12] | entry[13] << 8;
        EXPECT_NO_THROW(exe.Bytes(RT_ICON, imageId)) << "image " << imageId;
    }
    // 256 colours are written as 0 in the colour count.
    EXPECT_EQ(images, (std::vector<Image>{{32, 32, 16, 4}, {16, 16, 16, 4}, {32, 32, 0, 8}}));
    EXPECT_TRUE(exe.Icon(128, 32));
    EXPECT_TRUE(exe.Icon(128, 16));
}
