#include "qt_services.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>

#include "platform/event_dispatch.h"
#include "platform/text_conversion.h"
#include "platform/window_system_error.h"
#include "qt_form.h"
#include "qt_widgets.h"

namespace vornic::qt {

namespace {

QClipboard& Clipboard() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) throw WindowSystemError("QGuiApplication::clipboard", "no clipboard");
  return *clipboard;
}

QIcon LoadProgramIcon() {
  QIcon icon;
  for (const char* file :
       {":/icons/vornic-16.png", ":/icons/vornic-32.png", ":/icons/vornic-48.png", ":/icons/vornic-256.png"}) {
    icon.addFile(QString::fromLatin1(file));
  }
  return icon;
}

}  // namespace

QtWindowServices::QtWindowServices(int& argc, char** argv) : application_(std::make_unique<QApplication>(argc, argv)) {
  // Forms end the program themselves (RunEventLoop); message boxes never do.
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setApplicationName(ToQString(kApplicationTitle));
  programIcon_ = LoadProgramIcon();
  QApplication::setWindowIcon(programIcon_);
}

QtWindowServices::~QtWindowServices() {
  for (const auto& [definition, window] : forms_) delete window;
  forms_.clear();
  // Forms unloaded while the loop ran are waiting for deleteLater.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

FormWindow* QtWindowServices::WindowOf(const FormDefinition& form) const {
  const auto found = forms_.find(&form);
  return found == forms_.end() ? nullptr : found->second;
}

// Clipboard. On X11, another program owns the clipboard and is asked for its
// data; Qt gives up on an owner that does not answer after a few seconds.

bool QtWindowServices::DoClipboardHasText() {
  const QMimeData* data = Clipboard().mimeData(QClipboard::Clipboard);
  return data != nullptr && data->hasText();
}

std::u16string QtWindowServices::DoClipboardGetText() {
  const QMimeData* data = Clipboard().mimeData(QClipboard::Clipboard);
  // The owner may have gone or changed the clipboard since the format test:
  // then there is no text, which is not a failure.
  if (data == nullptr || !data->hasText()) return {};
  return ToU16String(data->text());
}

void QtWindowServices::DoClipboardClear() {
  QClipboard& clipboard = Clipboard();
  // clear() only gives up what this program owns: take the clipboard first,
  // then leave it with no owner and no formats.
  clipboard.setMimeData(new QMimeData, QClipboard::Clipboard);
  clipboard.clear(QClipboard::Clipboard);
}

void QtWindowServices::DoShowMessage(std::u16string_view text) {
  QMessageBox box(QMessageBox::NoIcon, ToQString(kApplicationTitle), WithDisplayLineBreaks(text), QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

// Forms.

void QtWindowServices::DoLoadForm(const FormDefinition& form) {
  FormEvents events{
      .dispatch = [this, &form](int control, EventKind event) { DispatchEvent(*this, form, control, event); },
      .closeBox = [this, &form] { RunGuarded(*this, [&] { UnloadForm(form); }); },
  };
  forms_.emplace(&form, new FormWindow(form, programIcon_, std::move(events)));
}

void QtWindowServices::DoShowForm(const FormDefinition& form) {
  FormWindow& window = Live(form);
  window.show();
  window.raise();
  window.activateWindow();
  if (!ended_) window.StartTimers();
}

// Deleted later, not now: the form may be unloaded from one of its own
// controls' handlers, which Qt is still running.
void QtWindowServices::DoUnloadForm(const FormDefinition& form) {
  FormWindow* window = &Live(form);
  forms_.erase(&form);
  window->Retire();
  window->deleteLater();
  if (forms_.empty() && loopRunning_ && !ended_) QCoreApplication::exit(0);
}

float QtWindowServices::DoGetFormMetric(const FormDefinition& form, Metric metric) const {
  return Live(form).OuterMetric(metric);
}

void QtWindowServices::DoSetFormMetric(const FormDefinition& form, Edge edge, float twips) {
  Live(form).SetOuterMetric(edge, twips);
}

// Controls.

void QtWindowServices::DoSetCaption(ControlRef control, std::u16string_view caption) {
  Live(*control.form).SetCaption(control.index, caption);
}

std::u16string QtWindowServices::DoGetCaption(ControlRef control) const {
  return Live(*control.form).Caption(control.index);
}

void QtWindowServices::DoSetText(ControlRef control, std::u16string_view text) {
  Live(*control.form).SetText(control.index, text);
}

std::u16string QtWindowServices::DoGetText(ControlRef control) const { return Live(*control.form).Text(control.index); }

void QtWindowServices::DoSetMetric(ControlRef control, Metric metric, float twips) {
  Live(*control.form).SetMetric(control.index, metric, twips);
}

float QtWindowServices::DoGetMetric(ControlRef control, Metric metric) const {
  return Live(*control.form).GetMetric(control.index, metric);
}

void QtWindowServices::DoSetFontFamily(ControlRef control, std::u16string_view family) {
  Live(*control.form).SetFontFamily(control.index, family);
}

std::u16string QtWindowServices::DoGetFontFamily(ControlRef control) const {
  return Live(*control.form).FontFamily(control.index);
}

void QtWindowServices::DoSetChecked(ControlRef menuItem, bool checked) {
  Live(*menuItem.form).SetChecked(menuItem.index, checked);
}

bool QtWindowServices::DoIsChecked(ControlRef menuItem) const { return Live(*menuItem.form).IsChecked(menuItem.index); }

// Program life.

void QtWindowServices::StopAllTimers() {
  for (const auto& [definition, window] : forms_) window->StopTimers();
}

void QtWindowServices::DoReportFatalError(std::u16string_view message) {
  // A timer whose handler keeps failing must not stack up error boxes.
  StopAllTimers();
  QMessageBox box(QMessageBox::Critical, ToQString(kApplicationTitle), WithDisplayLineBreaks(message), QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void QtWindowServices::DoEndProgram(int exitStatus) {
  ended_ = true;
  exitStatus_ = exitStatus;
  StopAllTimers();
  for (const auto& [definition, window] : forms_) window->hide();
  QCoreApplication::exit(exitStatus);
}

int QtWindowServices::DoRunEventLoop() {
  int status = 0;
  if (!ended_ && !forms_.empty()) {
    loopRunning_ = true;
    status = QApplication::exec();
    loopRunning_ = false;
  }
  if (ended_) status = exitStatus_;
  // The request to end is used up; a later loop starts afresh.
  ended_ = false;
  exitStatus_ = 0;
  dispatchState = {};
  return status;
}

}  // namespace vornic::qt
