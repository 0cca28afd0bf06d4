// Shared set-up of the window tests: the one main window, put back into its
// opening state before every test.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/main_window.h"

// Readable failure messages for Qt's strings.
inline std::ostream& operator<<(std::ostream& out, const QString& text) { return out << text.toStdString(); }
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text << '"'; }

namespace app_test {

inline constexpr char kIdleText[] = "Click on Import and select file";

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
    // A real dialog would wait for a user forever.
    window->replaceOpenDialog([](QWidget*, std::string_view) {
      ADD_FAILURE() << "the open dialog was not expected";
      return QString();
    });
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

  shell::MainWindow* window = nullptr;
};

}  // namespace app_test
