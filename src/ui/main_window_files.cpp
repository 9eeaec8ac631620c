// File commands: settings files and the save folder.
#include <QFileDialog>

#include "settings/settings_file.h"
#include "ui/main_window.h"

namespace zorva {

void TForm1::openIniFileClick() {
  const QString file =
      QFileDialog::getOpenFileName(this, "Load an Zorva initialisation file",
                                   QString::fromStdString(engine_.settings.LoadDir), "Zorva initialisation (*.ini)");
  if (!file.isEmpty()) openIniFile(file);
}

void TForm1::openIniFile(const QString& file) {
  if (refuseUnstorableName(file)) return;
  engine_.openIniFile(file.toStdString());
}

bool TForm1::refuseUnstorableName(const QString& name) {
  const auto problem = settingTextProblem(name.toStdString());
  if (!problem) return false;
  QString shown = name;
  shown.replace('\n', QStringLiteral("\\n")).replace('\r', QStringLiteral("\\r"));
  std::string text = "\"";
  text.append(shown.toStdString()).append("\": ").append(*problem).append(". Rename it and choose it again.");
  host_.message(text, MessageKind::Warning);
  return true;
}

void TForm1::changeSaveLocationClick() {
  const QString folder = QFileDialog::getExistingDirectory(this, "Choose the folder for saved pictures",
                                                           QString::fromStdString(engine_.settings.SaveDir));
  changeSaveFolder(folder.isEmpty() ? std::nullopt : std::optional<QString>(folder));
}

void TForm1::changeSaveFolder(const std::optional<QString>& folder) {
  if (!folder || refuseUnstorableName(*folder)) {
    Spammer("Save directory unchanged as " + QString::fromStdString(engine_.settings.SaveDir));
    return;
  }
  // Folders of the record keep their trailing separator.
  QString chosen = *folder;
  if (!chosen.endsWith('/')) chosen += '/';
  engine_.settings.SaveDir = chosen.toStdString();
  Spammer("Save directory changed to " + chosen);
}

}  // namespace zorva
