// The floor Vornic is measured against: a Qt Widgets window with a menu bar,
// three buttons, a text box and a label, and nothing else.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QMainWindow window;
  window.setWindowTitle("Minimal");
  window.menuBar()->addMenu("Menu")->addAction("Item");
  auto* central = new QWidget(&window);
  for (int i = 0; i < 3; ++i) (new QPushButton("Button", central))->move(100 * i, 0);
  (new QPlainTextEdit(central))->setGeometry(0, 60, 300, 200);
  (new QLabel(" = 0", central))->move(0, 30);
  window.setCentralWidget(central);
  window.resize(640, 400);
  window.show();
  return QApplication::exec();
}
