#include "DialogTemplate.h"

#include <windows.h>

#include <stdexcept>

namespace {

constexpr std::uint32_t kSetFont = 0x40;   // DS_SETFONT
constexpr std::uint32_t kShellFont = 0x48; // DS_SHELLFONT

class Reader {
public:
    explicit Reader(const std::vector<unsigned char>& bytes) : m_bytes(bytes) {}

    std::uint16_t Word() { return static_cast<std::uint16_t>(Take(2)); }
    std::uint32_t Dword() { return static_cast<std::uint32_t>(Take(4)); }
    int Short() { return static_cast<std::int16_t>(Word()); }
    int Byte() { return static_cast<int>(Take(1)); }

    // A zero-terminated UTF-16 string.
    std::string Text() {
        std::wstring wide;
        for (wchar_t c = static_cast<wchar_t>(Word()); c; c = static_cast<wchar_t>(Word()))
            wide.push_back(c);
        return ToWindows1252(wide);
    }

    // 0x0000: empty; 0xFFFF and a number; otherwise a string.
    DialogTemplate::Name Name() {
        DialogTemplate::Name name;
        const std::uint16_t first = Peek();
        if (first == 0xFFFF) {
            Word();
            name.ordinal = Word();
        } else {
            name.text = Text();
        }
        return name;
    }

    DialogTemplate::Rect Rect() {
        DialogTemplate::Rect rect;
        rect.x = Short();
        rect.y = Short();
        rect.cx = Short();
        rect.cy = Short();
        return rect;
    }

    void AlignToDword() { m_at = (m_at + 3) & ~static_cast<std::size_t>(3); }
    void Skip(std::size_t count) {
        Need(count);
        m_at += count;
    }

private:
    static std::string ToWindows1252(const std::wstring& wide) {
        if (wide.empty())
            return {};
        std::string bytes(wide.size() * 2, '\0');
        BOOL lossy = FALSE;
        const int written = WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, wide.data(),
                                                static_cast<int>(wide.size()), bytes.data(),
                                                static_cast<int>(bytes.size()), nullptr, &lossy);
        if (lossy)
            throw std::runtime_error("a template text is not Windows-1252");
        bytes.resize(static_cast<std::size_t>(written));
        return bytes;
    }

    std::uint16_t Peek() {
        Need(2);
        return static_cast<std::uint16_t>(m_bytes[m_at] | m_bytes[m_at + 1] << 8);
    }

    std::uint64_t Take(std::size_t count) {
        Need(count);
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < count; ++i)
            value |= static_cast<std::uint64_t>(m_bytes[m_at + i]) << (8 * i);
        m_at += count;
        return value;
    }

    void Need(std::size_t count) const {
        if (m_at + count > m_bytes.size())
            throw std::runtime_error("the dialog template ends early");
    }

    const std::vector<unsigned char>& m_bytes;
    std::size_t m_at = 0;
};

DialogTemplate::Item ReadItem(Reader& in, bool extended) {
    DialogTemplate::Item item;
    in.AlignToDword();
    if (extended) {
        item.helpId = in.Dword();
        item.exStyle = in.Dword();
        item.style = in.Dword();
    } else {
        item.style = in.Dword();
        item.exStyle = in.Dword();
    }
    item.rect = in.Rect();
    item.id = extended ? in.Dword() : in.Word();
    item.className = in.Name();
    item.text = in.Name();
    item.extraBytes = in.Word();
    in.Skip(item.extraBytes);
    return item;
}

} // namespace

DialogTemplate DialogTemplate::Parse(const std::vector<unsigned char>& bytes) {
    Reader in(bytes);
    DialogTemplate dialog;
    dialog.extended =
        bytes.size() >= 4 && bytes[0] == 1 && bytes[1] == 0 && bytes[2] == 0xFF && bytes[3] == 0xFF;
    if (dialog.extended) {
        in.Dword(); // version and signature
        dialog.helpId = in.Dword();
        dialog.exStyle = in.Dword();
        dialog.style = in.Dword();
    } else {
        dialog.style = in.Dword();
        dialog.exStyle = in.Dword();
    }
    const int count = in.Word();
    dialog.rect = in.Rect();
    dialog.menu = in.Name();
    dialog.windowClass = in.Name();
    dialog.caption = in.Text();
    if ((dialog.style & kSetFont) == kSetFont || (dialog.style & kShellFont) == kShellFont) {
        dialog.pointSize = in.Word();
        if (dialog.extended) {
            dialog.weight = in.Word();
            dialog.italic = in.Byte();
            dialog.charset = in.Byte();
        }
        dialog.typeface = in.Text();
    }
    for (int i = 0; i < count; ++i)
        dialog.items.push_back(ReadItem(in, dialog.extended));
    return dialog;
}
