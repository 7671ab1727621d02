// The floor Vornic is measured against: a Qt Widgets window with a menu bar,
// three buttons, a text box with the focus and a label, and nothing else.
// With --timer it also runs an empty 16 ms timer, as Vornic's layout timer.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <cstring>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QMainWindow window;
  window.setWindowTitle("Minimal");
  window.menuBar()->addMenu("Menu")->addAction("Item");
  auto* central = new QWidget(&window);
  for (int i = 0; i < 3; ++i) (new QPushButton("Button", central))->move(100 * i, 0);
  auto* text = new QPlainTextEdit(central);
  text->setGeometry(0, 60, 300, 200);
  (new QLabel(" = 0", central))->move(0, 30);
  window.setCentralWidget(central);
  window.resize(640, 400);
  window.show();
  text->setFocus();
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [] {});
  if (argc > 1 && std::strcmp(argv[1], "--timer") == 0) timer.start(16);
  return QApplication::exec();
}
