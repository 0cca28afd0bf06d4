#include "app/main_window.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleFactory>
#include <algorithm>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/file_types.h"
#include "app/import_file.h"
#include "app/main_menu.h"
#include "app/property_lists.h"
#include "app/round_rectangle.h"
#include "app/set_properties.h"
#include "framework/runtime.h"
#include "framework/text.h"

namespace shell {
namespace {

MainWindow* implicitInstance = nullptr;

const char kIdleText[] = "Click on Import and select file";

// The labels and the check box are drawn at this size; the button and the
// fields keep the platform's. The window was laid out for pixel-sized text.
constexpr int kTextSize = 10;

enum class Kind { RoundRectangle, StaticText, PushButton, TextField, CheckBox };

struct ControlSpec {
  const char* name;
  Kind kind;
  std::string_view list;
};

// The eleven controls in the order they are made; later ones are drawn over
// earlier ones, so the status line lies on its rounded box.
const ControlSpec kControls[] = {
    {"RoundRectangle1", Kind::RoundRectangle, PropertyLists::kRoundRectangle1},
    {"HelpT", Kind::StaticText, PropertyLists::kHelpT},
    {"ImportButton", Kind::PushButton, PropertyLists::kImportButton},
    {"lblFile", Kind::StaticText, PropertyLists::kLblFile},
    {"AlongStepsF", Kind::TextField, PropertyLists::kAlongStepsF},
    {"SideStepsF", Kind::TextField, PropertyLists::kSideStepsF},
    {"lblFile1", Kind::StaticText, PropertyLists::kLblFile1},
    {"chkExportRefCurves", Kind::CheckBox, PropertyLists::kChkExportRefCurves},
    {"lblFile11", Kind::StaticText, PropertyLists::kLblFile11},
    {"ScaleF", Kind::TextField, PropertyLists::kScaleF},
    {"lblFile12", Kind::StaticText, PropertyLists::kLblFile12},
};

// Action is the button's click; the pointer and focus events come through
// the window's event filter.
enum class ControlEvent { Action, MouseEnter, MouseExit, LostFocus };

struct Binding {
  const char* control;
  ControlEvent event;
  void (MainWindow::*handler)();
};

const Binding kBindings[] = {
    {"ImportButton", ControlEvent::Action, &MainWindow::ImportButton_Action},
    {"AlongStepsF", ControlEvent::MouseExit, &MainWindow::AlongStepsF_MouseExit},
    {"AlongStepsF", ControlEvent::MouseEnter, &MainWindow::AlongStepsF_MouseEnter},
    {"SideStepsF", ControlEvent::MouseExit, &MainWindow::SideStepsF_MouseExit},
    {"SideStepsF", ControlEvent::MouseEnter, &MainWindow::SideStepsF_MouseEnter},
    {"chkExportRefCurves", ControlEvent::MouseEnter, &MainWindow::chkExportRefCurves_MouseEnter},
    {"chkExportRefCurves", ControlEvent::MouseExit, &MainWindow::chkExportRefCurves_MouseExit},
    {"ScaleF", ControlEvent::LostFocus, &MainWindow::ScaleF_LostFocus},
    {"ScaleF", ControlEvent::MouseEnter, &MainWindow::ScaleF_MouseEnter},
    {"ScaleF", ControlEvent::MouseExit, &MainWindow::ScaleF_MouseExit},
};

std::optional<ControlEvent> BoundEvent(const QEvent* event) {
  switch (event->type()) {
    case QEvent::Enter:
      return ControlEvent::MouseEnter;
    case QEvent::Leave:
      return ControlEvent::MouseExit;
    case QEvent::FocusOut:
      // Opening a menu to paste into the field does not leave it.
      if (static_cast<const QFocusEvent*>(event)->reason() == Qt::PopupFocusReason) return std::nullopt;
      return ControlEvent::LostFocus;
    default:
      return std::nullopt;
  }
}

// IGES files carry no MIME type: the plain-text type names no extension, so
// the dialog offers the IGES extensions, and every file for misnamed ones.
QString AskForIgesFile(QWidget* parent, std::string_view /*fileType*/) {
  return QFileDialog::getOpenFileName(parent, QObject::tr("Select an IGES file"), QString(),
                                      QObject::tr("IGES files (*.igs *.iges *.IGS *.IGES);;All files (*)"));
}

QWidget* MakeControl(Kind kind, QWidget* parent) {
  switch (kind) {
    case Kind::RoundRectangle:
      return new RoundRectangle(parent);
    case Kind::StaticText: {
      auto* label = new QLabel(parent);
      // File names and messages are shown as typed, never as markup.
      label->setTextFormat(Qt::PlainText);
      return label;
    }
    case Kind::PushButton:
      return new QPushButton(parent);
    case Kind::TextField:
      return new QLineEdit(parent);
    case Kind::CheckBox:
      return new QCheckBox(parent);
  }
  return nullptr;
}

// Whether text, wrapped at words as the label draws it, stands whole in the
// label: nothing beyond its lower or right edge.
bool Fits(const QLabel& label, const QString& text) {
  const QSize room = label.contentsRect().size();
  const int flags = static_cast<int>(label.alignment()) | (label.wordWrap() ? Qt::TextWordWrap : 0);
  const QRect used = label.fontMetrics().boundingRect(QRect(QPoint(0, 0), room), flags, text);
  return used.width() <= room.width() && used.height() <= room.height();
}

// What the status line shows of text, which may name file (a path): the
// whole text where it fits; otherwise the file by its name, shortened in its
// middle a character's width at a time as far as needed, so that the reason
// after it always shows.
QString StatusText(const QLabel& label, const QString& text, const QString& file) {
  if (file.isEmpty() || !text.contains(file) || Fits(label, text)) return text;
  const QString name = QFileInfo(file).fileName();
  const QFontMetrics metrics = label.fontMetrics();
  const int least = metrics.horizontalAdvance(QStringLiteral("\u2026"));
  for (int width = metrics.horizontalAdvance(name);; width -= metrics.averageCharWidth()) {
    const QString shown =
        QString(text).replace(file, metrics.elidedText(name, Qt::ElideMiddle, std::max(width, least)));
    if (width <= least || Fits(label, shown)) return shown;
  }
}

// The light look the window's colours were chosen for: Qt's standard light
// palette.
QPalette LightPalette() {
  const std::unique_ptr<QStyle> fusion(QStyleFactory::create(QStringLiteral("Fusion")));
  return fusion ? fusion->standardPalette() : QPalette(QColor(0xEF, 0xEF, 0xEF));
}

// A dark colour scheme draws light text on a dark window.
bool IsDark(const QPalette& palette) {
  return palette.color(QPalette::WindowText).lightness() > palette.color(QPalette::Window).lightness();
}

}  // namespace

// Marks the window busy for one run of the Import action, whichever way the
// run ends.
class ImportScope {
 public:
  explicit ImportScope(MainWindow& window) : window_(window) { window_.beginImport(); }
  ~ImportScope() { window_.endImport(); }
  ImportScope(const ImportScope&) = delete;
  ImportScope& operator=(const ImportScope&) = delete;

 private:
  MainWindow& window_;
};

MainWindow::MainWindow() : openDialog_(AskForIgesFile) {
  setCentralWidget(new QWidget);
  keepLightLook();
  Layout();
  CreateControls();
  orderTabStops();
  nameFieldsAfterLabels();
}

MainWindow::~MainWindow() {
  // The menu bar outlives the window: it is the application's as well.
  if (QWidget* bar = menuWidget()) bar->setParent(nullptr);
}

void MainWindow::Layout() {
  setMenuBar(&::MainMenu());
  SetProperties(this, PropertyLists::kMainWindow);
}

void MainWindow::CreateControls() {
  CreateControls0();
}

void MainWindow::CreateControls0() {
  for (const ControlSpec& spec : kControls) {
    QWidget* widget = MakeControl(spec.kind, centralWidget());
    widget->setObjectName(QString::fromLatin1(spec.name));
    if (spec.kind == Kind::StaticText || spec.kind == Kind::CheckBox) {
      QFont font = widget->font();
      font.setPixelSize(kTextSize);
      widget->setFont(font);
    }
    SetProperties(widget, spec.list);
    bool filtered = false;
    for (const Binding& binding : kBindings) {
      if (std::string_view(binding.control) != spec.name) continue;
      if (binding.event == ControlEvent::Action) {
        connect(control<QPushButton>(spec.name), &QPushButton::clicked, this, binding.handler);
      } else if (!filtered) {
        widget->installEventFilter(this);
        filtered = true;
      }
    }
  }
}

void MainWindow::replaceOpenDialog(OpenDialog dialog) {
  openDialog_ = std::move(dialog);
}

std::string MainWindow::scaleText() const {
  return ScaleF()->text().toStdString();
}

void MainWindow::setScaleText(std::string_view text) {
  ScaleF()->setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

QAction* MainWindow::menuItem(const char* name) const {
  // Items sit below their menu, menus below the bar: the search goes down
  // every level.
  const QWidget* bar = menuWidget();
  return bar ? bar->findChild<QAction*>(QString::fromLatin1(name)) : nullptr;
}

QAction* MainWindow::EditMenu() const { return menuItem("EditMenu"); }
QAction* MainWindow::EditSelectAll() const { return menuItem("EditSelectAll"); }
QAction* MainWindow::UntitledMenu0() const { return menuItem("UntitledMenu0"); }
QAction* MainWindow::EditClear() const { return menuItem("EditClear"); }
QAction* MainWindow::EditPaste() const { return menuItem("EditPaste"); }
QAction* MainWindow::EditCopy() const { return menuItem("EditCopy"); }
QAction* MainWindow::EditCut() const { return menuItem("EditCut"); }
QAction* MainWindow::UntitledMenu1() const { return menuItem("UntitledMenu1"); }
QAction* MainWindow::EditUndo() const { return menuItem("EditUndo"); }
QAction* MainWindow::FileMenu() const { return menuItem("FileMenu"); }
QAction* MainWindow::FileQuit() const { return menuItem("FileQuit"); }

template <typename Control>
Control* MainWindow::control(const char* name) const {
  return centralWidget()->findChild<Control*>(QString::fromLatin1(name));
}

RoundRectangle* MainWindow::RoundRectangle1() const { return control<RoundRectangle>("RoundRectangle1"); }
QLabel* MainWindow::HelpT() const { return control<QLabel>("HelpT"); }
QPushButton* MainWindow::ImportButton() const { return control<QPushButton>("ImportButton"); }
QLabel* MainWindow::lblFile() const { return control<QLabel>("lblFile"); }
QLineEdit* MainWindow::AlongStepsF() const { return control<QLineEdit>("AlongStepsF"); }
QLineEdit* MainWindow::SideStepsF() const { return control<QLineEdit>("SideStepsF"); }
QLabel* MainWindow::lblFile1() const { return control<QLabel>("lblFile1"); }
QCheckBox* MainWindow::chkExportRefCurves() const { return control<QCheckBox>("chkExportRefCurves"); }
QLabel* MainWindow::lblFile11() const { return control<QLabel>("lblFile11"); }
QLineEdit* MainWindow::ScaleF() const { return control<QLineEdit>("ScaleF"); }
QLabel* MainWindow::lblFile12() const { return control<QLabel>("lblFile12"); }

void MainWindow::orderTabStops() {
  std::vector<QWidget*> stops;
  for (QWidget* widget : centralWidget()->findChildren<QWidget*>()) {
    if ((widget->focusPolicy() & Qt::TabFocus) && widget->property("tabIndex").isValid()) stops.push_back(widget);
  }
  std::stable_sort(stops.begin(), stops.end(), [](const QWidget* a, const QWidget* b) {
    return a->property("tabIndex").toInt() < b->property("tabIndex").toInt();
  });
  for (std::size_t i = 1; i < stops.size(); ++i) QWidget::setTabOrder(stops[i - 1], stops[i]);
}

void MainWindow::nameFieldsAfterLabels() {
  // A screen reader announces a field by its label's text; the labels, the
  // status line, the button and the check box are read by their own text.
  const std::pair<QLabel*, QLineEdit*> pairs[] = {
      {lblFile(), AlongStepsF()}, {lblFile1(), SideStepsF()}, {lblFile11(), ScaleF()}};
  for (const auto& [label, field] : pairs) {
    label->setBuddy(field);
    field->setAccessibleName(label->text());
  }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (const std::optional<ControlEvent> bound = BoundEvent(event)) {
    for (const Binding& binding : kBindings) {
      if (binding.event == *bound && watched->objectName() == QLatin1String(binding.control)) {
        (this->*binding.handler)();
      }
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void MainWindow::showHelp(const char* text) {
  // While an import runs the status line reports its progress instead.
  if (!importing_) setStatus(QString::fromLatin1(text));
}

void MainWindow::AlongStepsF_MouseExit() { showHelp(kIdleText); }
void MainWindow::AlongStepsF_MouseEnter() { showHelp("Number of steps along Control Rulers"); }
void MainWindow::SideStepsF_MouseExit() { showHelp(kIdleText); }
void MainWindow::SideStepsF_MouseEnter() { showHelp("Number of Control Rulers"); }
void MainWindow::chkExportRefCurves_MouseEnter() { showHelp("Include trimmed planes and trim curves"); }
void MainWindow::chkExportRefCurves_MouseExit() { showHelp(kIdleText); }
void MainWindow::ScaleF_MouseEnter() { showHelp("Scale factor for file"); }
void MainWindow::ScaleF_MouseExit() { showHelp(kIdleText); }

void MainWindow::ScaleF_LostFocus() {
  if (!fw::UsableScale(ScaleF()->text().toStdString())) ScaleF()->setText(QStringLiteral("1"));
}

void MainWindow::setStatus(const QString& text, const QString& file) {
  QLabel* status = HelpT();
  const QString shown = StatusText(*status, text, file);
  status->setText(shown);
  // What the line had to shorten stays readable in full.
  const QString whole = shown == text ? QString() : text;
  status->setToolTip(whole);
  status->setAccessibleDescription(whole);
}

void MainWindow::showStatus(const QString& text, const QString& file) {
  setStatus(text, file);
  // Drawn now: the next step may run for a long time before events are seen.
  HelpT()->repaint();
}

void MainWindow::keepLightLook() {
  // The labels keep the black text they were designed with, which a dark
  // window would swallow; a light desktop keeps its own colours.
  const bool dark = IsDark(QApplication::palette());
  if (dark == lightLook_) return;
  lightLook_ = dark;
  setPalette(dark ? LightPalette() : QPalette());
}

bool MainWindow::event(QEvent* event) {
  if (event->type() == QEvent::ApplicationPaletteChange) keepLightLook();
  return QMainWindow::event(event);
}

bool MainWindow::readStepCount(QLineEdit* field, const QLabel* label, std::int32_t& count) {
  // How many steps fit is the importer's to judge, from the memory the
  // script would need; here only what is no count at all is refused, and a
  // count beyond 32 bits is refused rather than cut.
  if (fw::ToInt32Checked(fw::Val(field->text().toStdString()), count) && count >= 1) return true;
  showStatus(tr("%1 must be a number from 1 to %2.").arg(label->text()).arg(std::numeric_limits<std::int32_t>::max()));
  field->setFocus(Qt::OtherFocusReason);
  field->selectAll();
  return false;
}

void MainWindow::beginImport() {
  importing_ = true;
  QPushButton* button = ImportButton();
  // A disabled button would hand its focus to the next field, selecting the
  // text there; the window holds the focus instead and gives it back after.
  // The window may be inactive behind the file dialog, so ask the window.
  importButtonHadFocus_ = focusWidget() == button;
  if (importButtonHadFocus_) centralWidget()->setFocus(Qt::OtherFocusReason);
  button->setEnabled(false);
  // The reader takes the scale afresh for every element: an edit during the
  // import would give one file two scales.
  ScaleF()->setReadOnly(true);
}

void MainWindow::endImport() {
  importing_ = false;
  ScaleF()->setReadOnly(false);
  ImportButton()->setEnabled(true);
  if (importButtonHadFocus_) ImportButton()->setFocus(Qt::OtherFocusReason);
}

void MainWindow::ImportButton_Action() {
  if (importing_) return;
  try {
    std::int32_t along = 0;
    std::int32_t side = 0;
    if (!readStepCount(AlongStepsF(), lblFile(), along) || !readStepCount(SideStepsF(), lblFile1(), side)) {
      return;
    }
    App* app = ::App();
    if (!app) return;
    app->AlongStep = along;
    app->SideStep = side;

    ImportScope busy(*this);
    const std::string fileType = FileTypes1::pTextPlain ? FileTypes1::pTextPlain->Name : std::string();
    const QString chosen = openDialog_(this, fileType);
    if (chosen.isEmpty()) return;
    const std::string path = QFile::encodeName(QFileInfo(chosen).absoluteFilePath()).toStdString();

    showStatus(tr("Reading..."));
    // The road catches its own failures, out of memory included, and names
    // the file in its message.
    const ImportOutcome outcome =
        ImportFile(path, chkExportRefCurves()->isChecked(), [this](std::string_view text) {
          showStatus(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        });
    // A stopped import belongs to a window that is closing: nothing to say.
    if (outcome.stopped) return;
    if (!outcome.ok) {
      showStatus(QString::fromStdString(outcome.message), QString::fromStdString(outcome.file));
      return;
    }
    showStatus(tr("Done..."));
    QApplication::beep();
    showStatus(QString::fromLatin1(kIdleText));
  } catch (...) {
    // Nothing may leave a slot; whatever failed, the window keeps running.
    try {
      showStatus(tr("The import failed unexpectedly."));
    } catch (...) {
    }
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // There is nothing to save: the window closes at once, and an import in
  // progress stops at its next yield.
  event->accept();
  Event_Close();
}

void MainWindow::Event_Close() {
  Quit(0);
}

void ReleaseMainWindow() {
  delete implicitInstance;
  implicitInstance = nullptr;
}

}  // namespace shell

shell::MainWindow& MainWindow() {
  if (!shell::implicitInstance) shell::implicitInstance = new shell::MainWindow();
  return *shell::implicitInstance;
}
