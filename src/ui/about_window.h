// "About Zorva": what the program is and how to reach its makers.
#pragma once

#include <QDialog>

class QLabel;

namespace zorva {

// A modeless dialog: it opens centred over the main window and Esc closes it.
class TformZorvaAbout : public QDialog {
  Q_OBJECT

 public:
  static const char* const kWebPage;
  static const char* const kMailAddress;

  explicit TformZorvaAbout(QWidget* parent);

  QLabel* linkWebPage;  // "Zorva"
  QLabel* linkMail;     // the e-mail address

 private:
  // Hands a link to the desktop's "open" action.
  void openLink(const QString& link);
};

}  // namespace zorva
