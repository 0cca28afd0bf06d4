#include "app/set_properties.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QColor>
#include <QFont>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMetaProperty>
#include <QPalette>
#include <QString>
#include <QVariant>
#include <QWidget>

namespace shell {
namespace {

// Names are matched without regard to case: the labels' lists say
// "Multiline" and the window's "MacProcID".
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

struct Declared {
  std::string_view name;
  PropertyType type;
};

constexpr PropertyType I = PropertyType::Int32;
constexpr PropertyType B = PropertyType::Boolean;
constexpr PropertyType C = PropertyType::Color;
constexpr PropertyType S = PropertyType::String;

// clang-format off
constexpr Declared kDeclaredTypes[] = {
    {"Placement", I}, {"Width", I}, {"Height", I}, {"MinWidth", I}, {"MinHeight", I}, {"MaxWidth", I},
    {"MaxHeight", I}, {"Frame", I}, {"MacProcID", I}, {"Index", I}, {"Left", I}, {"Top", I}, {"TabPanelIndex", I},
    {"TabIndex", I}, {"TextAlign", I}, {"BorderWidth", I}, {"OvalWidth", I}, {"OvalHeight", I}, {"LimitText", I},
    {"Alignment", I}, {"State", I},
    {"Composite", B}, {"HasBackColor", B}, {"Visible", B}, {"FullScreen", B}, {"MenuBarVisible", B},
    {"CloseButton", B}, {"Resizeable", B}, {"LiveResize", B}, {"MaximizeButton", B}, {"MinimizeButton", B},
    {"LockLeft", B}, {"LockTop", B}, {"LockRight", B}, {"LockBottom", B}, {"AutoDeactivate", B}, {"Enabled", B},
    {"Multiline", B}, {"Bold", B}, {"Italic", B}, {"Underline", B}, {"TabStop", B}, {"Default", B}, {"Cancel", B},
    {"Border", B}, {"Password", B}, {"UseFocusRing", B}, {"ReadOnly", B}, {"AcceptTabs", B}, {"Value", B},
    {"BackColor", C}, {"FillColor", C}, {"BorderColor", C}, {"TextColor", C},
    {"Title", S}, {"Name", S}, {"HelpTag", S}, {"InitialParent", S}, {"Text", S}, {"Caption", S}, {"TextFont", S},
    {"DataSource", S}, {"DataField", S}, {"Format", S}, {"CueText", S}, {"Mask", S},
};
// clang-format on

std::uint32_t BigEndian(std::string_view bytes) {
  std::uint32_t value = 0;
  for (char c : bytes) value = (value << 8) | static_cast<unsigned char>(c);
  return value;
}

QColor ToColor(std::uint32_t rgb) {
  return QColor(static_cast<int>((rgb >> 16) & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                static_cast<int>(rgb & 0xFF));
}

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// What one list's entries act on, and what an entry leaves for a later one.
struct Target {
  explicit Target(QObject* target)
      : object(target), widget(qobject_cast<QWidget*>(target)), window(qobject_cast<QMainWindow*>(target)) {}

  // The window's sizes are those of its client area, below the menu bar.
  QWidget* sized() const {
    if (window && window->centralWidget()) return window->centralWidget();
    return widget;
  }
  QLabel* label() const { return qobject_cast<QLabel*>(object); }
  QLineEdit* field() const { return qobject_cast<QLineEdit*>(object); }
  bool isWindow() const { return widget && widget->isWindow(); }

  void moveEdge(void (QRect::*move)(int), int value) const {
    if (!widget || widget->isWindow()) return;
    QRect geometry = widget->geometry();
    (geometry.*move)(value);
    widget->setGeometry(geometry);
  }
  void setWindowHint(Qt::WindowType hint, bool on) const {
    if (!isWindow()) return;
    // Without CustomizeWindowHint the platform ignores the button hints.
    Qt::WindowFlags flags =
        widget->windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    flags.setFlag(hint, on);
    widget->setWindowFlags(flags);
  }
  template <typename Change>
  void changeFont(Change change) const {
    if (!widget) return;
    QFont font = widget->font();
    change(font);
    widget->setFont(font);
  }
  void setColor(QPalette::ColorRole role, std::uint32_t rgb) const {
    if (!widget) return;
    QPalette palette = widget->palette();
    palette.setColor(role, ToColor(rgb));
    widget->setPalette(palette);
  }

  QObject* object;
  QWidget* widget;
  QMainWindow* window;
  bool hasBackColor = false;
  // Qt changes a window's buttons only while it is hidden, so the window is
  // shown after its whole list has been applied.
  std::optional<bool> windowVisible;
};

using Setter = void (*)(Target&, const PropertyEntry&);

struct Route {
  std::string_view name;
  Setter set;  // nullptr: nothing to set in Qt
};

// The stored names come from another toolkit. Most map onto a Qt setter
// here; the rest of them name a Qt property of the same name (SetByQtName).
const Route kRoutes[] = {
    {"Name", [](Target& t, const PropertyEntry& e) { t.object->setObjectName(ToQString(e.text)); }},
    {"Left", [](Target& t, const PropertyEntry& e) { t.moveEdge(&QRect::moveLeft, e.int32); }},
    {"Top", [](Target& t, const PropertyEntry& e) { t.moveEdge(&QRect::moveTop, e.int32); }},
    {"Width",
     [](Target& t, const PropertyEntry& e) {
       if (QWidget* w = t.sized()) w->resize(e.int32, w->height());
     }},
    {"Height",
     [](Target& t, const PropertyEntry& e) {
       if (QWidget* w = t.sized()) w->resize(w->width(), e.int32);
     }},
    {"MinWidth",
     [](Target& t, const PropertyEntry& e) {
       if (QWidget* w = t.sized()) w->setMinimumWidth(e.int32);
     }},
    {"MinHeight",
     [](Target& t, const PropertyEntry& e) {
       if (QWidget* w = t.sized()) w->setMinimumHeight(e.int32);
     }},
    {"MaxWidth",
     [](Target& t, const PropertyEntry& e) {
       if (QWidget* w = t.sized()) w->setMaximumWidth(e.int32);
     }},
    {"MaxHeight",
     [](Target& t, const PropertyEntry& e) {
       if (QWidget* w = t.sized()) w->setMaximumHeight(e.int32);
     }},
    {"Resizeable",
     [](Target& t, const PropertyEntry& e) {
       QWidget* sized = t.sized();
       if (!sized) return;
       if (!e.boolean) sized->setFixedSize(sized->size());
       // A main window takes its size from its layout; pinning the layout
       // keeps the window exactly around the menu bar and the client area.
       if (t.window && t.window->layout()) {
         t.window->layout()->setSizeConstraint(e.boolean ? QLayout::SetDefaultConstraint : QLayout::SetFixedSize);
       }
     }},
    {"Title",
     [](Target& t, const PropertyEntry& e) {
       if (t.widget) t.widget->setWindowTitle(ToQString(e.text));
     }},
    {"Text", [](Target& t, const PropertyEntry& e) { t.object->setProperty("text", ToQString(e.text)); }},
    {"Caption", [](Target& t, const PropertyEntry& e) { t.object->setProperty("text", ToQString(e.text)); }},
    {"Visible",
     [](Target& t, const PropertyEntry& e) {
       if (t.isWindow()) {
         t.windowVisible = e.boolean;
       } else if (t.widget) {
         t.widget->setVisible(e.boolean);
       }
     }},
    {"FullScreen",
     [](Target& t, const PropertyEntry& e) {
       if (t.isWindow()) t.widget->setWindowState(t.widget->windowState().setFlag(Qt::WindowFullScreen, e.boolean));
     }},
    {"MenuBarVisible",
     [](Target& t, const PropertyEntry& e) {
       if (t.window && t.window->menuWidget()) t.window->menuWidget()->setVisible(e.boolean);
     }},
    {"CloseButton", [](Target& t, const PropertyEntry& e) { t.setWindowHint(Qt::WindowCloseButtonHint, e.boolean); }},
    {"MinimizeButton",
     [](Target& t, const PropertyEntry& e) { t.setWindowHint(Qt::WindowMinimizeButtonHint, e.boolean); }},
    {"MaximizeButton",
     [](Target& t, const PropertyEntry& e) { t.setWindowHint(Qt::WindowMaximizeButtonHint, e.boolean); }},
    {"HasBackColor", [](Target& t, const PropertyEntry& e) { t.hasBackColor = e.boolean; }},
    {"BackColor",
     [](Target& t, const PropertyEntry& e) {
       if (t.field()) {
         t.setColor(QPalette::Base, e.rgb);
       } else if (t.isWindow() && t.hasBackColor) {
         t.setColor(QPalette::Window, e.rgb);
       }
     }},
    {"TextColor",
     [](Target& t, const PropertyEntry& e) { t.setColor(t.field() ? QPalette::Text : QPalette::WindowText, e.rgb); }},
    // Kept on the control; the window orders its tab stops by it once all exist.
    {"TabIndex", [](Target& t, const PropertyEntry& e) { t.object->setProperty("tabIndex", e.int32); }},
    {"TabStop",
     [](Target& t, const PropertyEntry& e) {
       if (!t.widget) return;
       const int policy = t.widget->focusPolicy();
       t.widget->setFocusPolicy(
           static_cast<Qt::FocusPolicy>(e.boolean ? policy | Qt::TabFocus : policy & ~Qt::TabFocus));
     }},
    {"TextAlign",  // 0 left, 1 centre, 2 right
     [](Target& t, const PropertyEntry& e) {
       if (QLabel* label = t.label()) {
         const Qt::Alignment horizontal = e.int32 == 1   ? Qt::AlignHCenter
                                          : e.int32 == 2 ? Qt::AlignRight
                                                         : Qt::AlignLeft;
         label->setAlignment(horizontal | (label->alignment() & Qt::AlignVertical_Mask));
       }
     }},
    {"Multiline",
     [](Target& t, const PropertyEntry& e) {
       if (QLabel* label = t.label()) {
         label->setWordWrap(e.boolean);
         // A one-line label sits level with the field beside it; a block of
         // text reads from its top.
         const Qt::Alignment vertical = e.boolean ? Qt::AlignTop : Qt::AlignVCenter;
         label->setAlignment(vertical | (label->alignment() & Qt::AlignHorizontal_Mask));
       }
     }},
    {"Alignment",  // 0 default, 1 left, 2 centre, 3 right
     [](Target& t, const PropertyEntry& e) {
       if (QLineEdit* field = t.field()) {
         const Qt::Alignment horizontal = e.int32 == 2   ? Qt::AlignHCenter
                                          : e.int32 == 3 ? Qt::AlignRight
                                                         : Qt::AlignLeft;
         field->setAlignment(horizontal | Qt::AlignVCenter);
       }
     }},
    {"TextFont",
     [](Target& t, const PropertyEntry& e) {
       // "System" is the platform's interface font, which widgets have already.
       if (!SameName(e.text, "System")) t.changeFont([&](QFont& f) { f.setFamilies({ToQString(e.text)}); });
     }},
    {"Bold", [](Target& t, const PropertyEntry& e) { t.changeFont([&](QFont& f) { f.setBold(e.boolean); }); }},
    {"Italic", [](Target& t, const PropertyEntry& e) { t.changeFont([&](QFont& f) { f.setItalic(e.boolean); }); }},
    {"Underline",
     [](Target& t, const PropertyEntry& e) { t.changeFont([&](QFont& f) { f.setUnderline(e.boolean); }); }},
    {"HelpTag",
     [](Target& t, const PropertyEntry& e) {
       if (t.widget) t.widget->setToolTip(ToQString(e.text));
     }},
    {"Border",
     [](Target& t, const PropertyEntry& e) {
       if (QLineEdit* f = t.field()) f->setFrame(e.boolean);
     }},
    {"Password",
     [](Target& t, const PropertyEntry& e) {
       if (QLineEdit* f = t.field()) f->setEchoMode(e.boolean ? QLineEdit::Password : QLineEdit::Normal);
     }},
    {"CueText",
     [](Target& t, const PropertyEntry& e) {
       if (QLineEdit* f = t.field()) f->setPlaceholderText(ToQString(e.text));
     }},
    {"Mask",
     [](Target& t, const PropertyEntry& e) {
       if (QLineEdit* f = t.field()) f->setInputMask(ToQString(e.text));
     }},
    {"LimitText",  // 0: no limit, which is Qt's longest length
     [](Target& t, const PropertyEntry& e) {
       if (QLineEdit* f = t.field()) f->setMaxLength(e.int32 > 0 ? e.int32 : 32767);
     }},
    {"Value",
     [](Target& t, const PropertyEntry& e) {
       if (auto* button = qobject_cast<QAbstractButton*>(t.object)) button->setChecked(e.boolean);
     }},
    {"State",  // 0 unchecked, 1 checked, 2 mixed
     [](Target& t, const PropertyEntry& e) {
       if (auto* box = qobject_cast<QCheckBox*>(t.object)) {
         box->setCheckState(e.int32 == 1 ? Qt::Checked : e.int32 == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
       }
     }},
    {"InitialParent",
     [](Target& t, const PropertyEntry& e) {
       if (!t.widget || e.text.empty() || !t.widget->parentWidget()) return;
       auto* parent = t.widget->parentWidget()->findChild<QWidget*>(ToQString(e.text), Qt::FindDirectChildrenOnly);
       if (!parent || parent == t.widget) return;
       // Stored positions are the window's; inside the new parent they count
       // from its corner.
       const QPoint at = t.widget->pos() - parent->pos();
       const bool shown = !t.widget->isHidden();
       t.widget->setParent(parent);
       t.widget->move(at);
       if (shown) t.widget->show();
     }},
    // The window's kind, placement and drawing mode are the platform's.
    {"Placement", nullptr},
    {"Frame", nullptr},
    {"MacProcID", nullptr},
    {"Composite", nullptr},
    {"LiveResize", nullptr},
    // Controls are found by name, there are no tab panels, and the window
    // cannot be resized, so anchors would never move a control.
    {"Index", nullptr},
    {"TabPanelIndex", nullptr},
    {"LockLeft", nullptr},
    {"LockTop", nullptr},
    {"LockRight", nullptr},
    {"LockBottom", nullptr},
    // Qt already behaves as the stored values ask: controls stay active in
    // an inactive window, the style draws the focus frame, a line edit never
    // takes a Tab, no button answers Escape outside a dialog, and nothing is
    // bound to a data source.
    {"AutoDeactivate", nullptr},
    {"UseFocusRing", nullptr},
    {"AcceptTabs", nullptr},
    {"Cancel", nullptr},
    {"Format", nullptr},
    {"DataSource", nullptr},
    {"DataField", nullptr},
};

// Enabled, ReadOnly, Default and the rounded box's colours and sizes are
// Qt properties of the same name but for the case of the first letter.
void SetByQtName(Target& t, const PropertyEntry& e) {
  const QMetaObject* meta = t.object->metaObject();
  for (int i = 0; i < meta->propertyCount(); ++i) {
    QMetaProperty property = meta->property(i);
    if (!property.isWritable() || !SameName(property.name(), e.name)) continue;
    switch (e.type) {
      case PropertyType::Int32:
        property.write(t.object, e.int32);
        break;
      case PropertyType::Boolean:
        property.write(t.object, e.boolean);
        break;
      case PropertyType::Color:
        property.write(t.object, ToColor(e.rgb));
        break;
      case PropertyType::String:
        property.write(t.object, ToQString(e.text));
        break;
    }
    return;
  }
}

void Apply(Target& t, const PropertyEntry& e) {
  for (const Route& route : kRoutes) {
    if (SameName(route.name, e.name)) {
      if (route.set) route.set(t, e);
      return;
    }
  }
  SetByQtName(t, e);
}

}  // namespace

std::optional<PropertyType> DeclaredPropertyType(std::string_view name) {
  for (const Declared& declared : kDeclaredTypes) {
    if (SameName(declared.name, name)) return declared.type;
  }
  return std::nullopt;
}

std::size_t ReadPropertyList(std::string_view list, const std::function<void(const PropertyEntry&)>& visit) {
  std::size_t at = 0;
  while (at < list.size()) {
    const std::size_t space = list.find(' ', at);
    if (space == std::string_view::npos || space == at) break;
    PropertyEntry entry;
    entry.name = list.substr(at, space - at);
    const std::optional<PropertyType> type = DeclaredPropertyType(entry.name);
    if (!type) break;
    entry.type = *type;
    std::size_t value = space + 1;
    const std::size_t left = list.size() - value;
    std::size_t width = 0;
    switch (entry.type) {
      case PropertyType::Int32:
        width = 4;
        if (left < width) return at;
        entry.int32 = static_cast<std::int32_t>(BigEndian(list.substr(value, 4)));
        break;
      case PropertyType::Boolean:
        width = 1;
        if (left < width) return at;
        entry.boolean = list[value] != 0;
        break;
      case PropertyType::Color:
        width = 3;
        if (left < width) return at;
        entry.rgb = BigEndian(list.substr(value, 3));
        break;
      case PropertyType::String: {
        if (left < 4) return at;
        const std::uint32_t count = BigEndian(list.substr(value, 4));
        if (left - 4 < count) return at;
        entry.text = list.substr(value + 4, count);
        width = 4 + std::size_t{count};
        break;
      }
    }
    visit(entry);
    at = value + width;
  }
  return at;
}

void SetProperties(QObject* target, std::string_view list) {
  if (!target) return;
  Target t(target);
  ReadPropertyList(list, [&](const PropertyEntry& entry) { Apply(t, entry); });
  if (t.windowVisible) t.widget->setVisible(*t.windowVisible);
}

}  // namespace shell
