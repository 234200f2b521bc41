// Painted pixels checked against values computed here from the colour
// tables: push-button faces and overlays in every scheme and state, the
// disabled look, edge frames, check boxes, focus rectangles, and the
// controls the skin leaves as the platform drew them.
#include "libs/desktop/skin/paint_buffer.h"
#include "libs/desktop/skin/scheme_tables.h"
#include "tests/skin/skin_test_support.h"

using namespace skintest;
using namespace desktop::skin;

namespace {

constexpr COLORREF kFace = 0xF0F0F0;  // the platform's button face
constexpr COLORREF kDisabledEdge = 0xD0D0D0;
constexpr COLORREF kWindow = 0xFFFFFF;

// A button of 80 by 30: frame ring 1, face from inset 2 (rows 2 to 27,
// span 26), overlay from inset 4 (rows 4 to 25, span 22).
constexpr int kW = 80, kH = 30;
constexpr int kFaceTop = 2, kFaceSpan = kH - 4;
constexpr int kOverlayTop = 4, kOverlaySpan = kH - 8;
constexpr int kMidX = kW / 2, kMidY = kH / 2;

COLORREF Rgb(COLORREF c) {
    return c & 0xFFFFFF;
}

// The colour at the centre of pixel (x, y) in a rectangle filled as two
// gradient triangles (corners 0 top-left, 1 top-right, 2 bottom-left,
// 3 bottom-right; triangles 0-1-2 and 3-1-2).
COLORREF TrianglesAt(const GradientSet& set, const RECT& r, int x, int y) {
    const double vx[4] = {double(r.left), double(r.right), double(r.left), double(r.right)};
    const double vy[4] = {double(r.top), double(r.top), double(r.bottom), double(r.bottom)};
    const COLORREF c[4] = {set.topLeft, set.topRight, set.bottomLeft, set.bottomRight};
    const int tris[2][3] = {{0, 1, 2}, {3, 1, 2}};
    double px = x + 0.5, py = y + 0.5;
    for (const auto& t : tris) {
        double ax = vx[t[0]], ay = vy[t[0]], bx = vx[t[1]], by = vy[t[1]], cx = vx[t[2]],
               cy = vy[t[2]];
        double area = (bx - ax) * (cy - ay) - (cx - ax) * (by - ay);
        double w0 = ((bx - px) * (cy - py) - (cx - px) * (by - py)) / area;
        double w1 = ((cx - px) * (ay - py) - (ax - px) * (cy - py)) / area;
        double w2 = 1 - w0 - w1;
        if (w0 < -1e-9 || w1 < -1e-9 || w2 < -1e-9)
            continue;
        COLORREF out = 0;
        for (int shift : {0, 8, 16}) {
            auto ch = [&](int i) { return double((c[t[i]] >> shift) & 0xFF) * 256; };
            double v = w0 * ch(0) + w1 * ch(1) + w2 * ch(2);
            out |= (uint32_t(v) >> 8) << shift;
        }
        return out;
    }
    return CLR_INVALID;
}

// The overlay's colour at the button's middle.
COLORREF OverlayMiddle(const GradientSet& set) {
    RECT overlay{kOverlayTop, kOverlayTop, kW - kOverlayTop, kH - kOverlayTop};
    bool vertical =
        Rgb(set.topLeft) == Rgb(set.topRight) && Rgb(set.bottomLeft) == Rgb(set.bottomRight);
    if (vertical)
        return VerticalGradientAt(set.topLeft, set.bottomRight, kMidY, kOverlayTop, kOverlaySpan);
    return TrianglesAt(set, overlay, kMidX, kMidY);
}

TEST(SchemeTables, BlueTableIsTheSchemesOwn) {
    const GradientSet expected[7] = {
        {0xC1CCD1, 0xC1CCD1, 0xEEF1F2, 0xFFEEF1F2}, {0xCFF0FF, 0xCFF0FF, 0x0097E5, 0xFF0097E5},
        {0xBDCBD6, 0xC6CFD6, 0xEFF3F7, 0xFFEFF3F7}, {0xFFE7CE, 0xFFE7CE, 0xEE8269, 0xFFEE8269},
        {0xFFFFFF, 0xFFFFFF, 0xD6DFE2, 0xFFD6DFE2}, {0xDEE3E7, 0xE7E7E7, 0xDEE3E7, 0xFFDEE3E7},
        {0xFBFCFC, 0xFBFCFC, 0xE6EBEC, 0xFFE6EBEC},
    };
    for (int i = 0; i < 7; ++i) {
        const GradientSet& got = PushButtonSet(1, i);
        EXPECT_EQ(got.topLeft, expected[i].topLeft) << i;
        EXPECT_EQ(got.topRight, expected[i].topRight) << i;
        EXPECT_EQ(got.bottomLeft, expected[i].bottomLeft) << i;
        EXPECT_EQ(got.bottomRight, expected[i].bottomRight) << i;
    }
    EXPECT_EQ(SchemeEdgeColor(1), 0xBD9E7Bu);
    EXPECT_EQ(SchemeEdgeColor(2), 0x7FB9A4u);
    EXPECT_EQ(SchemeEdgeColor(3), 0xD7C5C6u);
    EXPECT_EQ(PushButtonFrameColor(1), 0x733C00u);
    EXPECT_EQ(PushButtonFrameColor(2), 0x066237u);
    EXPECT_EQ(PushButtonFrameColor(3), 0x743C00u);
}

TEST_F(SkinTest, PushButtonFacesFollowTheStateInEveryScheme) {
    HWND normal = Make(kButtonClass, "", BS_PUSHBUTTON, 10, 10, kW, kH);
    HWND hot = Make(kButtonClass, "", BS_PUSHBUTTON, 100, 10, kW, kH);
    HWND pressed = Make(kButtonClass, "", BS_PUSHBUTTON, 190, 10, kW, kH);
    HWND byDefault = Make(kButtonClass, "", BS_DEFPUSHBUTTON, 280, 10, kW, kH);
    struct Probe {
        HWND window;
        int face;
        int overlay;
    };
    const Probe probes[] = {
        {normal, PUSH_FACE_NORMAL, PUSH_OVERLAY_NORMAL},
        {hot, PUSH_FACE_HOT, PUSH_OVERLAY_NORMAL},
        {pressed, PUSH_FACE_PRESSED, PUSH_OVERLAY_PRESSED},
        {byDefault, PUSH_FACE_FOCUSED, PUSH_OVERLAY_NORMAL},
    };
    for (int scheme = 1; scheme <= 3; ++scheme) {
        SCOPED_TRACE(scheme);
        CallSetSkinScheme(scheme);
        InjectMouseMove(parent_, 600, 400);
        InjectMouseMove(parent_, 100 + kMidX, 10 + kMidY);
        Pump();
        SendMessage(pressed, BM_SETSTATE, 1, 0);
        ASSERT_TRUE(RecordOf(hot)->flags & SK_HOT);
        COLORREF frame = PushButtonFrameColor(scheme);
        for (const Probe& probe : probes) {
            const GradientSet& face = PushButtonSet(scheme, probe.face);
            // The face band's top row, beside the rounded corner.
            EXPECT_EQ(PixelOf(probe.window, 3, kFaceTop), Rgb(face.topLeft)) << probe.face;
            EXPECT_EQ(PixelOf(probe.window, kW - 4, kFaceTop), Rgb(face.topRight));
            EXPECT_EQ(
                PixelOf(probe.window, 3, kMidY),
                VerticalGradientAt(face.topLeft, face.bottomLeft, kMidY, kFaceTop, kFaceSpan));
            EXPECT_EQ(PixelOf(probe.window, kMidX, kMidY),
                      OverlayMiddle(PushButtonSet(scheme, probe.overlay)))
                << probe.face;
            // Ring, frame and rounded corner.
            EXPECT_EQ(PixelOf(probe.window, 0, kMidY), kFace);
            EXPECT_EQ(PixelOf(probe.window, 1, kMidY), frame);
            EXPECT_EQ(PixelOf(probe.window, 1, 1), kFace);
            EXPECT_EQ(PixelOf(probe.window, 2, 2), frame);
        }
        SendMessage(pressed, BM_SETSTATE, 0, 0);
    }
}

TEST_F(SkinTest, ADisabledButtonHasNoGradientAndAGrayCaption) {
    HWND blank = Make(kButtonClass, "", BS_PUSHBUTTON | WS_DISABLED, 10, 10, kW, kH);
    HWND captioned = Make(kButtonClass, "HHMM", BS_PUSHBUTTON | WS_DISABLED, 100, 10, kW, kH);
    HWND enabled = Make(kButtonClass, "HHMM", BS_PUSHBUTTON, 190, 10, kW, kH);
    CallSetSkinScheme(2);
    for (int y = kFaceTop; y < kH - kFaceTop; ++y) {
        for (int x : {3, kMidX, kW - 4})
            EXPECT_EQ(PixelOf(blank, x, y), kPushDisabledFace) << x << "," << y;
    }
    EXPECT_EQ(PixelOf(blank, 1, kMidY), kDisabledEdge);
    EXPECT_EQ(PixelOf(blank, 1, 1), 0xDBDBDBu);
    EXPECT_EQ(PixelOf(blank, 2, 2), 0xDFDFDFu);

    // Every caption pixel lies between the face and the caption colour,
    // and the caption reaches its full colour somewhere.
    auto darkest = [&](HWND window, COLORREF background, COLORREF ink) {
        int darkestSum = 3 * 255;
        COLORREF found = CLR_INVALID;
        for (int y = kOverlayTop; y < kH - kOverlayTop; ++y) {
            for (int x = kOverlayTop; x < kW - kOverlayTop; ++x) {
                COLORREF c = PixelOf(window, x, y);
                for (int shift : {0, 8, 16}) {
                    int v = (c >> shift) & 0xFF;
                    int lo = std::min((background >> shift) & 0xFF, (ink >> shift) & 0xFF);
                    int hi = std::max((background >> shift) & 0xFF, (ink >> shift) & 0xFF);
                    EXPECT_TRUE(v >= lo && v <= hi) << x << "," << y;
                }
                int sum = int(c & 0xFF) + int((c >> 8) & 0xFF) + int((c >> 16) & 0xFF);
                if (sum < darkestSum) {
                    darkestSum = sum;
                    found = c;
                }
            }
        }
        return found;
    };
    EXPECT_EQ(darkest(captioned, kPushDisabledFace, kPushGrayCaption), kPushGrayCaption);
    // Enabled, the caption is black over the overlay gradient.
    COLORREF black = CLR_INVALID;
    for (int y = kOverlayTop; y < kH - kOverlayTop && black == CLR_INVALID; ++y) {
        for (int x = kOverlayTop; x < kW - kOverlayTop; ++x) {
            if (PixelOf(enabled, x, y) == 0)
                black = 0;
        }
    }
    EXPECT_EQ(black, 0u);
}

TEST_F(SkinTest, TheEdgeFrameHasTheSchemesColour) {
    HWND edit = Make(kEditClass, "abc", WS_BORDER, 10, 10, 100, 24);
    HWND clientEdge = Make(kEditClass, "abc", 0, 10, 40, 100, 24, nullptr, WS_EX_CLIENTEDGE);
    HWND disabled = Make(kEditClass, "abc", WS_BORDER | WS_DISABLED, 10, 70, 100, 24);
    HWND readOnly = Make(kEditClass, "abc", WS_BORDER | ES_READONLY, 10, 100, 100, 24);
    HWND combo = Make(kComboBoxClass, "", CBS_DROPDOWNLIST, 150, 10, 120, 100);
    for (int scheme = 1; scheme <= 3; ++scheme) {
        SCOPED_TRACE(scheme);
        CallSetSkinScheme(scheme);
        COLORREF edge = SchemeEdgeColor(scheme);
        for (HWND field : {edit, clientEdge, combo}) {
            RECT client;
            GetClientRect(field, &client);
            EXPECT_EQ(PixelOf(field, 0, client.bottom / 2), edge);
            EXPECT_EQ(PixelOf(field, client.right / 2, 0), edge);
            EXPECT_EQ(PixelOf(field, client.right - 1, client.bottom - 1), edge);
            EXPECT_EQ(PixelOf(field, 1, client.bottom / 2), kWindow);
        }
        EXPECT_EQ(PixelOf(disabled, 0, 12), kDisabledEdge);
        EXPECT_EQ(PixelOf(disabled, 1, 12), kFace);
        EXPECT_EQ(PixelOf(readOnly, 0, 12), edge);
        EXPECT_EQ(PixelOf(readOnly, 1, 12), kFace);
    }
}

// The client area of a window as it is now.
std::vector<COLORREF> Pixels(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    std::vector<COLORREF> out;
    for (int y = 0; y < client.bottom; ++y) {
        for (int x = 0; x < client.right; ++x)
            out.push_back(PixelOf(window, x, y));
    }
    return out;
}

TEST_F(SkinTest, UnframedFieldsAndEmptyListsKeepThePlatformsLook) {
    HWND plain = Make(kEditClass, "plain", 0, 10, 10, 100, 24);
    HWND emptyList = Make(kListBoxClass, "", WS_BORDER, 10, 40, 100, 60);
    HWND fullList = Make(kListBoxClass, "", WS_BORDER, 150, 40, 100, 60);
    SendMessage(fullList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("item"));
    Pump();
    std::vector<COLORREF> plainBefore = Pixels(plain), emptyBefore = Pixels(emptyList);
    CallSetSkinScheme(1);
    ASSERT_NE(RecordOf(plain), nullptr);
    ASSERT_NE(RecordOf(emptyList), nullptr);
    EXPECT_EQ(Pixels(plain), plainBefore);
    EXPECT_EQ(Pixels(emptyList), emptyBefore);
    EXPECT_EQ(PixelOf(fullList, 0, 30), SchemeEdgeColor(1));
    // The first item makes the list take the scheme's frame.
    SendMessage(emptyList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("item"));
    Pump();
    EXPECT_EQ(PixelOf(emptyList, 0, 30), SchemeEdgeColor(1));
}

TEST_F(SkinTest, CheckBoxesPutTheirBoxOnTheSideTheStyleSays) {
    HWND right = Make(kButtonClass, "Left text", BS_AUTOCHECKBOX | BS_LEFTTEXT, 10, 10, 120, 20);
    HWND left = Make(kButtonClass, "Right text", BS_AUTOCHECKBOX, 10, 40, 120, 20);
    HWND bottom = Make(kButtonClass, "Low", BS_AUTOCHECKBOX | BS_BOTTOM, 10, 70, 120, 24);
    HWND middle = Make(kButtonClass, "Mid", BS_AUTOCHECKBOX | BS_VCENTER, 10, 100, 120, 24);
    SendMessage(left, BM_SETCHECK, BST_CHECKED, 0);
    CallSetSkinScheme(1);
    // Box 13 by 13 against the right edge, at the top.
    for (int y = 0; y < 13; ++y) {
        EXPECT_EQ(PixelOf(right, 107, y), kCheckFrame) << y;
        EXPECT_EQ(PixelOf(right, 119, y), kCheckFrame) << y;
    }
    EXPECT_EQ(PixelOf(right, 106, 6), kFace);
    for (int x = 0; x < 13; ++x)
        EXPECT_NE(PixelOf(right, x, 6), kCheckFrame) << x;
    // Box at the left; the check mark's first and last strokes.
    EXPECT_EQ(PixelOf(left, 0, 6), kCheckFrame);
    EXPECT_EQ(PixelOf(left, 12, 6), kCheckFrame);
    for (int y : {5, 6, 7})
        EXPECT_EQ(PixelOf(left, 3, y), kCheckMark) << y;
    EXPECT_NE(PixelOf(left, 3, 4), kCheckMark);
    EXPECT_NE(PixelOf(left, 3, 8), kCheckMark);
    for (int y : {3, 4, 5})
        EXPECT_EQ(PixelOf(left, 9, y), kCheckMark) << y;
    // Bottom and centred boxes.
    EXPECT_EQ(PixelOf(bottom, 6, 23), kCheckFrame);
    EXPECT_EQ(PixelOf(bottom, 6, 11), kCheckFrame);
    EXPECT_NE(PixelOf(bottom, 6, 10), kCheckFrame);
    EXPECT_EQ(PixelOf(middle, 6, 5), kCheckFrame);  // (24 - 13) / 2
    EXPECT_EQ(PixelOf(middle, 6, 17), kCheckFrame);
}

TEST_F(SkinTest, FocusRectangleOfAPushButtonRunsJustOutsideTheOverlay) {
    HWND button = Make(kButtonClass, "", BS_PUSHBUTTON, 10, 10, kW, kH);
    CallSetSkinScheme(3);
    SetFocus(button);
    ASSERT_TRUE(RecordOf(button)->flags & SK_FOCUSED);
    const GradientSet& face = PushButtonSet(3, PUSH_FACE_FOCUSED);
    auto faceAt = [&](int y) {
        return VerticalGradientAt(face.topLeft, face.bottomLeft, y, kFaceTop, kFaceSpan);
    };
    // The dotted frame inverts every other pixel of the rectangle inset 3.
    EXPECT_EQ(PixelOf(button, 5, 3), faceAt(3) ^ 0xFFFFFF);
    EXPECT_EQ(PixelOf(button, 6, 3), faceAt(3));
    EXPECT_EQ(PixelOf(button, 3, 15), faceAt(15) ^ 0xFFFFFF);
    EXPECT_EQ(PixelOf(button, 3, 16), faceAt(16));
    EXPECT_EQ(PixelOf(button, 5, kFaceTop), Rgb(face.topLeft));  // the outer face row is clear
    SetFocus(nullptr);
    EXPECT_FALSE(RecordOf(button)->flags & SK_FOCUSED);
    const GradientSet& normal = PushButtonSet(3, PUSH_FACE_NORMAL);
    EXPECT_EQ(PixelOf(button, 5, 3),
              VerticalGradientAt(normal.topLeft, normal.bottomLeft, 3, kFaceTop, kFaceSpan));
}

TEST_F(SkinTest, GroupBoxFrameRunsHalfATextHeightDown) {
    HWND group = Make(kButtonClass, "Options", BS_GROUPBOX, 10, 10, 200, 100);
    CallSetSkinScheme(2);
    // The left side of the frame, its rounded bottom corner, and the
    // caption's gap in the top line.
    EXPECT_EQ(PixelOf(group, 0, 60), kGroupFrame);
    EXPECT_EQ(PixelOf(group, 199, 60), kGroupFrame);
    EXPECT_EQ(PixelOf(group, 0, 99), kFace);
    EXPECT_EQ(PixelOf(group, 1, 98), kGroupFrame);
    int top = -1;
    for (int y = 0; y < 30 && top < 0; ++y) {
        if (PixelOf(group, 190, y) == kGroupFrame)
            top = y;
    }
    ASSERT_GT(top, 2);
    EXPECT_EQ(PixelOf(group, 5, top), kGroupFrame);
    EXPECT_EQ(PixelOf(group, 9, top), kFace);  // cleared behind the caption
}

TEST_F(SkinTest, PaintBufferWithoutCopyDrawsOnlyIntoTheGivenBitmap) {
    HWND edit = Make(kEditClass, "", 0, 10, 10, 60, 20);
    std::vector<COLORREF> before = Pixels(edit);
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 60, 20);
    ReleaseDC(nullptr, screen);
    {
        PaintBuffer buffer(edit, false, bitmap);
        ASSERT_TRUE(buffer.Ready());
        EXPECT_EQ(buffer.Width(), 60);
        EXPECT_EQ(buffer.Height(), 20);
        HBRUSH red = CreateSolidBrush(0x0000FF);
        RECT all{0, 0, 60, 20};
        FillRect(buffer.Dc(), &all, red);
        DeleteObject(red);
        buffer.End();
    }
    EXPECT_EQ(Pixels(edit), before);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    EXPECT_EQ(GetPixel(memory, 30, 10), 0x0000FFu);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);
}

}  // namespace
