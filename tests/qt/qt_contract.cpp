// The window contract on Qt: on the offscreen platform (the clipboard is Qt's
// own, in this process), or on X11 with the clipboard owned by another
// program, the producer named by VORNIC_CLIPBOARD_PRODUCER.
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QUrl>
#include <QWidget>
#include <memory>

#include "contract/window_contract.h"
#include "qt_form.h"
#include "qt_test_support.h"
#include "qt_widgets.h"

namespace vornic::contract {
namespace {

using qt::testing::AnsweredBox;

class QtBackend final : public ContractBackend {
 public:
  WindowInspection& Fresh() override { return qt::testing::Services(); }
  void Finish() override {
    producer_.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  std::u16string ReportFatalErrorAndRead(std::u16string_view message) override {
    AnsweredBox box;
    qt::testing::AnswerNextMessageBox(&box);
    qt::testing::Services().ReportFatalError(message);
    return qt::ToU16String(box.text);
  }
  [[nodiscard]] bool HasFocus() const override { return true; }
  // Follows Qt's focus chain to the next control widget that takes Tab.
  int NextInTabOrder(const FormDefinition& form, int control) override {
    const qt::FormWindow* window = qt::testing::Services().WindowOf(form);
    QWidget* start = window->Widget(control);
    for (QWidget* widget = start->nextInFocusChain(); widget != start; widget = widget->nextInFocusChain()) {
      if ((widget->focusPolicy() & Qt::TabFocus) == 0) continue;
      for (int index = 0; index < static_cast<int>(form.controls.size()); ++index) {
        if (window->Widget(index) == widget) return index;
      }
    }
    return -1;
  }

  bool PutOnClipboard(ClipboardShape shape) override {
    producer_.reset();
    const QString producer = qEnvironmentVariable("VORNIC_CLIPBOARD_PRODUCER");
    if (QGuiApplication::platformName() == QLatin1String("xcb") && !producer.isEmpty()) {
      return ProduceOnX11(producer, shape);
    }
    QClipboard* clipboard = QGuiApplication::clipboard();
    auto* data = new QMimeData;
    switch (shape) {
      case ClipboardShape::Text:
        data->setText(qt::ToQString(kClipboardText));
        break;
      case ClipboardShape::Picture:
        data->setImageData(QImage(4, 4, QImage::Format_RGB32));
        break;
      case ClipboardShape::Files:  // as Dolphin copies them
        data->setUrls({QUrl(qt::ToQString(kCopiedFile))});
        data->setText(qt::ToQString(kCopiedFile));
        break;
      case ClipboardShape::LongerThanLimit:
        data->setText(QString(static_cast<qsizetype>(kClipboardLimit + 1), QLatin1Char('x')));
        break;
      case ClipboardShape::FailingRead:  // Qt's own clipboard never fails a read
        delete data;
        return false;
    }
    clipboard->setMimeData(data);
    return true;
  }

 private:
  // Another program owns the clipboard with exactly these targets, as a GTK
  // program, a file manager or a dying owner would offer them.
  bool ProduceOnX11(const QString& program, ClipboardShape shape) {
    QStringList arguments;
    QByteArray input;  // the offers' bytes, in their order
    const auto offer = [&](const QString& target, const QByteArray& bytes) {
      arguments << target + QLatin1Char('=') + QString::number(bytes.size());
      input += bytes;
    };
    const QByteArray files = qt::ToQString(kCopiedFile).toUtf8();
    switch (shape) {
      case ClipboardShape::Text:
        offer(QStringLiteral("UTF8_STRING"), qt::ToQString(kClipboardText).toUtf8());
        break;
      case ClipboardShape::Picture:
        offer(QStringLiteral("image/png"), QByteArray("\x89PNG\r\n\x1a\n", 8));
        break;
      case ClipboardShape::Files:  // GTK 3 Nautilus
        offer(QStringLiteral("x-special/gnome-copied-files"), "copy\n" + files);
        offer(QStringLiteral("text/uri-list"), files + "\r\n");
        offer(QStringLiteral("UTF8_STRING"), "x-special/nautilus-clipboard\ncopy\n" + files + "\n");
        break;
      case ClipboardShape::LongerThanLimit:
        arguments << QStringLiteral("--incr");
        offer(QStringLiteral("UTF8_STRING"), QByteArray(static_cast<qsizetype>(kClipboardLimit + 1), 'x'));
        break;
      case ClipboardShape::FailingRead:
        arguments << QStringLiteral("--die-mid-incr");
        offer(QStringLiteral("UTF8_STRING"), QByteArray(300000, 'b'));
        break;
    }
    producer_ = std::make_unique<QProcess>();
    producer_->start(program, arguments);
    producer_->write(input);
    return producer_->waitForReadyRead(10000) && producer_->readLine().trimmed() == "ready";
  }

  std::unique_ptr<QProcess> producer_;  // ends when its input closes or it loses the clipboard
};

}  // namespace

ContractBackend& Backend() {
  static QtBackend backend;
  return backend;
}

}  // namespace vornic::contract
