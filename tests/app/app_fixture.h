// Shared set-up of the window tests: the one main window, put back into its
// opening state before every test.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QTest>
#include <cstdio>
#include <functional>
#include <string>

#include "app/main_window.h"

// Readable failure messages for Qt's strings.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* out) {
  *out << '{';
  for (const QString& text : list) *out << " \"" << text.toStdString() << '"';
  *out << " }";
}

namespace app_test {

inline constexpr char kIdleText[] = "Click on Import and select file";

// Records what the status line draws, one entry per change of text. A label
// that is painted shows its text to the user; a text set and replaced before
// the next paint never reached the screen.
class StatusRecorder : public QObject {
 public:
  explicit StatusRecorder(QLabel* status) : label_(status), watched_(status) { status->installEventFilter(this); }
  ~StatusRecorder() override {
    if (watched_) watched_->removeEventFilter(this);
  }

  QStringList drawn;
  // Called on every paint with the text being drawn.
  std::function<void(const QString&)> onDraw;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched == watched_) {
      if (drawn.isEmpty() || drawn.back() != label_->text()) drawn.push_back(label_->text());
      if (onDraw) onDraw(label_->text());
    }
    return false;
  }

 private:
  QLabel* label_;
  QPointer<QObject> watched_;  // the window may be gone first
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
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

inline bool WriteAll(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Every file below dir, relative to it, sorted.
inline QStringList FilesIn(const QString& dir) {
  QStringList files;
  QDir root(dir);
  for (const QFileInfo& info : root.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot)) {
    files << info.fileName();
  }
  for (const QFileInfo& info : root.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot)) {
    for (const QString& inner : FilesIn(info.absoluteFilePath())) files << info.fileName() + "/" + inner;
  }
  files.sort();
  return files;
}

// --- small IGES files ---

inline std::string IgesLine(const std::string& body, char section, int sequence) {
  std::string line = body.substr(0, 72);
  line.resize(72, ' ');
  char tail[9];
  std::snprintf(tail, sizeof tail, "%c%7d", section, sequence);
  return line + tail + "\n";
}

inline std::string Field(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%8d", value);
  return text;
}

// A file with one quadratic curve through (0,0,0), (1,1,0), (2,0,0).
// subordinate marks the curve as a trim curve, imported only on request;
// missingLines makes the directory claim lines the file does not hold.
inline QByteArray CurveFile(bool subordinate = false, int missingLines = 0) {
  const std::string parameters = "126,2,2,0,0,1,0,0.,0.,0.,1.,1.,1.,1.,1.,1.,0.,0.,0.,1.,1.,0.,2.,0.,0.,0.,1.;";
  std::string text = IgesLine("", 'S', 1) + IgesLine(",,;", 'G', 1);
  const int lines = static_cast<int>((parameters.size() + 63) / 64);
  text += IgesLine(Field(126) + Field(1) + std::string(48, ' ') + (subordinate ? "00010000" : "00000000"), 'D', 1);
  text += IgesLine(Field(126) + Field(0) + Field(0) + Field(lines + missingLines), 'D', 2);
  for (int i = 0; i < lines; ++i) {
    std::string body = parameters.substr(static_cast<std::size_t>(i) * 64, 64);
    body.resize(64, ' ');
    text += IgesLine(body + Field(1), 'P', i + 1);
  }
  if (missingLines == 0) text += IgesLine("S      1G      1D      2P      1", 'T', 1);
  return QByteArray::fromStdString(text);
}

}  // namespace app_test
