#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A dialog template (classic or extended) decoded from its resource bytes. Texts are given as
// Windows-1252 bytes; a name stored as a number (a class or an icon id) is kept as that number.
struct DialogTemplate {
    struct Name {
        std::string text;
        int ordinal = -1; // -1: stored as text
        bool operator==(const Name& other) const {
            return text == other.text && ordinal == other.ordinal;
        }
    };

    struct Rect {
        int x = 0, y = 0, cx = 0, cy = 0;
        bool operator==(const Rect& other) const {
            return x == other.x && y == other.y && cx == other.cx && cy == other.cy;
        }
    };

    struct Item {
        std::uint32_t id = 0;
        Name className;
        Name text;
        Rect rect;
        std::uint32_t style = 0;
        std::uint32_t exStyle = 0;
        std::uint32_t helpId = 0;
        std::size_t extraBytes = 0;
    };

    bool extended = false;
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    std::uint32_t helpId = 0;
    Rect rect;
    Name menu;
    Name windowClass;
    std::string caption;
    int pointSize = 0;
    int weight = 0;
    int italic = 0;
    int charset = 0;
    std::string typeface;
    std::vector<Item> items;

    // Throws when the bytes end before the template does.
    static DialogTemplate Parse(const std::vector<unsigned char>& bytes);
};
