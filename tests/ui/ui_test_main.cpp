// The GUI tests run with a real QApplication on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);

  // Tests answer messages through the host; a modal window that still opens
  // would wait for a click forever, so fail the test and close it instead.
  QTimer watchdog;
  QObject::connect(&watchdog, &QTimer::timeout, [] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      ADD_FAILURE() << "unexpected modal window: " << modal->windowTitle().toStdString();
      modal->close();
    }
  });
  watchdog.start(200);
  return RUN_ALL_TESTS();
}
