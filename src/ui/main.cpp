#include <QApplication>
#include <QLabel>

// Stands in for the main window until it is built.
int main(int argc, char** argv) {
  QApplication App(argc, argv);
  QLabel Label(QStringLiteral("Clankora! is being built: the playable window comes soon."));
  Label.setWindowTitle(QStringLiteral("Clankora!"));
  Label.resize(640, 480);
  Label.setAlignment(Qt::AlignCenter);
  Label.show();
  return QApplication::exec();
}
