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
}

// The main window, made (and shown) on the first call.
shell::MainWindow& MainWindow();

namespace shell {

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  ~MainWindow() override;

  // Asks the user for the file to import; an empty result means cancelled.
  // fileType names the file type the dialog is asked for.
  using OpenDialog = std::function<QString(QWidget* parent, std::string_view fileType)>;
  // Tests answer the dialog themselves.
  void replaceOpenDialog(OpenDialog dialog);

  // The "Scale factor" text, as the core reads and resets it.
  std::string scaleText() const;
  void setScaleText(std::string_view text);

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

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Made only by the accessor: one window per run.
  friend MainWindow& ::MainWindow();
  friend class ImportScope;
  MainWindow();

  void createControls();
  void connectControls();
  void orderTabStops();
  void nameFieldsAfterLabels();

  void importFile();
  bool readStepCount(QLineEdit* field, const QLabel* label, std::int32_t& count);
  void beginImport();
  void endImport();
  void showStatus(const QString& text);
  void showHelpFor(const QObject* control);
  void showIdleText();
  void ScaleF_LostFocus();
  void Event_Close();

  template <typename Control>
  Control* control(const char* name) const;
  QAction* menuItem(const char* name) const;

  QLabel* status_ = nullptr;
  QPushButton* importButton_ = nullptr;
  QLineEdit* alongSteps_ = nullptr;
  QLineEdit* sideSteps_ = nullptr;
  QLineEdit* scale_ = nullptr;
  QCheckBox* referenceCurves_ = nullptr;
  QLabel* alongStepsLabel_ = nullptr;
  QLabel* sideStepsLabel_ = nullptr;
  QLabel* scaleLabel_ = nullptr;

  OpenDialog openDialog_;
  bool importing_ = false;
  bool importButtonHadFocus_ = false;
  // A close that arrived while an import ran; carried out when it ends.
  bool closeRequested_ = false;
};

// Closes and deletes the main window at shut-down; the menu bar it shows is
// handed back to its own owner first.
void ReleaseMainWindow();

}  // namespace shell
