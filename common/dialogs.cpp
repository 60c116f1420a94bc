#include "common/dialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace {

DialogBackend* installedBackend = nullptr;

QtDialogBackend& qtBackend() {
  static QtDialogBackend backend;
  return backend;
}

std::optional<QString> runFileDialog(QWidget* parent, const FileDialogRequest& request, bool save) {
  const std::unique_ptr<QFileDialog> dialog = fileDialogFor(parent, request, save);
  return fileAnswer(*dialog, dialog->exec());
}

}  // namespace

std::optional<QString> QtDialogBackend::openFileName(QWidget* parent,
                                                     const FileDialogRequest& request) {
  return runFileDialog(parent, request, false);
}

std::optional<QString> QtDialogBackend::saveFileName(QWidget* parent,
                                                     const FileDialogRequest& request) {
  return runFileDialog(parent, request, true);
}

std::optional<QColor> QtDialogBackend::colour(QWidget* parent, const QColor& initial) {
  const QColor chosen =
      QColorDialog::getColor(initial, parent, QString(), QColorDialog::DontUseNativeDialog);
  if (!chosen.isValid()) return std::nullopt;
  return chosen;
}

bool QtDialogBackend::runDialog(QDialog& dialog) { return dialog.exec() == QDialog::Accepted; }

MsgBoxResult QtDialogBackend::message(QWidget* parent, const MessageRequest& request) {
  const std::unique_ptr<QMessageBox> box = messageBoxFor(parent, request);
  box->exec();
  return messageAnswer(box->standardButton(box->clickedButton()), request.buttons);
}

std::unique_ptr<QFileDialog> fileDialogFor(QWidget* parent, const FileDialogRequest& request,
                                           bool save) {
  auto dialog = std::make_unique<QFileDialog>(parent, request.title, request.initialDir);
  dialog->setOption(QFileDialog::DontUseNativeDialog, true);
  // Our filter labels already name their patterns; do not show them twice.
  dialog->setOption(QFileDialog::HideNameFilterDetails, true);
  dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!request.overwritePrompt) dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
  if (!request.filter.isEmpty()) {
    dialog->setNameFilter(toQtFilter(request.filter));
    const QString selected = selectedQtFilter(request);
    if (!selected.isEmpty()) dialog->selectNameFilter(selected);
  }
  if (!request.defaultExt.isEmpty()) dialog->setDefaultSuffix(request.defaultExt);
  if (!request.fileName.isEmpty()) dialog->selectFile(request.fileName);
  return dialog;
}

std::optional<QString> fileAnswer(const QFileDialog& dialog, int result) {
  if (result != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

std::unique_ptr<QMessageBox> messageBoxFor(QWidget* parent, const MessageRequest& request) {
  auto box = std::make_unique<QMessageBox>(parent);
  box->setWindowTitle(request.title);
  box->setText(request.text);
  switch (request.icon) {
    case MessageRequest::Icon::Information:
      box->setIcon(QMessageBox::Information);
      break;
    case MessageRequest::Icon::Warning:
      box->setIcon(QMessageBox::Warning);
      break;
    case MessageRequest::Icon::Critical:
      box->setIcon(QMessageBox::Critical);
      break;
    case MessageRequest::Icon::None:
      break;
  }
  switch (request.buttons) {
    case MessageRequest::Buttons::Ok:
      box->setStandardButtons(QMessageBox::Ok);
      break;
    case MessageRequest::Buttons::OkCancel:
      box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case MessageRequest::Buttons::YesNo:
      box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
  }
  return box;
}

MsgBoxResult messageAnswer(int clicked, MessageRequest::Buttons buttons) {
  switch (clicked) {
    case QMessageBox::Ok:
      return MsgBoxResult::Ok;
    case QMessageBox::Yes:
      return MsgBoxResult::Yes;
    case QMessageBox::No:
      return MsgBoxResult::No;
    default:  // closed by Esc or the title bar: the cautious answer
      return buttons == MessageRequest::Buttons::YesNo ? MsgBoxResult::No
             : buttons == MessageRequest::Buttons::Ok  ? MsgBoxResult::Ok
                                                       : MsgBoxResult::Cancel;
  }
}

DialogBackend& dialogBackend() {
  return installedBackend != nullptr ? *installedBackend : qtBackend();
}

void installDialogBackend(DialogBackend* backend) { installedBackend = backend; }

QString toQtFilter(const QString& toolkitFilter) {
  const QStringList parts = toolkitFilter.split(QLatin1Char('|'));
  QStringList filters;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(' ');
    filters << QStringLiteral("%1 (%2)").arg(parts[i], patterns);
  }
  return filters.join(QStringLiteral(";;"));
}

QString selectedQtFilter(const FileDialogRequest& request) {
  const QStringList filters = toQtFilter(request.filter).split(QStringLiteral(";;"));
  const int index = request.filterIndex - 1;
  return index >= 0 && index < filters.size() ? filters[index] : QString();
}

FileDialogRequest CommonDialog::request() const {
  FileDialogRequest r;
  r.title = DialogTitle;
  r.filter = Filter;
  r.filterIndex = FilterIndex;
  r.fileName = FileName;
  r.initialDir = InitDir;
  r.defaultExt = DefaultExt;
  r.overwritePrompt = OverwritePrompt;
  return r;
}

bool CommonDialog::ShowOpen(QWidget* parent) {
  const std::optional<QString> chosen = dialogBackend().openFileName(parent, request());
  if (!chosen) return false;
  FileName = *chosen;
  return true;
}

bool CommonDialog::ShowSave(QWidget* parent) {
  const std::optional<QString> chosen = dialogBackend().saveFileName(parent, request());
  if (!chosen) return false;
  FileName = *chosen;
  return true;
}

bool CommonDialog::ShowColor(QWidget* parent) {
  const std::optional<QColor> chosen = dialogBackend().colour(parent, colour::toQColor(Color));
  if (!chosen) return false;
  Color = colour::fromQColor(*chosen);
  return true;
}

MsgBoxResult MsgBox(QWidget* parent, const QString& text, const QString& title,
                    MessageRequest::Icon icon, MessageRequest::Buttons buttons) {
  return dialogBackend().message(parent, MessageRequest{text, title, icon, buttons});
}
