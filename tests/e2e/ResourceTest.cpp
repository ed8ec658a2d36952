// The resources stored in Keldarin.exe, read back from the file: what a user sees of both dialogs
// (texts byte-exact, which control is which, the styles that change how it looks or behaves) and
// a layout in which no control covers another. Expected values are spelled out on purpose,
// independently of the resource script.
#include "DialogTemplate.h"
#include "ExeResources.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

struct ExpectedItem {
    std::uint32_t id;
    const char* className;
    std::optional<DialogTemplate::Name> text; // none: a text of its own, not empty
    std::uint32_t style;                      // the control's own style bits, the low word
};

// -1: 16 bits wide in a classic template, 32 bits in an extended one.
constexpr std::uint32_t kNoId = 0xFFFF;
constexpr std::uint32_t kNoIdEx = 0xFFFFFFFF;

DialogTemplate::Name Text(const char* text) {
    return {text, -1};
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

bool Overlap(const DialogTemplate::Rect& a, const DialogTemplate::Rect& b) {
    return a.x < b.x + b.cx && b.x < a.x + a.cx && a.y < b.y + b.cy && b.y < a.y + a.cy;
}

// Every control visible, enabled, inside the dialog and clear of every other one.
void ExpectItems(const DialogTemplate& dialog, const std::vector<ExpectedItem>& expected) {
    ASSERT_EQ(dialog.items.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const auto& item = dialog.items[i];
        const auto& want = expected[i];
        SCOPED_TRACE("control " + std::to_string(i) + " \"" + item.text.text + "\"");
        EXPECT_EQ(item.id, want.id);
        // Window classes are matched without regard to case.
        EXPECT_STRCASEEQ(ClassName(item.className).c_str(), want.className);
        if (want.text) {
            EXPECT_EQ(item.text.text, want.text->text);
            EXPECT_EQ(item.text.ordinal, want.text->ordinal);
        } else {
            EXPECT_FALSE(item.text.text.empty());
        }
        EXPECT_EQ(item.style & 0xFFFF, want.style) << std::hex << "got 0x" << item.style;
        EXPECT_EQ(item.style & (WS_VISIBLE | WS_DISABLED), static_cast<DWORD>(WS_VISIBLE));
        const auto& r = item.rect;
        EXPECT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.cx <= dialog.rect.cx &&
                    r.y + r.cy <= dialog.rect.cy);
        for (std::size_t j = i + 1; j < expected.size(); ++j)
            EXPECT_FALSE(Overlap(r, dialog.items[j].rect)) << "covers control " << j;
    }
}

constexpr DWORD kFrame = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;

} // namespace

TEST(StoredResources, MainDialogHasItsCaptionFontTextsAndTenControls) {
    const ExeResources exe(KELDARIN_EXE);
    const auto dialog = DialogTemplate::Parse(exe.Bytes(RT_DIALOG, 102));

    EXPECT_EQ(dialog.caption, "Keldarin");
    // A system menu for the About entry and a minimize box; a fixed size.
    EXPECT_EQ(dialog.style & kFrame, static_cast<DWORD>(WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX));
    EXPECT_EQ(dialog.typeface, "Arial Black");
    EXPECT_EQ(dialog.pointSize, 8);

    const DWORD meter = PBS_VERTICAL | PBS_SMOOTH;
    ExpectItems(dialog,
                {
                    {1000, "EDIT", Text(""), ES_READONLY | ES_AUTOHSCROLL},
                    {kNoIdEx, "STATIC", Text("Datei ausw\xE4hlen:"), SS_CENTER},
                    {kNoIdEx, "STATIC", Text("Info Fenster"), SS_CENTER},
                    {1003, "EDIT", Text(""),
                     ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY | ES_WANTRETURN},
                    {1004, "BUTTON", Text("Clonen"), BS_PUSHBUTTON},
                    {1005, "BUTTON", Text("..."), BS_CENTER | BS_VCENTER},
                    {1007, "msctls_progress32", Text("Progress2"), meter},
                    {1009, "msctls_progress32", Text("Progress2"), meter},
                    {kNoIdEx, "STATIC", Text("Gesamt Status"), SS_LEFT},
                    {kNoIdEx, "STATIC", Text("Teil Status"), SS_RIGHT},
                });
    // The total meter stands left of the info window, the part meter right of it.
    EXPECT_LT(dialog.items[7].rect.x, dialog.items[3].rect.x);
    EXPECT_GT(dialog.items[6].rect.x, dialog.items[3].rect.x);
}

TEST(StoredResources, AboutBoxHasItsCaptionVersionOkAndTheApplicationIcon) {
    const ExeResources exe(KELDARIN_EXE);
    const auto dialog = DialogTemplate::Parse(exe.Bytes(RT_DIALOG, 100));

    EXPECT_EQ(dialog.caption, "Info \xFC"
                              "ber Keldarin");
    EXPECT_EQ(dialog.style & kFrame, static_cast<DWORD>(WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ(dialog.typeface, "MS Sans Serif");
    EXPECT_EQ(dialog.pointSize, 8);

    ExpectItems(dialog, {
                            {kNoId, "STATIC", Text("Keldarin Version 1.1"), SS_NOPREFIX},
                            {kNoId, "STATIC", std::nullopt, SS_LEFT}, // free text
                            {IDOK, "BUTTON", Text("OK"), BS_DEFPUSHBUTTON},
                            {kNoId, "STATIC", DialogTemplate::Name{"", 128}, SS_ICON},
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
