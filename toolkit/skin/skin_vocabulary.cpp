#include "toolkit/skin/skin_vocabulary.h"

#include <shlwapi.h>

#include <initializer_list>

namespace SkinVocabulary {
namespace {

using Names = std::initializer_list<const wchar_t*>;

// 1-based position of name in the list, 0 when absent.
int IndexOf(Names names, const wchar_t* name) {
  int i = 1;
  for (const wchar_t* n : names) {
    if (lstrcmpiW(n, name) == 0) return i;
    ++i;
  }
  return 0;
}

const Names kClasses = {L"Globals",  L"Documentation", L"SysMetrics", L"ListBox",    L"Dialog",      L"WINDOW",
                        L"BUTTON",   L"REBAR",         L"TOOLBAR",    L"STATUS",     L"MENU",        L"LISTVIEW",
                        L"HEADER",   L"PROGRESS",      L"TAB",        L"TRACKBAR",   L"TOOLTIP",     L"TREEVIEW",
                        L"SPIN",     L"PAGE",          L"SCROLLBAR",  L"EDIT",       L"COMBOBOX",    L"CLOCK",
                        L"TRAYNOTIFY", L"TASKBAR",     L"TASKBAND",   L"STARTPANEL", L"EXPLORERBAR", L"MENUBAND"};

struct PartList {
  const wchar_t* cls;
  Names parts;
};

const PartList kParts[] = {
    {L"WINDOW",
     {L"CAPTION", L"SMALLCAPTION", L"MINCAPTION", L"SMALLMINCAPTION", L"MAXCAPTION", L"SMALLMAXCAPTION", L"FRAMELEFT",
      L"FRAMERIGHT", L"FRAMEBOTTOM", L"SMALLFRAMELEFT", L"SMALLFRAMERIGHT", L"SMALLFRAMEBOTTOM", L"SYSBUTTON",
      L"MDISYSBUTTON", L"MINBUTTON", L"MDIMINBUTTON", L"MAXBUTTON", L"CLOSEBUTTON", L"SMALLCLOSEBUTTON",
      L"MDICLOSEBUTTON", L"RESTOREBUTTON", L"MDIRESTOREBUTTON", L"HELPBUTTON", L"MDIHELPBUTTON", L"HORZSCROLL",
      L"HORZTHUMB", L"VERTSCROLL", L"VERTTHUMB", L"DIALOG", L"CAPTIONSIZINGTEMPLATE", L"SMALLCAPTIONSIZINGTEMPLATE",
      L"FRAMELEFTSIZINGTEMPLATE", L"SMALLFRAMELEFTSIZINGTEMPLATE", L"FRAMERIGHTSIZINGTEMPLATE",
      L"SMALLFRAMERIGHTSIZINGTEMPLATE", L"FRAMEBOTTOMSIZINGTEMPLATE", L"SMALLFRAMEBOTTOMSIZINGTEMPLATE"}},
    {L"BUTTON", {L"PUSHBUTTON", L"RADIOBUTTON", L"CHECKBOX", L"GROUPBOX", L"USERBUTTON"}},
    {L"REBAR", {L"GRIPPER", L"GRIPPERVERT", L"BAND", L"CHEVRON", L"CHEVRONVERT"}},
    {L"TOOLBAR",
     {L"BUTTON", L"DROPDOWNBUTTON", L"SPLITBUTTON", L"SPLITBUTTONDROPDOWN", L"SEPARATOR", L"SEPARATORVERT"}},
    {L"STATUS", {L"PANE", L"GRIPPERPANE", L"GRIPPER"}},
    {L"MENU", {L"MENUITEM", L"MENUDROPDOWN", L"MENUBARITEM", L"MENUBARDROPDOWN", L"CHEVRON", L"SEPARATOR"}},
    {L"LISTVIEW", {L"LISTITEM", L"LISTGROUP", L"LISTDETAIL", L"LISTSORTEDDETAIL", L"EMPTYTEXT"}},
    {L"HEADER", {L"HEADERITEM", L"HEADERITEMLEFT", L"HEADERITEMRIGHT", L"HEADERSORTARROW"}},
    {L"PROGRESS", {L"BAR", L"BARVERT", L"CHUNK", L"CHUNKVERT"}},
    {L"TAB",
     {L"TABITEM", L"TABITEMLEFTEDGE", L"TABITEMRIGHTEDGE", L"TABITEMBOTHEDGE", L"TOPTABITEM", L"TOPTABITEMLEFTEDGE",
      L"TOPTABITEMRIGHTEDGE", L"TOPTABITEMBOTHEDGE", L"PANE", L"BODY"}},
    {L"TRACKBAR",
     {L"TRACK", L"TRACKVERT", L"THUMB", L"THUMBBOTTOM", L"THUMBTOP", L"THUMBVERT", L"THUMBLEFT", L"THUMBRIGHT",
      L"TICS", L"TICSVERT"}},
    {L"TOOLTIP", {L"STANDARD", L"STANDARDTITLE", L"BALLOON", L"BALLOONTITLE", L"CLOSE"}},
    {L"TREEVIEW", {L"TREEITEM", L"GLYPH", L"BRANCH"}},
    {L"SPIN", {L"UP", L"DOWN", L"UPHORZ", L"DOWNHORZ"}},
    {L"PAGE", {L"UP", L"DOWN", L"UPHORZ", L"DOWNHORZ"}},
    {L"SCROLLBAR",
     {L"ARROWBTN", L"THUMBBTNHORZ", L"THUMBBTNVERT", L"LOWERTRACKHORZ", L"UPPERTRACKHORZ", L"LOWERTRACKVERT",
      L"UPPERTRACKVERT", L"GRIPPERHORZ", L"GRIPPERVERT", L"SIZEBOX"}},
    {L"EDIT", {L"EDITTEXT", L"CARET"}},
    {L"COMBOBOX", {L"DROPDOWNBUTTON"}},
    {L"CLOCK", {L"TIME"}},
    {L"TRAYNOTIFY", {L"BACKGROUND", L"ANIMBACKGROUND"}},
    {L"TASKBAR",
     {L"BACKGROUNDBOTTOM", L"BACKGROUNDRIGHT", L"BACKGROUNDTOP", L"BACKGROUNDLEFT", L"SIZINGBARBOTTOM",
      L"SIZINGBARRIGHT", L"SIZINGBARTOP", L"SIZINGBARLEFT"}},
    {L"TASKBAND", {L"GROUPCOUNT", L"FLASHBUTTON", L"FLASHBUTTONGROUPMENU"}},
    {L"STARTPANEL",
     {L"USERPANE", L"MOREPROGRAMS", L"MOREPROGRAMSARROW", L"PROGLIST", L"PROGLISTSEPARATOR", L"PLACESLIST",
      L"PLACESLISTSEPARATOR", L"LOGOFF", L"LOGOFFBUTTONS", L"USERPICTURE", L"PREVIEW"}},
    {L"EXPLORERBAR",
     {L"HEADERBACKGROUND", L"HEADERCLOSE", L"HEADERPIN", L"IEBARMENU", L"NORMALGROUPBACKGROUND",
      L"NORMALGROUPCOLLAPSE", L"NORMALGROUPEXPAND", L"NORMALGROUPHEAD", L"SPECIALGROUPBACKGROUND",
      L"SPECIALGROUPCOLLAPSE", L"SPECIALGROUPEXPAND", L"SPECIALGROUPHEAD"}},
    {L"MENUBAND", {L"NEWAPPBUTTON", L"SEPERATOR"}},
};

struct StateGroup {
  Names groups;
  Names states;
};

#define CHECK_STATES                                                                                       \
  L"UNCHECKEDNORMAL", L"UNCHECKEDHOT", L"UNCHECKEDPRESSED", L"UNCHECKEDDISABLED", L"CHECKEDNORMAL", L"CHECKEDHOT", \
      L"CHECKEDPRESSED", L"CHECKEDDISABLED"

const StateGroup kStates[] = {
    {{L"FRAME"}, {L"ACTIVE", L"INACTIVE"}},
    {{L"CAPTION", L"MAXCAPTION", L"MINCAPTION"}, {L"ACTIVE", L"INACTIVE", L"DISABLED"}},
    {{L"HORZSCROLL", L"HORZTHUMB", L"VERTSCROLL", L"VERTTHUMB", L"SYSBUTTON", L"MINBUTTON", L"MAXBUTTON",
      L"RESTOREBUTTON", L"HELPBUTTON", L"CLOSEBUTTON"},
     {L"NORMAL", L"HOT", L"PUSHED", L"DISABLED"}},
    {{L"PUSHBUTTON"}, {L"NORMAL", L"HOT", L"PRESSED", L"DISABLED", L"DEFAULTED"}},
    {{L"RADIOBUTTON"}, {CHECK_STATES}},
    {{L"CHECKBOX"}, {CHECK_STATES, L"MIXEDNORMAL", L"MIXEDHOT", L"MIXEDPRESSED", L"MIXEDDISABLED"}},
    {{L"GROUPBOX"}, {L"NORMAL", L"DISABLED"}},
    {{L"CHEVRON"}, {L"NORMAL", L"HOT", L"PRESSED"}},
    {{L"TOOLBAR", L"MENUBAND"}, {L"NORMAL", L"HOT", L"PRESSED", L"DISABLED", L"CHECKED", L"HOTCHECKED"}},
    {{L"MENU"}, {L"NORMAL", L"SELECTED", L"DEMOTED"}},
    {{L"LISTITEM", L"TREEITEM"}, {L"NORMAL", L"HOT", L"SELECTED", L"DISABLED", L"SELECTEDNOTFOCUS"}},
    {{L"HEADERITEM", L"HEADERITEMLEFT", L"HEADERITEMRIGHT"}, {L"NORMAL", L"HOT", L"PRESSED"}},
    {{L"HEADERSORTARROW"}, {L"SORTEDUP", L"SORTEDDOWN"}},
    {{L"TABITEM", L"TABITEMLEFTEDGE", L"TABITEMRIGHTEDGE", L"TABITEMBOTHEDGES", L"TOPTABITEM",
      L"TOPTABITEMLEFTEDGE", L"TOPTABITEMRIGHTEDGE", L"TOPTABITEMBOTHEDGES"},
     {L"NORMAL", L"HOT", L"SELECTED", L"DISABLED", L"FOCUSED"}},
    {{L"TRACKBAR", L"TRACK", L"TRACKVERT", L"TICS", L"TICSVERT", L"CLOCK"}, {L"NORMAL"}},
    {{L"THUMB", L"THUMBBOTTOM", L"THUMBTOP", L"THUMBVERT", L"THUMBLEFT", L"THUMBRIGHT"},
     {L"NORMAL", L"HOT", L"PRESSED", L"FOCUSED", L"DISABLED"}},
    {{L"CLOSE", L"MOREPROGRAMSARROW", L"LOGOFFBUTTONS", L"HEADERCLOSE", L"IEBARMENU", L"NORMALGROUPCOLLAPSE",
      L"NORMALGROUPEXPAND", L"SPECIALGROUPCOLLAPSE", L"SPECIALGROUPEXPAND"},
     {L"NORMAL", L"HOT", L"PRESSED"}},
    {{L"STANDARD", L"BALLOON"}, {L"NORMAL", L"LINK"}},
    {{L"GLYPH"}, {L"CLOSED", L"OPENED"}},
    {{L"UP", L"DOWN", L"UPHORZ", L"DOWNHORZ"}, {L"NORMAL", L"HOT", L"PRESSED", L"DISABLED"}},
    {{L"ARROWBTN"},
     {L"UPNORMAL", L"UPHOT", L"UPPRESSED", L"UPDISABLED", L"DOWNNORMAL", L"DOWNHOT", L"DOWNPRESSED", L"DOWNDISABLED",
      L"LEFTNORMAL", L"LEFTHOT", L"LEFTPRESSED", L"LEFTDISABLED", L"RIGHTNORMAL", L"RIGHTHOT", L"RIGHTPRESSED",
      L"RIGHTDISABLED"}},
    {{L"SCROLLBAR"}, {L"NORMAL", L"HOT", L"PRESSED", L"DISABLED", L"ACTIVE"}},
    {{L"SIZEBOX"}, {L"RIGHTALIGN", L"LEFTALIGN"}},
    {{L"EDITTEXT"}, {L"NORMAL", L"HOT", L"SELECTED", L"DISABLED", L"FOCUSED", L"READONLY", L"ASSIST"}},
    {{L"COMBOBOX"}, {L"NORMAL", L"HOT", L"PRESSED", L"DISABLED"}},
    {{L"HEADERPIN"}, {L"NORMAL", L"HOT", L"PRESSED", L"SELECTEDNORMAL", L"SELECTEDHOT", L"SELECTEDPRESSED"}},
};

struct Property {
  const wchar_t* name;
  int id;
  ValueType type;
};

const Property kProperties[] = {
    {L"STRING", 201, kTypeString}, {L"FILENAME", 206, kTypeString}, {L"COLORSCHEMES", 401, kTypeString},
    {L"SIZES", 402, kTypeString}, {L"DISPLAYNAME", 601, kTypeString}, {L"TOOLTIP", 602, kTypeString},
    {L"COMPANY", 603, kTypeString}, {L"AUTHOR", 604, kTypeString}, {L"COPYRIGHT", 605, kTypeString},
    {L"URL", 606, kTypeString}, {L"VERSION", 607, kTypeString}, {L"DESCRIPTION", 608, kTypeString},
    {L"CSSNAME", 1401, kTypeString}, {L"XMLNAME", 1402, kTypeString}, {L"IMAGEFILE", 3001, kTypeString},
    {L"IMAGEFILE1", 3002, kTypeString}, {L"IMAGEFILE2", 3003, kTypeString}, {L"IMAGEFILE3", 3004, kTypeString},
    {L"IMAGEFILE4", 3005, kTypeString}, {L"IMAGEFILE5", 3006, kTypeString}, {L"STOCKIMAGEFILE", 3007, kTypeString},
    {L"GLYPHIMAGEFILE", 3008, kTypeString}, {L"TEXT", 3201, kTypeString},
    {L"INT", 202, kTypeInt}, {L"SIZE", 207, kTypeInt}, {L"CHARSET", 403, kTypeInt},
    {L"SIZINGBORDERWIDTH", 1201, kTypeInt}, {L"SCROLLBARWIDTH", 1202, kTypeInt}, {L"SCROLLBARHEIGHT", 1203, kTypeInt},
    {L"CAPTIONBARWIDTH", 1204, kTypeInt}, {L"CAPTIONBARHEIGHT", 1205, kTypeInt},
    {L"SMCAPTIONBARWIDTH", 1206, kTypeInt}, {L"SMCAPTIONBARHEIGHT", 1207, kTypeInt},
    {L"MENUBARWIDTH", 1208, kTypeInt}, {L"MENUBARHEIGHT", 1209, kTypeInt}, {L"MINCOLORDEPTH", 1301, kTypeInt},
    {L"FROMHUE1", 1801, kTypeInt}, {L"FROMHUE2", 1802, kTypeInt}, {L"FROMHUE3", 1803, kTypeInt},
    {L"FROMHUE4", 1804, kTypeInt}, {L"FROMHUE5", 1805, kTypeInt}, {L"TOHUE1", 1806, kTypeInt},
    {L"TOHUE2", 1807, kTypeInt}, {L"TOHUE3", 1808, kTypeInt}, {L"TOHUE4", 1809, kTypeInt},
    {L"TOHUE5", 1810, kTypeInt}, {L"IMAGECOUNT", 2401, kTypeInt}, {L"ALPHALEVEL", 2402, kTypeInt},
    {L"BORDERSIZE", 2403, kTypeInt}, {L"ROUNDCORNERWIDTH", 2404, kTypeInt}, {L"ROUNDCORNERHEIGHT", 2405, kTypeInt},
    {L"GRADIENTRATIO1", 2406, kTypeInt}, {L"GRADIENTRATIO2", 2407, kTypeInt}, {L"GRADIENTRATIO3", 2408, kTypeInt},
    {L"GRADIENTRATIO4", 2409, kTypeInt}, {L"GRADIENTRATIO5", 2410, kTypeInt},
    {L"PROGRESSCHUNKSIZE", 2411, kTypeInt}, {L"PROGRESSSPACESIZE", 2412, kTypeInt}, {L"SATURATION", 2413, kTypeInt},
    {L"TEXTBORDERSIZE", 2414, kTypeInt}, {L"ALPHATHRESHOLD", 2415, kTypeInt}, {L"WIDTH", 2416, kTypeInt},
    {L"HEIGHT", 2417, kTypeInt}, {L"GLYPHINDEX", 2418, kTypeInt}, {L"TRUESIZESTRETCHMARK", 2419, kTypeInt},
    {L"MINDPI1", 2420, kTypeInt}, {L"MINDPI2", 2421, kTypeInt}, {L"MINDPI3", 2422, kTypeInt},
    {L"MINDPI4", 2423, kTypeInt}, {L"MINDPI5", 2424, kTypeInt},
    {L"BOOL", 203, kTypeBool}, {L"FLATMENUS", 1001, kTypeBool}, {L"TRANSPARENT", 2201, kTypeBool},
    {L"AUTOSIZE", 2202, kTypeBool}, {L"BORDERONLY", 2203, kTypeBool}, {L"COMPOSITED", 2204, kTypeBool},
    {L"BGFILL", 2205, kTypeBool}, {L"GLYPHTRANSPARENT", 2206, kTypeBool}, {L"GLYPHONLY", 2207, kTypeBool},
    {L"ALWAYSSHOWSIZINGBAR", 2208, kTypeBool}, {L"MIRRORIMAGE", 2209, kTypeBool}, {L"UNIFORMSIZING", 2210, kTypeBool},
    {L"INTEGRALSIZING", 2211, kTypeBool}, {L"SOURCEGROW", 2212, kTypeBool}, {L"SOURCESHRINK", 2213, kTypeBool},
    {L"USERPICTURE", 5001, kTypeBool},
    {L"COLOR", 204, kTypeColor}, {L"SCROLLBAR", 1601, kTypeColor}, {L"BACKGROUND", 1602, kTypeColor},
    {L"ACTIVECAPTION", 1603, kTypeColor}, {L"INACTIVECAPTION", 1604, kTypeColor}, {L"MENU", 1605, kTypeColor},
    {L"WINDOW", 1606, kTypeColor}, {L"WINDOWFRAME", 1607, kTypeColor}, {L"MENUTEXT", 1608, kTypeColor},
    {L"WINDOWTEXT", 1609, kTypeColor}, {L"CAPTIONTEXT", 1610, kTypeColor}, {L"ACTIVEBORDER", 1611, kTypeColor},
    {L"INACTIVEBORDER", 1612, kTypeColor}, {L"APPWORKSPACE", 1613, kTypeColor}, {L"HIGHLIGHT", 1614, kTypeColor},
    {L"HIGHLIGHTTEXT", 1615, kTypeColor}, {L"BTNFACE", 1616, kTypeColor}, {L"BTNSHADOW", 1617, kTypeColor},
    {L"GRAYTEXT", 1618, kTypeColor}, {L"BTNTEXT", 1619, kTypeColor}, {L"INACTIVECAPTIONTEXT", 1620, kTypeColor},
    {L"BTNHIGHLIGHT", 1621, kTypeColor}, {L"DKSHADOW3D", 1622, kTypeColor}, {L"LIGHT3D", 1623, kTypeColor},
    {L"INFOTEXT", 1624, kTypeColor}, {L"INFOBK", 1625, kTypeColor}, {L"BUTTONALTERNATEFACE", 1626, kTypeColor},
    {L"HOTTRACKING", 1627, kTypeColor}, {L"GRADIENTACTIVECAPTION", 1628, kTypeColor},
    {L"GRADIENTINACTIVECAPTION", 1629, kTypeColor}, {L"MENUHILIGHT", 1630, kTypeColor}, {L"MENUBAR", 1631, kTypeColor},
    {L"FROMCOLOR1", 2001, kTypeColor}, {L"FROMCOLOR2", 2002, kTypeColor}, {L"FROMCOLOR3", 2003, kTypeColor},
    {L"FROMCOLOR4", 2004, kTypeColor}, {L"FROMCOLOR5", 2005, kTypeColor}, {L"TOCOLOR1", 2006, kTypeColor},
    {L"TOCOLOR2", 2007, kTypeColor}, {L"TOCOLOR3", 2008, kTypeColor}, {L"TOCOLOR4", 2009, kTypeColor},
    {L"TOCOLOR5", 2010, kTypeColor}, {L"BORDERCOLOR", 3801, kTypeColor}, {L"FILLCOLOR", 3802, kTypeColor},
    {L"TEXTCOLOR", 3803, kTypeColor}, {L"EDGELIGHTCOLOR", 3804, kTypeColor}, {L"EDGEHIGHLIGHTCOLOR", 3805, kTypeColor},
    {L"EDGESHADOWCOLOR", 3806, kTypeColor}, {L"EDGEDKSHADOWCOLOR", 3807, kTypeColor},
    {L"EDGEFILLCOLOR", 3808, kTypeColor}, {L"TRANSPARENTCOLOR", 3809, kTypeColor},
    {L"GRADIENTCOLOR1", 3810, kTypeColor}, {L"GRADIENTCOLOR2", 3811, kTypeColor},
    {L"GRADIENTCOLOR3", 3812, kTypeColor}, {L"GRADIENTCOLOR4", 3813, kTypeColor},
    {L"GRADIENTCOLOR5", 3814, kTypeColor}, {L"SHADOWCOLOR", 3815, kTypeColor}, {L"GLOWCOLOR", 3816, kTypeColor},
    {L"TEXTBORDERCOLOR", 3817, kTypeColor}, {L"TEXTSHADOWCOLOR", 3818, kTypeColor},
    {L"GLYPHTEXTCOLOR", 3819, kTypeColor}, {L"GLYPHTRANSPARENTCOLOR", 3820, kTypeColor},
    {L"FILLCOLORHINT", 3821, kTypeColor}, {L"BORDERCOLORHINT", 3822, kTypeColor},
    {L"ACCENTCOLORHINT", 3823, kTypeColor}, {L"BLENDCOLOR", 5003, kTypeColor},
    {L"MARGINS", 205, kTypeRect}, {L"RECT", 209, kTypeRect}, {L"SIZINGMARGINS", 3601, kTypeRect},
    {L"CONTENTMARGINS", 3602, kTypeRect}, {L"CAPTIONMARGINS", 3603, kTypeRect}, {L"DEFAULTPANESIZE", 5002, kTypeRect},
    {L"FONT", 210, kTypeFont}, {L"CAPTIONFONT", 801, kTypeFont}, {L"SMALLCAPTIONFONT", 802, kTypeFont},
    {L"MENUFONT", 803, kTypeFont}, {L"STATUSFONT", 804, kTypeFont}, {L"MSGBOXFONT", 805, kTypeFont},
    {L"ICONTITLEFONT", 806, kTypeFont}, {L"GLYPHFONT", 2601, kTypeFont},
    {L"INTLIST", 211, kTypeIntList},
    {L"BGTYPE", 4001, kTypeEnum}, {L"BORDERTYPE", 4002, kTypeEnum}, {L"FILLTYPE", 4003, kTypeEnum},
    {L"SIZINGTYPE", 4004, kTypeEnum}, {L"HALIGN", 4005, kTypeEnum}, {L"CONTENTALIGNMENT", 4006, kTypeEnum},
    {L"VALIGN", 4007, kTypeEnum}, {L"OFFSETTYPE", 4008, kTypeEnum}, {L"ICONEFFECT", 4009, kTypeEnum},
    {L"TEXTSHADOWTYPE", 4010, kTypeEnum}, {L"IMAGELAYOUT", 4011, kTypeEnum}, {L"GLYPHTYPE", 4012, kTypeEnum},
    {L"IMAGESELECTTYPE", 4013, kTypeEnum}, {L"GLYPHFONTSIZINGTYPE", 4014, kTypeEnum},
    {L"TRUESIZESCALINGTYPE", 4015, kTypeEnum},
    {L"POSITION", 208, kTypePosition}, {L"OFFSET", 3401, kTypePosition}, {L"TEXTSHADOWOFFSET", 3402, kTypePosition},
    {L"MINSIZE", 3403, kTypePosition}, {L"MINSIZE1", 3404, kTypePosition}, {L"MINSIZE2", 3405, kTypePosition},
    {L"MINSIZE3", 3406, kTypePosition}, {L"MINSIZE4", 3407, kTypePosition}, {L"MINSIZE5", 3408, kTypePosition},
    {L"NORMALSIZE", 3409, kTypePosition},
};

struct EnumList {
  int property;
  Names values;
};

const Names kAlign = {L"LEFT", L"CENTER", L"RIGHT"};
const Names kSelect = {L"NONE", L"SIZE", L"DPI"};

const EnumList kEnums[] = {
    {4001, {L"IMAGEFILE", L"BORDERFILL", L"NONE"}},
    {4011, {L"VERTICAL", L"HORIZONTAL"}},
    {4002, {L"RECT", L"ROUNDRECT", L"ELLIPSE"}},
    {4003, {L"SOLID", L"VERTGRADIENT", L"HORZGRADIENT", L"RADIALGRADIENT", L"TILEIMAGE"}},
    {4004, {L"TRUESIZE", L"STRETCH", L"TILE"}},
    {4005, kAlign},
    {4006, kAlign},
    {4007, {L"TOP", L"CENTER", L"BOTTOM"}},
    {4008,
     {L"TOPLEFT", L"TOPRIGHT", L"TOPMIDDLE", L"BOTTOMLEFT", L"BOTTOMRIGHT", L"BOTTOMMIDDLE", L"MIDDLELEFT",
      L"MIDDLERIGHT", L"LEFTOFCAPTION", L"RIGHTOFCAPTION", L"LEFTOFLASTBUTTON", L"RIGHTOFLASTBUTTON",
      L"ABOVELASTBUTTON", L"BELOWLASTBUTTON"}},
    {4009, {L"NONE", L"GLOW", L"SHADOW", L"PULSE", L"ALPHA"}},
    {4010, {L"NONE", L"SINGLE", L"CONTINUOUS"}},
    {4012, {L"NONE", L"IMAGEGLYPH", L"FONTGLYPH"}},
    {4013, kSelect},
    {4014, kSelect},
    {4015, kSelect},
};

}  // namespace

int ClassId(const wchar_t* name) { return IndexOf(kClasses, name); }

const wchar_t* ClassName(int id) {
  if (id < 1 || id > static_cast<int>(kClasses.size())) return L"";
  return kClasses.begin()[id - 1];
}

int PartId(int classId, const wchar_t* part) {
  const wchar_t* cls = ClassName(classId);
  for (const PartList& list : kParts) {
    if (lstrcmpiW(list.cls, cls) == 0) return IndexOf(list.parts, part);
  }
  return 0;
}

int StateId(const wchar_t* group, const wchar_t* state) {
  for (const StateGroup& g : kStates) {
    if (IndexOf(g.groups, group) != 0) return IndexOf(g.states, state);
  }
  return 0;
}

int PropertyId(const wchar_t* name, ValueType* type) {
  for (const Property& p : kProperties) {
    if (lstrcmpiW(p.name, name) == 0) {
      *type = p.type;
      return p.id;
    }
  }
  *type = kTypeNone;
  return 0;
}

int EnumValue(int propertyId, const wchar_t* value) {
  for (const EnumList& e : kEnums) {
    if (e.property == propertyId) return IndexOf(e.values, value) - 1;
  }
  return -1;
}

}  // namespace SkinVocabulary
