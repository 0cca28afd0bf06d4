#include "app/property_lists.h"

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>

namespace shell::PropertyLists {
namespace {

// The lists are written out here entry by entry and encoded by the compiler,
// so each one stays readable against the window's table of values and still
// ends up as a fixed byte string in the program's data.

template <std::size_t N>
struct Bytes {
  std::array<char, N> data{};
};

template <std::size_t A, std::size_t B>
consteval Bytes<A + B> operator+(const Bytes<A>& a, const Bytes<B>& b) {
  Bytes<A + B> out;
  for (std::size_t i = 0; i < A; ++i) out.data[i] = a.data[i];
  for (std::size_t i = 0; i < B; ++i) out.data[A + i] = b.data[i];
  return out;
}

// A name literal of K characters (its terminating NUL included) takes K bytes
// in the list: the name and the space after it.
template <std::size_t K>
consteval Bytes<K> Name(const char (&name)[K]) {
  Bytes<K> out;
  for (std::size_t i = 0; i + 1 < K; ++i) out.data[i] = name[i];
  out.data[K - 1] = ' ';
  return out;
}

consteval Bytes<4> BigEndian(std::uint32_t value) {
  return {{static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
           static_cast<char>(value)}};
}

template <std::size_t K>
consteval auto Int32(const char (&name)[K], std::int32_t value) {
  return Name(name) + BigEndian(static_cast<std::uint32_t>(value));
}

template <std::size_t K>
consteval auto Boolean(const char (&name)[K], bool value) {
  return Name(name) + Bytes<1>{{static_cast<char>(value ? 1 : 0)}};
}

template <std::size_t K>
consteval auto Color(const char (&name)[K], std::uint32_t rgb) {
  return Name(name) + Bytes<3>{{static_cast<char>(rgb >> 16), static_cast<char>(rgb >> 8), static_cast<char>(rgb)}};
}

template <std::size_t K, std::size_t M>
consteval auto String(const char (&name)[K], const char (&text)[M]) {
  Bytes<M - 1> bytes;
  for (std::size_t i = 0; i + 1 < M; ++i) bytes.data[i] = text[i];
  return Name(name) + BigEndian(static_cast<std::uint32_t>(M - 1)) + bytes;
}

struct Rect {
  std::int32_t left, top, width, height;
};

// A control that is found by its name alone, never through a control array.
constexpr std::int32_t kNoIndex = INT32_MIN;
constexpr std::uint32_t kBlack = 0x000000;
constexpr std::uint32_t kWhite = 0xFFFFFF;

template <std::size_t K>
consteval auto ControlHead(const char (&name)[K], Rect r) {
  return String("Name", name) + Int32("Index", kNoIndex) + Int32("Left", r.left) + Int32("Top", r.top) +
         Int32("Width", r.width) + Int32("Height", r.height) + Boolean("LockLeft", true) + Boolean("LockTop", true) +
         Boolean("LockRight", false) + Boolean("LockBottom", false) + Int32("TabPanelIndex", 0);
}

consteval auto SystemFont() {
  return String("TextFont", "System") + Boolean("Bold", false) + Boolean("Italic", false) + Boolean("Underline", false);
}

consteval auto NoDataBinding() {
  return String("DataSource", "") + String("DataField", "");
}

template <std::size_t K, std::size_t T, std::size_t P>
consteval auto Label(const char (&name)[K], Rect r, std::int32_t tabIndex, const char (&text)[T],
                     std::int32_t textAlign, bool multiline, const char (&initialParent)[P]) {
  return ControlHead(name, r) + Int32("TabIndex", tabIndex) + String("Text", text) + Int32("TextAlign", textAlign) +
         Color("TextColor", kBlack) + Boolean("Multiline", multiline) + Boolean("Enabled", true) +
         Boolean("Visible", true) + String("HelpTag", "") + Boolean("AutoDeactivate", true) + SystemFont() +
         NoDataBinding() + String("InitialParent", initialParent);
}

template <std::size_t K, std::size_t T>
consteval auto TextFieldWithoutParent(const char (&name)[K], Rect r, std::int32_t tabIndex, const char (&text)[T]) {
  return ControlHead(name, r) + Int32("TabIndex", tabIndex) + Boolean("TabStop", true) + Boolean("Border", true) +
         Boolean("Password", false) + Boolean("UseFocusRing", true) + Color("TextColor", kBlack) +
         Color("BackColor", kWhite) + Boolean("Enabled", true) + String("Format", "") + Boolean("Visible", true) +
         String("HelpTag", "") + Boolean("AutoDeactivate", true) + SystemFont() + String("CueText", "") +
         String("Text", text) + String("Mask", "") + Boolean("ReadOnly", false) + Int32("LimitText", 0) +
         Boolean("AcceptTabs", false) + Int32("Alignment", 0) + NoDataBinding();
}

template <std::size_t K, std::size_t T>
consteval auto TextField(const char (&name)[K], Rect r, std::int32_t tabIndex, const char (&text)[T]) {
  return TextFieldWithoutParent(name, r, tabIndex, text) + String("InitialParent", "");
}

constexpr auto kWindowBytes =
    Int32("Placement", 0) + Int32("Width", 600) + Int32("Height", 93) + Int32("MinWidth", 64) + Int32("MinHeight", 64) +
    Int32("MaxWidth", 32000) + Int32("MaxHeight", 32000) + Int32("Frame", 0) + Boolean("Composite", false) +
    Boolean("HasBackColor", false) + Color("BackColor", kWhite) + String("Title", "IGES To Brindlemark Importer") +
    Boolean("Visible", true) + Boolean("FullScreen", false) + Boolean("MenuBarVisible", true) +
    Boolean("CloseButton", true) + Boolean("Resizeable", false) + Boolean("LiveResize", false) +
    Boolean("MaximizeButton", false) + Boolean("MinimizeButton", true) + Int32("MacProcID", 0);

constexpr auto kRoundRectangle1Bytes =
    String("Name", "RoundRectangle1") + Int32("Index", kNoIndex) + Int32("Left", 162) + Int32("Top", 38) +
    Int32("Width", 418) + Int32("Height", 35) + Boolean("LockLeft", true) + Boolean("LockTop", true) +
    Boolean("LockRight", false) + Boolean("LockBottom", false) + Int32("TabPanelIndex", 0) + Boolean("Visible", true) +
    String("HelpTag", "") + Boolean("AutoDeactivate", true) + Boolean("Enabled", true) + Color("FillColor", 0xE1EFFF) +
    Int32("BorderWidth", 1) + Color("BorderColor", kBlack) + Int32("OvalWidth", 16) + Int32("OvalHeight", 16) +
    String("InitialParent", "");

constexpr auto kHelpTBytes =
    Label("HelpT", {175, 40, 396, 33}, 0, "Click on Import and select file", 0, true, "RoundRectangle1");

constexpr auto kImportButtonBytes = ControlHead("ImportButton", {500, 5, 80, 22}) + Int32("TabIndex", 0) +
                                    Boolean("TabStop", true) + String("Caption", "Import") + Boolean("Default", false) +
                                    Boolean("Cancel", false) + Boolean("Enabled", true) + Boolean("Visible", true) +
                                    String("HelpTag", "") + Boolean("AutoDeactivate", true) + SystemFont() +
                                    String("InitialParent", "");

constexpr auto kLblFileBytes = Label("lblFile", {-5, 8, 80, 20}, 3, "Ruler Steps", 2, false, "");
constexpr auto kAlongStepsFBytes = TextField("AlongStepsF", {81, 7, 62, 22}, 4, "16");
constexpr auto kSideStepsFBytes = TextField("SideStepsF", {257, 7, 62, 22}, 5, "16");
constexpr auto kLblFile1Bytes = Label("lblFile1", {152, 8, 98, 20}, 6, "Cross Curve steps", 2, false, "");

constexpr auto kChkExportRefCurvesBytes = ControlHead("chkExportRefCurves", {20, 43, 134, 21}) + Int32("TabIndex", 7) +
                                          Boolean("TabStop", true) + String("Caption", "Import Curves / Trims") +
                                          Boolean("Enabled", true) + Boolean("Visible", true) + String("HelpTag", "") +
                                          Boolean("AutoDeactivate", true) + SystemFont() + Int32("State", 0) +
                                          Boolean("Value", false) + NoDataBinding() + String("InitialParent", "");

constexpr auto kLblFile11Bytes = Label("lblFile11", {331, 8, 64, 20}, 8, "Scale factor", 2, false, "");
// The scale field's list was stored without an InitialParent entry.
constexpr auto kScaleFBytes = TextFieldWithoutParent("ScaleF", {407, 7, 62, 22}, 9, "1");
constexpr auto kLblFile12Bytes = Label("lblFile12", {8, 77, 572, 17}, 10, kNotice, 0, true, "");

static_assert(kWindowBytes.data.size() == 295);
static_assert(kRoundRectangle1Bytes.data.size() == 269);
static_assert(kHelpTBytes.data.size() == 365);
static_assert(kImportButtonBytes.data.size() == 294);
static_assert(kLblFileBytes.data.size() == 332);
static_assert(kAlongStepsFBytes.data.size() == 438);
static_assert(kSideStepsFBytes.data.size() == 437);
static_assert(kLblFile1Bytes.data.size() == 339);
static_assert(kChkExportRefCurvesBytes.data.size() == 344);
static_assert(kLblFile11Bytes.data.size() == 335);
static_assert(kScaleFBytes.data.size() == 414);
static_assert(kLblFile12Bytes.data.size() == 323 + sizeof(kNotice) - 1);

template <std::size_t N>
constexpr std::string_view View(const Bytes<N>& bytes) {
  return {bytes.data.data(), N};
}

}  // namespace

const std::string_view kMainWindow = View(kWindowBytes);
const std::string_view kRoundRectangle1 = View(kRoundRectangle1Bytes);
const std::string_view kHelpT = View(kHelpTBytes);
const std::string_view kImportButton = View(kImportButtonBytes);
const std::string_view kLblFile = View(kLblFileBytes);
const std::string_view kAlongStepsF = View(kAlongStepsFBytes);
const std::string_view kSideStepsF = View(kSideStepsFBytes);
const std::string_view kLblFile1 = View(kLblFile1Bytes);
const std::string_view kChkExportRefCurves = View(kChkExportRefCurvesBytes);
const std::string_view kLblFile11 = View(kLblFile11Bytes);
const std::string_view kScaleF = View(kScaleFBytes);
const std::string_view kLblFile12 = View(kLblFile12Bytes);

}  // namespace shell::PropertyLists
