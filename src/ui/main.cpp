// zorva: the desktop program.
#include <QApplication>

#include "ui/main_window.h"
#include "ui/program_files.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Zorva");
  // Lets desktops match the window to the installed zorva.desktop and its icon.
  QGuiApplication::setDesktopFileName("zorva");

  zorva::StartOptions options;
  options.programPath = QCoreApplication::applicationFilePath();
  const zorva::ProgramFiles files = zorva::findProgramFiles(options.programPath);
  options.settingsFile = files.settingsFile;
  options.defaultFolder = files.defaultFolder;
  options.quitOnExit = true;

  zorva::TForm1 window(options);
  window.show();
  return app.exec();
}
