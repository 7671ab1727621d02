#include "qt_window_services.h"

#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QMimeData>

#include "platform/event_dispatch.h"
#include "platform/text_conversion.h"
#include "platform/window_system_error.h"
#include "qt_controls.h"
#include "qt_form.h"
#include "x11_clipboard.h"

namespace vornic::qt {

namespace {

QClipboard& Clipboard(const char* operation) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) throw WindowSystemError(operation, "no clipboard");
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

FormWindow& QtWindowServices::LiveForm(const FormDefinition& form, const char* operation) const {
  FormWindow* window = WindowOf(form);
  if (window == nullptr) throw WindowSystemError(operation, std::string(form.name) + " is not loaded");
  return *window;
}

// Clipboard. On X11, another program owns the clipboard and is asked for its
// data directly: Qt's hasText() also says yes to a file list, and Qt reads
// neither COMPOUND_TEXT nor the owner's own choice of encoding for TEXT.
// Elsewhere, and when Vornic owns it, Qt's data is read, text/plain only.

namespace {

bool ReadsX11Clipboard(const QClipboard& clipboard) {
  return QGuiApplication::platformName() == QLatin1String("xcb") && !clipboard.ownsClipboard();
}

const QMimeData* QtPlainText(const QClipboard& clipboard) {
  const QMimeData* data = clipboard.mimeData(QClipboard::Clipboard);
  return data != nullptr && data->hasFormat(QStringLiteral("text/plain")) ? data : nullptr;
}

}  // namespace

bool QtWindowServices::ClipboardHasFormat(int format) {
  if (format != kPlainTextFormat) return false;  // the only format Vornic asks for
  const QClipboard& clipboard = Clipboard("ClipboardHasFormat");
  if (ReadsX11Clipboard(clipboard)) return X11ClipboardHasText();
  return QtPlainText(clipboard) != nullptr;
}

std::u16string QtWindowServices::ClipboardGetText() {
  const QClipboard& clipboard = Clipboard("ClipboardGetText");
  if (ReadsX11Clipboard(clipboard)) return X11ClipboardText();
  // The owner may have gone or changed the clipboard since the format test:
  // then there is no text, which is not a failure.
  const QMimeData* data = QtPlainText(clipboard);
  return data != nullptr ? ToU16String(data->text()) : std::u16string();
}

void QtWindowServices::ClipboardClear() {
  QClipboard& clipboard = Clipboard("ClipboardClear");
  // clear() only gives up what this program owns: take the clipboard first,
  // then leave it with no owner and no formats.
  clipboard.setMimeData(new QMimeData, QClipboard::Clipboard);
  clipboard.clear(QClipboard::Clipboard);
}

void QtWindowServices::ShowMessage(std::u16string_view text) {
  QMessageBox box(QMessageBox::NoIcon, ToQString(kApplicationTitle), WithDisplayLineBreaks(text), QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

// Forms.

bool QtWindowServices::IsLoaded(const FormDefinition& form) const { return forms_.contains(&form); }

void QtWindowServices::LoadForm(const FormDefinition& form) {
  if (IsLoaded(form)) throw WindowSystemError("LoadForm", std::string(form.name) + " is already loaded");
  FormEvents events{
      .dispatch = [this, &form](int control, EventKind event) { DispatchEvent(*this, form, control, event); },
      .closeBox = [this, &form] { RunGuarded(*this, [&] { UnloadForm(form); }); },
  };
  forms_.emplace(&form, new FormWindow(form, programIcon_, std::move(events)));
}

void QtWindowServices::ShowForm(const FormDefinition& form) {
  FormWindow& window = LiveForm(form, "ShowForm");
  window.show();
  window.raise();
  window.activateWindow();
  if (!ended_) window.StartTimers();
}

// Deleted later, not now: the form may be unloaded from one of its own
// controls' handlers, which Qt is still running.
void QtWindowServices::UnloadForm(const FormDefinition& form) {
  const auto found = forms_.find(&form);
  if (found == forms_.end()) return;
  FormWindow* window = found->second;
  forms_.erase(found);
  window->Retire();
  window->deleteLater();
  if (forms_.empty() && loopRunning_ && !ended_) QCoreApplication::exit(0);
}

float QtWindowServices::GetFormMetric(const FormDefinition& form, Metric metric) const {
  return LiveForm(form, "GetFormMetric").OuterMetric(metric);
}

void QtWindowServices::SetFormMetric(const FormDefinition& form, Metric metric, float twips) {
  LiveForm(form, "SetFormMetric").SetOuterMetric(metric, twips);
}

// Controls.

void QtWindowServices::SetCaption(ControlRef control, std::u16string_view caption) {
  LiveForm(*control.form, "SetCaption").SetCaption(control.index, caption);
}

std::u16string QtWindowServices::GetCaption(ControlRef control) const {
  return LiveForm(*control.form, "GetCaption").Caption(control.index);
}

void QtWindowServices::SetText(ControlRef control, std::u16string_view text) {
  LiveForm(*control.form, "SetText").SetText(control.index, text);
}

std::u16string QtWindowServices::GetText(ControlRef control) const {
  return LiveForm(*control.form, "GetText").Text(control.index);
}

void QtWindowServices::SetMetric(ControlRef control, Metric metric, float twips) {
  LiveForm(*control.form, "SetMetric").SetMetric(control.index, metric, twips);
}

float QtWindowServices::GetMetric(ControlRef control, Metric metric) const {
  return LiveForm(*control.form, "GetMetric").GetMetric(control.index, metric);
}

void QtWindowServices::SetFontFamily(ControlRef control, std::u16string_view family) {
  LiveForm(*control.form, "SetFontFamily").SetFontFamily(control.index, family);
}

std::u16string QtWindowServices::GetFontFamily(ControlRef control) const {
  return LiveForm(*control.form, "GetFontFamily").FontFamily(control.index);
}

void QtWindowServices::SetChecked(ControlRef menuItem, bool checked) {
  LiveForm(*menuItem.form, "SetChecked").SetChecked(menuItem.index, checked);
}

bool QtWindowServices::IsChecked(ControlRef menuItem) const {
  return LiveForm(*menuItem.form, "IsChecked").IsChecked(menuItem.index);
}

// Program life.

void QtWindowServices::StopAllTimers() {
  for (const auto& [definition, window] : forms_) window->StopTimers();
}

void QtWindowServices::ReportFatalError(std::u16string_view message) {
  // A timer whose handler keeps failing must not stack up error boxes.
  StopAllTimers();
  QMessageBox box(QMessageBox::Critical, ToQString(kApplicationTitle),
                  QStringLiteral("Vornic has to end because of an error:\n\n") + ToQString(message), QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.setWindowModality(Qt::ApplicationModal);
  box.exec();
}

void QtWindowServices::EndProgram(int exitStatus) {
  ended_ = true;
  exitStatus_ = exitStatus;
  StopAllTimers();
  for (const auto& [definition, window] : forms_) window->hide();
  QCoreApplication::exit(exitStatus);
}

int QtWindowServices::RunEventLoop() {
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
