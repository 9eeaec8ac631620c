// Where the desktop program keeps its settings file and saves by default.
#pragma once

#include <QString>

namespace zorva {

struct ProgramFiles {
  QString settingsFile;   // the program's own settings file
  QString defaultFolder;  // what SaveDir, LoadDir and LoadSourceImageDir default to
};

// The program path with ".ini" when the program's folder is writable (a
// portable copy, a build folder), else $XDG_CONFIG_HOME/zorva/zorva.ini
// (~/.config/zorva/ by default, created when missing); the environment
// variable ZORVA_SETTINGS_FILE overrides either. Folders default to the
// program's folder when writable, else the home folder.
ProgramFiles findProgramFiles(const QString& programPath);

}  // namespace zorva
