// Vornic's two hot paths through the real Qt backend: a count of the largest
// accepted text, click to label, and a layout tick with nothing to move.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <string>

#include "mainwindow/form1.h"
#include "platform/event_dispatch.h"
#include "qt_form.h"
#include "qt_services.h"

namespace {

int argc = 1;
char programName[] = "qt_benchmark";
char* argv[] = {programName, nullptr};

vornic::qt::QtWindowServices& Services() {
  static vornic::qt::QtWindowServices* services = [] {
    auto* created = new vornic::qt::QtWindowServices(argc, argv);
    vornic::StartVornic(*created);
    QApplication::processEvents();
    return created;
  }();
  return *services;
}

void ClickCountButton() {
  auto* button =
      static_cast<QPushButton*>(Services().WindowOf(vornic::Form1::Window)->Widget(vornic::Form1::Command1.index));
  button->click();
  QApplication::processEvents();  // the label and text box repainted
}

void CheckCounted(benchmark::State& state, std::u16string_view expected) {
  if (Services().GetCaption(vornic::Form1::Label1) != expected) state.SkipWithError("the count did not arrive");
}

// 625 lines of 78 characters and CR LF: 50000 units, as copied from a document.
QString DocumentText() {
  const QString line = QString("The quick brown fox jumps over the lazy dog. ").repeated(2).left(78) + "\r\n";
  return line.repeated(625);
}

// Text that this process itself put on the clipboard.
void WholeCountOwnClipboard(benchmark::State& state) {
  Services();
  QApplication::clipboard()->setText(DocumentText());
  for (auto _ : state) ClickCountButton();
  CheckCounted(state, u" = 48750");
}

// The worst case for the text box: all 50000 units on one line.
void WholeCountOneLine(benchmark::State& state) {
  Services();
  QApplication::clipboard()->setText(QString(50000, QChar('x')));
  for (auto _ : state) ClickCountButton();
  CheckCounted(state, u" = 50000");
}

// Text held by another program (xclip): each count asks it over X11.
void WholeCountRealClipboard(benchmark::State& state) {
  Services();
  for (auto _ : state) ClickCountButton();
  CheckCounted(state, u" = 48750");
}

// Presses OK on the limit message as soon as it is up.
void AnswerMessageBoxes() {
  static auto* poll = [] {
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
        box->button(QMessageBox::Ok)->click();
    });
    return timer;
  }();
  poll->start(0);
}

double PeakMib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024;
}

// A text far over the limit: from click to the message box answered and the
// notice shown. With Arg 0 this process owns 10 MB; with Arg 1 another
// program does, whatever it holds. peak_rise_mib: how far the refusals
// raised the process's peak memory.
void RefuseLongText(benchmark::State& state) {
  Services();
  if (state.range(0) == 0) QApplication::clipboard()->setText(QString(5 * 1024 * 1024, QChar('m')));
  AnswerMessageBoxes();
  static const double before = PeakMib();
  for (auto _ : state) ClickCountButton();
  if (Services().GetText(vornic::Form1::Text1) != u"制限に達しました。") state.SkipWithError("no refusal");
  state.counters["peak_rise_mib"] = PeakMib() - before;
}

void LayoutTickUnchanged(benchmark::State& state) {
  vornic::qt::QtWindowServices& services = Services();
  vornic::qt::FormWindow& window = *services.WindowOf(vornic::Form1::Window);
  const auto tick = [&] {
    vornic::DispatchEvent(services, vornic::Form1::Window, vornic::Form1::Timer1.index, vornic::EventKind::TimerTick);
  };
  tick();
  const long before = window.NativeGeometryWrites();
  for (auto _ : state) tick();
  state.counters["native_calls"] =
      static_cast<double>(window.NativeGeometryWrites() - before) / static_cast<double>(state.iterations());
}

}  // namespace

BENCHMARK(WholeCountOwnClipboard)->Unit(benchmark::kMillisecond);
BENCHMARK(WholeCountOneLine)->Unit(benchmark::kMillisecond);
BENCHMARK(WholeCountRealClipboard)->Unit(benchmark::kMillisecond);
BENCHMARK(RefuseLongText)->Arg(0)->Name("RefuseTenMegabytes")->Unit(benchmark::kMillisecond);
BENCHMARK(RefuseLongText)->Arg(1)->Name("RefuseRealClipboard")->Unit(benchmark::kMillisecond);
BENCHMARK(LayoutTickUnchanged)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
