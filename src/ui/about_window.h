// "About Zorva": what the program is and how to reach its makers.
#pragma once

#include <QWidget>

class QLabel;

namespace zorva {

class TformZorvaAbout : public QWidget {
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
