#pragma once

#include <QColor>
#include <QString>
#include <memory>
#include <optional>

#include "common/colour.h"

class QDialog;
class QFileDialog;
class QMessageBox;
class QWidget;

// What a file dialog is asked to show, in the toolkit's terms: the filter is
// "description|patterns|description|patterns", patterns separated by ';'.
struct FileDialogRequest {
  QString title;
  QString filter;
  int filterIndex = 1;  // 1-based, as the toolkit counts
  QString fileName;     // the name the dialog starts with
  QString initialDir;
  QString defaultExt;
  bool overwritePrompt = false;
};

struct MessageRequest {
  enum class Icon { None, Information, Warning, Critical };
  enum class Buttons { Ok, OkCancel, YesNo };
  QString text;
  QString title;
  Icon icon = Icon::None;
  Buttons buttons = Buttons::Ok;
};

// The button that closed a message box.
enum class MsgBoxResult { Ok, Cancel, Yes, No };

// The modal dialogs of the platform. The programs never open a dialog
// directly: they go through the installed backend, which tests replace with
// a scripted one so that no real modal dialog ever opens under test.
class DialogBackend {
 public:
  virtual ~DialogBackend() = default;
  // Each returns nothing when the user cancelled.
  virtual std::optional<QString> openFileName(QWidget* parent,
                                              const FileDialogRequest& request) = 0;
  virtual std::optional<QString> saveFileName(QWidget* parent,
                                              const FileDialogRequest& request) = 0;
  virtual std::optional<QColor> colour(QWidget* parent, const QColor& initial) = 0;
  // Closing the box without a button counts as Cancel (or No).
  virtual MsgBoxResult message(QWidget* parent, const MessageRequest& request) = 0;
  // A dialog the program builds itself (a print preview, the printer's own
  // dialog), shown modally: true when the user accepted it.
  virtual bool runDialog(QDialog& dialog) = 0;
};

// Qt's own widget dialogs (never the native ones, so that a skin can paint them).
class QtDialogBackend final : public DialogBackend {
 public:
  std::optional<QString> openFileName(QWidget* parent, const FileDialogRequest& request) override;
  std::optional<QString> saveFileName(QWidget* parent, const FileDialogRequest& request) override;
  std::optional<QColor> colour(QWidget* parent, const QColor& initial) override;
  MsgBoxResult message(QWidget* parent, const MessageRequest& request) override;
  bool runDialog(QDialog& dialog) override;
};

// The backend in use; Qt's unless another was installed.
DialogBackend& dialogBackend();
// Installs `backend` (not owned); nullptr goes back to Qt's dialogs.
void installDialogBackend(DialogBackend* backend);

// "a|b;c|d|e" -> "a (b c);;d (e)", the form QFileDialog takes.
QString toQtFilter(const QString& toolkitFilter);
// The filter of `request` in Qt's form that its filterIndex names, counted
// from 1 ("description (patterns)"); empty when there is no such filter.
QString selectedQtFilter(const FileDialogRequest& request);

// Qt's open or save dialog for `request`, built but not shown.
std::unique_ptr<QFileDialog> fileDialogFor(QWidget* parent, const FileDialogRequest& request,
                                           bool save);
// The file chosen in `dialog` once it ended with `result`; none when cancelled.
std::optional<QString> fileAnswer(const QFileDialog& dialog, int result);
// Qt's message box for `request`, built but not shown.
std::unique_ptr<QMessageBox> messageBoxFor(QWidget* parent, const MessageRequest& request);
// The answer of a box of `buttons` closed by `clicked`, a QMessageBox::StandardButton:
// closed by Esc or the title bar (no button), the cautious answer.
MsgBoxResult messageAnswer(int clicked, MessageRequest::Buttons buttons);

// One shared open/save/colour dialog object: it remembers its last file name,
// filter and colour between uses, like the toolkit's common dialog control.
// A cancelled dialog changes none of them and the Show call returns false.
class CommonDialog {
 public:
  QString FileName;
  QString Filter;
  int FilterIndex = 1;
  QString DialogTitle;
  QString DefaultExt;
  QString InitDir;
  bool OverwritePrompt = false;
  ColourRef Color = 0;  // black until a colour is chosen

  bool ShowOpen(QWidget* parent);
  bool ShowSave(QWidget* parent);
  bool ShowColor(QWidget* parent);

 private:
  FileDialogRequest request() const;
};

// A message box, through the same backend, as the toolkit's MsgBox: shows
// `text` under `title` and returns the button the user pressed.
MsgBoxResult MsgBox(QWidget* parent, const QString& text, const QString& title,
                    MessageRequest::Icon icon = MessageRequest::Icon::None,
                    MessageRequest::Buttons buttons = MessageRequest::Buttons::Ok);
