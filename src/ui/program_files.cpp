#include "ui/program_files.h"

#include <QDir>
#include <QFileInfo>

namespace zorva {

ProgramFiles findProgramFiles(const QString& programPath) {
  const QFileInfo program(programPath);
  const QString folder = program.absolutePath();
  const bool folderWritable = QFileInfo(folder).isWritable();
  const QString besideProgram = folder + "/" + program.completeBaseName() + ".ini";
  const QFileInfo existing(besideProgram);

  ProgramFiles files;
  files.defaultFolder = folderWritable ? folder : QDir::homePath();
  const QString chosen = qEnvironmentVariable("ZORVA_SETTINGS_FILE");
  if (!chosen.isEmpty()) {
    files.settingsFile = QFileInfo(chosen).absoluteFilePath();
    QDir().mkpath(QFileInfo(files.settingsFile).absolutePath());
  } else if (folderWritable && (!existing.exists() || existing.isWritable())) {
    files.settingsFile = besideProgram;
  } else {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config)) config = QDir::homePath() + "/.config";
    const QString configFolder = config + "/zorva";
    QDir().mkpath(configFolder);
    files.settingsFile = configFolder + "/zorva.ini";
  }
  return files;
}

}  // namespace zorva
