// Shared set-up of the window tests: the one main window, put back into its
// opening state before every test, and the status line's record.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <functional>
#include <string>

#include "app/main_window.h"
#include "tests/support/iges_text.h"

// Readable failure messages for Qt's strings.
inline std::ostream& operator<<(std::ostream& out, const QString& text) { return out << text.toStdString(); }
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text << '"'; }

namespace app_test {

inline constexpr char kIdleText[] = "Click on Import and select file";

// Records what the status line draws, one entry per change of text: a text
// set and replaced before the next paint never reached the screen.
class StatusRecorder : public QObject {
 public:
  explicit StatusRecorder(QLabel* status) : label_(status) { status->installEventFilter(this); }
  ~StatusRecorder() override {
    if (label_) label_->removeEventFilter(this);
  }

  QStringList drawn;
  std::function<void(const QString&)> onDraw;  // called on every paint

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched == label_) {
      if (drawn.isEmpty() || drawn.back() != label_->text()) drawn.push_back(label_->text());
      if (onDraw) onDraw(label_->text());
    }
    return false;
  }

 private:
  QPointer<QLabel> label_;  // the window may be gone first
};

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = &MainWindow();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    field("AlongStepsF")->setText("16");
    field("SideStepsF")->setText("16");
    field("ScaleF")->setText("1");
    box()->setChecked(false);
    status()->setText(kIdleText);
    window->replaceOpenDialog([](QWidget*, std::string_view) {
      ADD_FAILURE() << "the open dialog was not expected";
      return QString();
    });
  }
  void TearDown() override {
    window->replaceOpenDialog([](QWidget*, std::string_view) { return QString(); });
  }

  template <typename T = QWidget>
  T* find(const char* name) const {
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
  }
  QLineEdit* field(const char* name) const { return find<QLineEdit>(name); }
  QLabel* status() const { return find<QLabel>("HelpT"); }
  QCheckBox* box() const { return find<QCheckBox>("chkExportRefCurves"); }
  QPushButton* importButton() const { return find<QPushButton>("ImportButton"); }

  void activate() {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  }

  // Answers the next open dialogs with path and records the file type asked for.
  void answerDialogWith(const QString& path) {
    window->replaceOpenDialog([this, path](QWidget*, std::string_view type) {
      ++dialogsShown;
      askedFileType = std::string(type);
      return path;
    });
  }

  shell::MainWindow* window = nullptr;
  int dialogsShown = 0;
  std::string askedFileType;
};

inline QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The files and folders in dir, sorted.
inline QStringList Entries(const QString& dir) {
  return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// A file with one quadratic curve through (0, 0, 0), (1, 1, 0), (2, 0, 0).
// subordinate marks it a trim curve, imported only on request; missingLines
// makes its directory entry claim lines the file does not hold.
inline QByteArray CurveFile(bool subordinate = false, int missingLines = 0) {
  igestext::IgesFile file;
  file.Add(126, igestext::CurveText(2, {{0, 0, 0}, {1, 1, 0}, {2, 0, 0}}, {1, 1, 1}),
           subordinate ? "00010000" : igestext::IgesFile::kIndependent, missingLines);
  return QByteArray::fromStdString(file.Text(missingLines == 0));
}

}  // namespace app_test
