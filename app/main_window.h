// The converter's one window: the step and scale fields, the curve switch,
// the Import button and the status line.
#pragma once

#include <QMainWindow>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace shell {
class MainWindow;
class RoundRectangle;
}  // namespace shell

// The main window, made (and shown) on the first call.
shell::MainWindow& MainWindow();

namespace shell {

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  ~MainWindow() override;

  // Construction runs these once, in this order: the menu bar and the
  // window's own stored properties, then the eleven controls with their
  // event bindings.
  void Layout();
  void CreateControls();
  void CreateControls0();

  // The one command: asks for an IGES file and writes its script beside it,
  // with the progress or the failure in the status line.
  void ImportButton_Action();

  // The help under the pointer: entering a field or the check box shows
  // what it is for, leaving it shows the idle text. An import's progress is
  // never covered.
  void AlongStepsF_MouseExit();
  void AlongStepsF_MouseEnter();
  void SideStepsF_MouseExit();
  void SideStepsF_MouseEnter();
  void chkExportRefCurves_MouseEnter();
  void chkExportRefCurves_MouseExit();
  // A scale that is no finite number above 0 is shown as 1 again.
  void ScaleF_LostFocus();
  void ScaleF_MouseEnter();
  void ScaleF_MouseExit();

  // The items of the window's menu bar, each found by its object name: the
  // two menus' own actions, the Edit commands, the separators and Quit.
  QAction* EditMenu() const;
  QAction* EditSelectAll() const;
  QAction* UntitledMenu0() const;
  QAction* EditClear() const;
  QAction* EditPaste() const;
  QAction* EditCopy() const;
  QAction* EditCut() const;
  QAction* UntitledMenu1() const;
  QAction* EditUndo() const;
  QAction* FileMenu() const;
  QAction* FileQuit() const;

  // Quits the application once the window has closed, stopping an import in
  // progress.
  void Event_Close();

  // The controls, each found by the name it is registered under.
  RoundRectangle* RoundRectangle1() const;
  QLabel* HelpT() const;
  QPushButton* ImportButton() const;
  QLabel* lblFile() const;
  QLineEdit* AlongStepsF() const;
  QLineEdit* SideStepsF() const;
  QLabel* lblFile1() const;
  QCheckBox* chkExportRefCurves() const;
  QLabel* lblFile11() const;
  QLineEdit* ScaleF() const;
  QLabel* lblFile12() const;

  // Asks the user for the file to import; an empty result means cancelled.
  // fileType names the file type the dialog is asked for.
  using OpenDialog = std::function<QString(QWidget* parent, std::string_view fileType)>;
  // Tests answer the dialog themselves.
  void replaceOpenDialog(OpenDialog dialog);

  // The "Scale factor" text, as the core reads and resets it.
  std::string scaleText() const;
  void setScaleText(std::string_view text);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // Made only by the accessor: one window per run.
  friend MainWindow& ::MainWindow();
  friend class ImportScope;
  MainWindow();

  void orderTabStops();
  void nameFieldsAfterLabels();

  bool readStepCount(QLineEdit* field, const QLabel* label, std::int32_t& count);
  void beginImport();
  void endImport();
  // The status line: text, in which file (a path) may stand, shortened to
  // what the line holds; showStatus draws it at once.
  void setStatus(const QString& text, const QString& file = QString());
  void showStatus(const QString& text, const QString& file = QString());
  // Under a dark colour scheme the window keeps the light look its colours
  // were designed for.
  void keepLightLook();
  void showHelp(const char* text);

  template <typename Control>
  Control* control(const char* name) const;
  QAction* menuItem(const char* name) const;

  OpenDialog openDialog_;
  bool importing_ = false;
  bool importButtonHadFocus_ = false;
  // The window's own light palette is in force.
  bool lightLook_ = false;
};

// Closes and deletes the main window at shut-down; the menu bar it shows is
// handed back to its own owner first.
void ReleaseMainWindow();

}  // namespace shell
