// The standard controls: push buttons, check boxes, radio buttons and group
// boxes ("Button"), static texts ("Static"), single-line edits ("Edit"),
// list boxes ("ListBox"), combo boxes ("ComboBox"), progress bars
// ("msctls_progress32") and up-down controls ("msctls_updown32"). They are
// ordinary window classes drawn in software; a skin may subclass them and
// paint over them while they keep their behaviour.
//
// The classes exist once RegisterStandardControls() has run (it is cheap
// and may be called any number of times, from any thread).
#pragma once

#include <cstdint>

#include "platform/windowing/windows.h"

namespace platform {

// Registers every class above; answers whether all of them exist afterwards.
bool RegisterStandardControls();

inline constexpr const char* kButtonClass = "Button";
inline constexpr const char* kStaticClass = "Static";
inline constexpr const char* kEditClass = "Edit";
inline constexpr const char* kListBoxClass = "ListBox";
inline constexpr const char* kComboBoxClass = "ComboBox";
inline constexpr const char* kProgressClass = "msctls_progress32";
inline constexpr const char* kUpDownClass = "msctls_updown32";

constexpr WPARAM MAKEWPARAM(int low, int high) {
    return WPARAM(uint32_t(uint16_t(low)) | (uint32_t(uint16_t(high)) << 16));
}

// ---- Messages shared by the controls ----
inline constexpr uint32_t WM_DRAWITEM = 0x002B;
inline constexpr uint32_t WM_GETDLGCODE = 0x0087;
inline constexpr uint32_t WM_CUT = 0x0300;
inline constexpr uint32_t WM_COPY = 0x0301;
inline constexpr uint32_t WM_PASTE = 0x0302;
inline constexpr uint32_t WM_CLEAR = 0x0303;
// WM_GETDLGCODE answers.
inline constexpr LRESULT DLGC_WANTARROWS = 0x0001;
inline constexpr LRESULT DLGC_WANTTAB = 0x0002;
inline constexpr LRESULT DLGC_WANTCHARS = 0x0080;
inline constexpr LRESULT DLGC_HASSETSEL = 0x0008;
inline constexpr LRESULT DLGC_DEFPUSHBUTTON = 0x0010;
inline constexpr LRESULT DLGC_UNDEFPUSHBUTTON = 0x0020;
inline constexpr LRESULT DLGC_RADIOBUTTON = 0x0040;
inline constexpr LRESULT DLGC_STATIC = 0x0100;
inline constexpr LRESULT DLGC_BUTTON = 0x2000;

// What an owner-drawn button's parent receives with WM_DRAWITEM.
inline constexpr uint32_t ODT_BUTTON = 4;
inline constexpr uint32_t ODA_DRAWENTIRE = 1;
inline constexpr uint32_t ODS_SELECTED = 0x0001;
inline constexpr uint32_t ODS_DISABLED = 0x0004;
inline constexpr uint32_t ODS_CHECKED = 0x0008;
inline constexpr uint32_t ODS_FOCUS = 0x0010;
struct DRAWITEMSTRUCT {
    uint32_t CtlType = 0;
    uint32_t CtlID = 0;
    uint32_t itemID = 0;
    uint32_t itemAction = 0;
    uint32_t itemState = 0;
    HWND hwndItem = nullptr;
    HDC hDC = nullptr;
    RECT rcItem;
    uintptr_t itemData = 0;
};

// WM_NOTIFY header.
struct NMHDR {
    HWND hwndFrom = nullptr;
    uintptr_t idFrom = 0;
    uint32_t code = 0;
};

// ---- Button ----
inline constexpr uint32_t BS_PUSHBUTTON = 0x0;
inline constexpr uint32_t BS_DEFPUSHBUTTON = 0x1;
inline constexpr uint32_t BS_CHECKBOX = 0x2;
inline constexpr uint32_t BS_AUTOCHECKBOX = 0x3;
inline constexpr uint32_t BS_RADIOBUTTON = 0x4;
inline constexpr uint32_t BS_3STATE = 0x5;
inline constexpr uint32_t BS_AUTO3STATE = 0x6;
inline constexpr uint32_t BS_GROUPBOX = 0x7;
inline constexpr uint32_t BS_USERBUTTON = 0x8;
inline constexpr uint32_t BS_AUTORADIOBUTTON = 0x9;
inline constexpr uint32_t BS_OWNERDRAW = 0xB;
inline constexpr uint32_t BS_TYPEMASK = 0x1F;
inline constexpr uint32_t BS_LEFTTEXT = 0x20;
inline constexpr uint32_t BS_BITMAP = 0x80;
inline constexpr uint32_t BS_LEFT = 0x100;
inline constexpr uint32_t BS_RIGHT = 0x200;
inline constexpr uint32_t BS_CENTER = 0x300;
inline constexpr uint32_t BS_TOP = 0x400;
inline constexpr uint32_t BS_BOTTOM = 0x800;
inline constexpr uint32_t BS_VCENTER = 0xC00;
inline constexpr uint32_t BS_PUSHLIKE = 0x1000;
inline constexpr uint32_t BS_MULTILINE = 0x2000;
inline constexpr uint32_t BS_NOTIFY = 0x4000;
inline constexpr uint32_t BS_FLAT = 0x8000;

inline constexpr uint32_t BM_GETCHECK = 0x00F0;
inline constexpr uint32_t BM_SETCHECK = 0x00F1;
inline constexpr uint32_t BM_GETSTATE = 0x00F2;
inline constexpr uint32_t BM_SETSTATE = 0x00F3;
inline constexpr uint32_t BM_SETSTYLE = 0x00F4;
inline constexpr uint32_t BM_CLICK = 0x00F5;
inline constexpr uint32_t BM_GETIMAGE = 0x00F6;
inline constexpr uint32_t BM_SETIMAGE = 0x00F7;
inline constexpr WPARAM IMAGE_BITMAP = 0;
inline constexpr WPARAM IMAGE_ICON = 1;

inline constexpr LRESULT BST_UNCHECKED = 0;
inline constexpr LRESULT BST_CHECKED = 1;
inline constexpr LRESULT BST_INDETERMINATE = 2;
inline constexpr LRESULT BST_PUSHED = 4;
inline constexpr LRESULT BST_FOCUS = 8;

inline constexpr uint16_t BN_CLICKED = 0;
inline constexpr uint16_t BN_DBLCLK = 5;
inline constexpr uint16_t BN_SETFOCUS = 6;
inline constexpr uint16_t BN_KILLFOCUS = 7;

// ---- Static ----
inline constexpr uint32_t SS_LEFT = 0x0;
inline constexpr uint32_t SS_CENTER = 0x1;
inline constexpr uint32_t SS_RIGHT = 0x2;
inline constexpr uint32_t SS_ICON = 0x3;
inline constexpr uint32_t SS_BLACKRECT = 0x4;
inline constexpr uint32_t SS_GRAYRECT = 0x5;
inline constexpr uint32_t SS_WHITERECT = 0x6;
inline constexpr uint32_t SS_BITMAP = 0xE;
inline constexpr uint32_t SS_ETCHEDHORZ = 0x10;
inline constexpr uint32_t SS_TYPEMASK = 0x1F;
inline constexpr uint32_t SS_NOPREFIX = 0x80;
inline constexpr uint32_t SS_NOTIFY = 0x100;
inline constexpr uint32_t SS_CENTERIMAGE = 0x200;
inline constexpr uint32_t SS_SUNKEN = 0x1000;
inline constexpr uint32_t STM_SETICON = 0x0170;
inline constexpr uint32_t STM_GETICON = 0x0171;
inline constexpr uint32_t STM_SETIMAGE = 0x0172;
inline constexpr uint32_t STM_GETIMAGE = 0x0173;
inline constexpr uint16_t STN_CLICKED = 0;
inline constexpr uint16_t STN_DBLCLK = 1;

// ---- Edit (single line) ----
inline constexpr uint32_t ES_LEFT = 0x0;
inline constexpr uint32_t ES_CENTER = 0x1;
inline constexpr uint32_t ES_RIGHT = 0x2;
inline constexpr uint32_t ES_UPPERCASE = 0x8;
inline constexpr uint32_t ES_LOWERCASE = 0x10;
inline constexpr uint32_t ES_PASSWORD = 0x20;
inline constexpr uint32_t ES_AUTOHSCROLL = 0x80;
inline constexpr uint32_t ES_READONLY = 0x800;
inline constexpr uint32_t ES_NUMBER = 0x2000;

inline constexpr uint32_t EM_GETSEL = 0x00B0;
inline constexpr uint32_t EM_SETSEL = 0x00B1;
inline constexpr uint32_t EM_GETMODIFY = 0x00B8;
inline constexpr uint32_t EM_SETMODIFY = 0x00B9;
inline constexpr uint32_t EM_REPLACESEL = 0x00C2;
inline constexpr uint32_t EM_LIMITTEXT = 0x00C5;
inline constexpr uint32_t EM_SETLIMITTEXT = 0x00C5;
inline constexpr uint32_t EM_SETPASSWORDCHAR = 0x00CC;
inline constexpr uint32_t EM_SETREADONLY = 0x00CF;
inline constexpr uint32_t EM_GETLIMITTEXT = 0x00D5;

inline constexpr uint16_t EN_SETFOCUS = 0x0100;
inline constexpr uint16_t EN_KILLFOCUS = 0x0200;
inline constexpr uint16_t EN_CHANGE = 0x0300;
inline constexpr uint16_t EN_UPDATE = 0x0400;
inline constexpr uint16_t EN_MAXTEXT = 0x0501;

// ---- List box ----
inline constexpr uint32_t LBS_NOTIFY = 0x0001;
inline constexpr uint32_t LBS_SORT = 0x0002;
inline constexpr uint32_t LBS_MULTIPLESEL = 0x0008;
inline constexpr uint32_t LBS_NOINTEGRALHEIGHT = 0x0100;
inline constexpr uint32_t LBS_STANDARD = 0x00A00003;

inline constexpr uint32_t LB_ADDSTRING = 0x0180;
inline constexpr uint32_t LB_INSERTSTRING = 0x0181;
inline constexpr uint32_t LB_DELETESTRING = 0x0182;
inline constexpr uint32_t LB_RESETCONTENT = 0x0184;
inline constexpr uint32_t LB_SETSEL = 0x0185;
inline constexpr uint32_t LB_SETCURSEL = 0x0186;
inline constexpr uint32_t LB_GETSEL = 0x0187;
inline constexpr uint32_t LB_GETCURSEL = 0x0188;
inline constexpr uint32_t LB_GETTEXT = 0x0189;
inline constexpr uint32_t LB_GETTEXTLEN = 0x018A;
inline constexpr uint32_t LB_GETCOUNT = 0x018B;
inline constexpr uint32_t LB_SELECTSTRING = 0x018C;
inline constexpr uint32_t LB_GETTOPINDEX = 0x018E;
inline constexpr uint32_t LB_FINDSTRING = 0x018F;
inline constexpr uint32_t LB_GETSELCOUNT = 0x0190;
inline constexpr uint32_t LB_SETTOPINDEX = 0x0197;
inline constexpr uint32_t LB_GETITEMDATA = 0x0199;
inline constexpr uint32_t LB_SETITEMDATA = 0x019A;
inline constexpr uint32_t LB_SETITEMHEIGHT = 0x01A0;
inline constexpr uint32_t LB_GETITEMHEIGHT = 0x01A1;
inline constexpr uint32_t LB_FINDSTRINGEXACT = 0x01A2;
inline constexpr LRESULT LB_ERR = -1;

inline constexpr uint16_t LBN_SELCHANGE = 1;
inline constexpr uint16_t LBN_DBLCLK = 2;
inline constexpr uint16_t LBN_SELCANCEL = 3;
inline constexpr uint16_t LBN_SETFOCUS = 4;
inline constexpr uint16_t LBN_KILLFOCUS = 5;

// ---- Combo box ----
inline constexpr uint32_t CBS_SIMPLE = 0x0001;
inline constexpr uint32_t CBS_DROPDOWN = 0x0002;
inline constexpr uint32_t CBS_DROPDOWNLIST = 0x0003;
inline constexpr uint32_t CBS_KINDMASK = 0x0003;
inline constexpr uint32_t CBS_AUTOHSCROLL = 0x0040;
inline constexpr uint32_t CBS_SORT = 0x0100;

inline constexpr uint32_t CB_GETEDITSEL = 0x0140;
inline constexpr uint32_t CB_LIMITTEXT = 0x0141;
inline constexpr uint32_t CB_SETEDITSEL = 0x0142;
inline constexpr uint32_t CB_ADDSTRING = 0x0143;
inline constexpr uint32_t CB_DELETESTRING = 0x0144;
inline constexpr uint32_t CB_GETCOUNT = 0x0146;
inline constexpr uint32_t CB_GETCURSEL = 0x0147;
inline constexpr uint32_t CB_GETLBTEXT = 0x0148;
inline constexpr uint32_t CB_GETLBTEXTLEN = 0x0149;
inline constexpr uint32_t CB_INSERTSTRING = 0x014A;
inline constexpr uint32_t CB_RESETCONTENT = 0x014B;
inline constexpr uint32_t CB_FINDSTRING = 0x014C;
inline constexpr uint32_t CB_SELECTSTRING = 0x014D;
inline constexpr uint32_t CB_SETCURSEL = 0x014E;
inline constexpr uint32_t CB_SHOWDROPDOWN = 0x014F;
inline constexpr uint32_t CB_GETITEMDATA = 0x0150;
inline constexpr uint32_t CB_SETITEMDATA = 0x0151;
inline constexpr uint32_t CB_SETITEMHEIGHT = 0x0153;
inline constexpr uint32_t CB_GETITEMHEIGHT = 0x0154;
inline constexpr uint32_t CB_GETDROPPEDSTATE = 0x0157;
inline constexpr uint32_t CB_FINDSTRINGEXACT = 0x0158;
inline constexpr LRESULT CB_ERR = -1;

inline constexpr uint16_t CBN_SELCHANGE = 1;
inline constexpr uint16_t CBN_DBLCLK = 2;
inline constexpr uint16_t CBN_SETFOCUS = 3;
inline constexpr uint16_t CBN_KILLFOCUS = 4;
inline constexpr uint16_t CBN_EDITCHANGE = 5;
inline constexpr uint16_t CBN_EDITUPDATE = 6;
inline constexpr uint16_t CBN_DROPDOWN = 7;
inline constexpr uint16_t CBN_CLOSEUP = 8;
inline constexpr uint16_t CBN_SELENDOK = 9;
inline constexpr uint16_t CBN_SELENDCANCEL = 10;
// The child ids of a combo box's edit field and list.
inline constexpr int kComboEditId = 1001;
inline constexpr int kComboListId = 1000;

// ---- Progress bar ----
inline constexpr uint32_t PBS_SMOOTH = 0x01;
inline constexpr uint32_t PBS_VERTICAL = 0x04;
inline constexpr uint32_t PBM_SETRANGE = WM_USER + 1;  // 0x401
inline constexpr uint32_t PBM_SETPOS = WM_USER + 2;    // 0x402
inline constexpr uint32_t PBM_DELTAPOS = WM_USER + 3;
inline constexpr uint32_t PBM_SETSTEP = WM_USER + 4;
inline constexpr uint32_t PBM_STEPIT = WM_USER + 5;
inline constexpr uint32_t PBM_SETRANGE32 = WM_USER + 6;
inline constexpr uint32_t PBM_GETRANGE = WM_USER + 7;
inline constexpr uint32_t PBM_GETPOS = WM_USER + 8;
inline constexpr uint32_t PBM_SETBARCOLOR = WM_USER + 9;
inline constexpr uint32_t PBM_SETBKCOLOR = 0x2001;
struct PBRANGE {
    int32_t iLow = 0;
    int32_t iHigh = 0;
};

// ---- Up-down ----
inline constexpr uint32_t UDS_WRAP = 0x0001;
inline constexpr uint32_t UDS_SETBUDDYINT = 0x0002;
inline constexpr uint32_t UDS_ALIGNRIGHT = 0x0004;
inline constexpr uint32_t UDS_ALIGNLEFT = 0x0008;
inline constexpr uint32_t UDS_AUTOBUDDY = 0x0010;
inline constexpr uint32_t UDS_ARROWKEYS = 0x0020;
inline constexpr uint32_t UDS_HORZ = 0x0040;
inline constexpr uint32_t UDS_NOTHOUSANDS = 0x0080;

inline constexpr uint32_t UDM_SETRANGE = WM_USER + 101;  // lParam: low word upper, high word lower
inline constexpr uint32_t UDM_GETRANGE = WM_USER + 102;
inline constexpr uint32_t UDM_SETPOS = WM_USER + 103;
inline constexpr uint32_t UDM_GETPOS = WM_USER + 104;
inline constexpr uint32_t UDM_SETBUDDY = WM_USER + 105;
inline constexpr uint32_t UDM_GETBUDDY = WM_USER + 106;
inline constexpr uint32_t UDM_SETBASE = WM_USER + 109;
inline constexpr uint32_t UDM_GETBASE = WM_USER + 110;
inline constexpr uint32_t UDM_SETRANGE32 = WM_USER + 111;
inline constexpr uint32_t UDM_GETRANGE32 = WM_USER + 112;
inline constexpr uint32_t UDM_SETPOS32 = WM_USER + 113;
inline constexpr uint32_t UDM_GETPOS32 = WM_USER + 114;

inline constexpr uint32_t UDN_DELTAPOS = uint32_t(-722);
struct NMUPDOWN {
    NMHDR hdr;
    int32_t iPos = 0;
    int32_t iDelta = 0;
};
// Scroll codes the up-down sends its parent with WM_VSCROLL / WM_HSCROLL.
inline constexpr uint16_t SB_THUMBPOSITION = 4;
inline constexpr uint16_t SB_ENDSCROLL = 8;

}  // namespace platform
