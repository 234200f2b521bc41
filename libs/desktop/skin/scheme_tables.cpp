#include "libs/desktop/skin/scheme_tables.h"

namespace desktop::skin {
namespace {

// Written as red, green, blue for reading; stored as COLORREF.
constexpr COLORREF Rgb(uint32_t r, uint32_t g, uint32_t b) {
    return r | (g << 8) | (b << 16);
}
// The bottom-right corner of a push-button set carries full alpha.
constexpr COLORREF Opaque(COLORREF c) {
    return c | 0xFF000000u;
}

int Index(int32_t scheme) {
    return IsScheme(scheme) ? scheme - 1 : 0;
}

constexpr COLORREF kEdge[3] = {0xBD9E7B, 0x7FB9A4, 0xD7C5C6};
constexpr COLORREF kPushFrame[3] = {0x733C00, 0x066237, 0x743C00};

// The blue table is the scheme's own; the olive and silver ones keep its
// layout: the same orange glow when hot, a light overlay over a face that
// shows as a two-pixel ring, and the focus ring in the scheme's own hue.
constexpr GradientSet kPushButton[3][PUSH_SET_COUNT] = {
    {
        {0xC1CCD1, 0xC1CCD1, 0xEEF1F2, 0xFFEEF1F2},
        {0xCFF0FF, 0xCFF0FF, 0x0097E5, 0xFF0097E5},
        {0xBDCBD6, 0xC6CFD6, 0xEFF3F7, 0xFFEFF3F7},
        {0xFFE7CE, 0xFFE7CE, 0xEE8269, 0xFFEE8269},
        {0xFFFFFF, 0xFFFFFF, 0xD6DFE2, 0xFFD6DFE2},
        {0xDEE3E7, 0xE7E7E7, 0xDEE3E7, 0xFFDEE3E7},
        {0xFBFCFC, 0xFBFCFC, 0xE6EBEC, 0xFFE6EBEC},
    },
    {
        {Rgb(205, 202, 184), Rgb(205, 202, 184), Rgb(243, 242, 234), Opaque(Rgb(243, 242, 234))},
        {Rgb(255, 240, 207), Rgb(255, 240, 207), Rgb(229, 151, 0), Opaque(Rgb(229, 151, 0))},
        {Rgb(206, 204, 186), Rgb(214, 212, 196), Rgb(247, 246, 239), Opaque(Rgb(247, 246, 239))},
        {Rgb(222, 240, 186), Rgb(222, 240, 186), Rgb(143, 178, 85), Opaque(Rgb(143, 178, 85))},
        {Rgb(255, 255, 255), Rgb(255, 255, 255), Rgb(232, 229, 208), Opaque(Rgb(232, 229, 208))},
        {Rgb(229, 227, 216), Rgb(231, 231, 228), Rgb(229, 227, 216), Opaque(Rgb(229, 227, 216))},
        {Rgb(252, 252, 249), Rgb(252, 252, 249), Rgb(238, 236, 224), Opaque(Rgb(238, 236, 224))},
    },
    {
        {Rgb(204, 204, 214), Rgb(204, 204, 214), Rgb(241, 241, 245), Opaque(Rgb(241, 241, 245))},
        {Rgb(255, 240, 207), Rgb(255, 240, 207), Rgb(229, 151, 0), Opaque(Rgb(229, 151, 0))},
        {Rgb(208, 208, 220), Rgb(214, 214, 224), Rgb(246, 246, 249), Opaque(Rgb(246, 246, 249))},
        {Rgb(232, 234, 255), Rgb(232, 234, 255), Rgb(138, 146, 206), Opaque(Rgb(138, 146, 206))},
        {Rgb(255, 255, 255), Rgb(255, 255, 255), Rgb(214, 214, 226), Opaque(Rgb(214, 214, 226))},
        {Rgb(226, 226, 233), Rgb(231, 231, 236), Rgb(226, 226, 233), Opaque(Rgb(226, 226, 233))},
        {Rgb(253, 253, 253), Rgb(253, 253, 253), Rgb(232, 232, 239), Opaque(Rgb(232, 232, 239))},
    },
};

// Check boxes: a diagonal gradient (top-left darkest) inside the frame.
constexpr GradientSet Diagonal(COLORREF from, COLORREF middle, COLORREF to) {
    return {from, middle, middle, to};
}
constexpr GradientSet kCheckBox[3][BOX_SET_COUNT] = {
    {
        Diagonal(Rgb(176, 176, 167), Rgb(206, 205, 198), Rgb(241, 239, 229)),
        Diagonal(Rgb(255, 240, 207), Rgb(251, 208, 126), Rgb(248, 179, 48)),
        Diagonal(Rgb(220, 220, 215), Rgb(238, 238, 235), Rgb(255, 255, 255)),
    },
    {
        Diagonal(Rgb(176, 174, 150), Rgb(203, 201, 183), Rgb(232, 230, 216)),
        Diagonal(Rgb(255, 240, 207), Rgb(251, 208, 126), Rgb(248, 179, 48)),
        Diagonal(Rgb(221, 219, 200), Rgb(238, 237, 228), Rgb(255, 255, 255)),
    },
    {
        Diagonal(Rgb(176, 176, 190), Rgb(204, 204, 214), Rgb(234, 234, 240)),
        Diagonal(Rgb(255, 240, 207), Rgb(251, 208, 126), Rgb(248, 179, 48)),
        Diagonal(Rgb(216, 216, 226), Rgb(236, 236, 241), Rgb(255, 255, 255)),
    },
};

// Radio buttons: like the check boxes, a little lighter towards the rim.
constexpr GradientSet kRadio[3][BOX_SET_COUNT] = {
    {
        Diagonal(Rgb(176, 176, 167), Rgb(210, 209, 202), Rgb(245, 244, 236)),
        Diagonal(Rgb(255, 240, 207), Rgb(252, 214, 140), Rgb(248, 179, 48)),
        Diagonal(Rgb(216, 216, 210), Rgb(238, 238, 235), Rgb(255, 255, 255)),
    },
    {
        Diagonal(Rgb(176, 174, 150), Rgb(206, 204, 187), Rgb(236, 234, 222)),
        Diagonal(Rgb(255, 240, 207), Rgb(252, 214, 140), Rgb(248, 179, 48)),
        Diagonal(Rgb(218, 216, 198), Rgb(238, 237, 228), Rgb(255, 255, 255)),
    },
    {
        Diagonal(Rgb(176, 176, 190), Rgb(207, 207, 217), Rgb(238, 238, 243)),
        Diagonal(Rgb(255, 240, 207), Rgb(252, 214, 140), Rgb(248, 179, 48)),
        Diagonal(Rgb(212, 212, 222), Rgb(235, 235, 240), Rgb(255, 255, 255)),
    },
};

constexpr GradientSet kRadioDot[2] = {
    Diagonal(Rgb(148, 223, 148), Rgb(82, 190, 82), Rgb(33, 162, 33)),
    Diagonal(Rgb(214, 211, 206), Rgb(202, 207, 206), Rgb(189, 203, 206)),
};

constexpr GradientSet Vertical(COLORREF top, COLORREF bottom) {
    return {top, top, bottom, bottom};
}

constexpr ArrowButtonLook kArrowButton[3] = {
    {
        {Vertical(Rgb(110, 142, 241), Rgb(189, 208, 250)),
         Vertical(Rgb(253, 255, 255), Rgb(185, 218, 251)),
         Vertical(Rgb(225, 234, 254), Rgb(174, 200, 247)),
         Vertical(Rgb(244, 243, 238), Rgb(226, 225, 219))},
        {Vertical(Rgb(131, 160, 244), Rgb(170, 194, 248)),
         Vertical(Rgb(236, 246, 255), Rgb(201, 226, 253)),
         Vertical(Rgb(213, 226, 253), Rgb(189, 210, 250)),
         Vertical(Rgb(240, 239, 234), Rgb(232, 231, 226))},
        Rgb(189, 203, 236),
        Rgb(77, 97, 133),
        Rgb(201, 199, 186),
        true,
        false,
    },
    {
        {Vertical(Rgb(126, 146, 74), Rgb(170, 190, 116)),
         Vertical(Rgb(204, 220, 156), Rgb(160, 184, 104)),
         Vertical(Rgb(186, 204, 138), Rgb(140, 164, 86)),
         Vertical(Rgb(244, 243, 238), Rgb(226, 225, 219))},
        {Vertical(Rgb(136, 156, 84), Rgb(160, 180, 106)),
         Vertical(Rgb(196, 214, 146), Rgb(172, 194, 116)),
         Vertical(Rgb(176, 196, 126), Rgb(150, 174, 96)),
         Vertical(Rgb(240, 239, 234), Rgb(232, 231, 226))},
        Rgb(176, 190, 140),
        Rgb(255, 255, 255),
        Rgb(201, 199, 186),
        true,
        true,
    },
    {
        {Vertical(Rgb(188, 188, 204), Rgb(232, 232, 240)),
         Vertical(Rgb(255, 255, 255), Rgb(226, 226, 236)),
         Vertical(Rgb(252, 252, 253), Rgb(210, 211, 224)),
         Vertical(Rgb(244, 243, 238), Rgb(226, 225, 219))},
        {Vertical(Rgb(200, 200, 214), Rgb(222, 222, 232)),
         Vertical(Rgb(250, 250, 252), Rgb(234, 234, 241)),
         Vertical(Rgb(244, 244, 247), Rgb(222, 223, 233)),
         Vertical(Rgb(240, 239, 234), Rgb(232, 231, 226))},
        Rgb(214, 214, 224),
        Rgb(73, 73, 92),
        Rgb(201, 199, 186),
        false,
        false,
    },
};

}  // namespace

COLORREF SchemeEdgeColor(int32_t scheme) {
    return kEdge[Index(scheme)];
}

const GradientSet& PushButtonSet(int32_t scheme, int set) {
    return kPushButton[Index(scheme)][set >= 0 && set < PUSH_SET_COUNT ? set : PUSH_FACE_NORMAL];
}

COLORREF PushButtonFrameColor(int32_t scheme) {
    return kPushFrame[Index(scheme)];
}

const GradientSet& CheckBoxSet(int32_t scheme, int set) {
    return kCheckBox[Index(scheme)][set >= 0 && set < BOX_SET_COUNT ? set : BOX_NORMAL];
}

const GradientSet& RadioSet(int32_t scheme, int set) {
    return kRadio[Index(scheme)][set >= 0 && set < BOX_SET_COUNT ? set : BOX_NORMAL];
}

const GradientSet& RadioDotSet(bool disabled) {
    return kRadioDot[disabled ? 1 : 0];
}

const ArrowButtonLook& ArrowButtonLookOf(int32_t scheme) {
    return kArrowButton[Index(scheme)];
}

}  // namespace desktop::skin
