#pragma once

#include <QApplication>
#include <QDialog>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <optional>

#include "common/dialogs.h"
#include "common/picture_load_job.h"
#include "tests/support/test_helpers.h"

// A dialog backend for tests, installed while it lives: every file or colour
// dialog takes the next scripted answer (nothing = the user cancelled), and
// one without a scripted answer is recorded as unexpected and cancelled, so a
// test fails on it instead of hanging. Message boxes are recorded and
// answered with their first button. A dialog the program builds itself is
// shown (never on a screen, never modally) and handed to the next scripted
// user, who works its controls as a person would and says whether it was
// accepted.
class ScriptedDialogs final : public DialogBackend {
 public:
  ScriptedDialogs() { installDialogBackend(this); }
  ~ScriptedDialogs() override { installDialogBackend(nullptr); }

  void answerOpen(std::optional<QString> fileName) { open_.push_back(std::move(fileName)); }
  void answerSave(std::optional<QString> fileName) { save_.push_back(std::move(fileName)); }
  void answerColour(std::optional<QColor> colour) { colour_.push_back(std::move(colour)); }
  using DialogUser = std::function<bool(QDialog&)>;
  void answerDialog(DialogUser user) { dialogUsers_.push_back(std::move(user)); }

  // What the program asked for, oldest first.
  const QList<FileDialogRequest>& fileRequests() const { return fileRequests_; }
  const QList<QColor>& colourRequests() const { return colourRequests_; }
  const QList<MessageRequest>& messages() const { return messages_; }
  // The dialogs shown without a scripted answer, and the count of answers
  // scripted but never asked for: empty when the script was played out.
  QString leftovers() const {
    const auto unused = open_.size() + save_.size() + colour_.size() + dialogUsers_.size();
    return unexpected_.join(", ") + (unused ? QString(" %1 unused").arg(unused) : QString());
  }

  std::optional<QString> openFileName(QWidget*, const FileDialogRequest& request) override {
    return next(open_, fileRequests_, request, "open dialog");
  }
  std::optional<QString> saveFileName(QWidget*, const FileDialogRequest& request) override {
    return next(save_, fileRequests_, request, "save dialog");
  }
  std::optional<QColor> colour(QWidget*, const QColor& initial) override {
    return next(colour_, colourRequests_, initial, "colour dialog");
  }
  MsgBoxResult message(QWidget* parent, const MessageRequest& request) override {
    messages_ << request;
    // Over its window, and no other dialog left open behind it.
    for (QWidget* w : QApplication::topLevelWidgets())
      if (qobject_cast<QDialog*>(w) && w->isVisible() && (!parent || w != parent->window()))
        unexpected_ << "a message over " + QString::fromLatin1(w->metaObject()->className());
    return request.buttons == MessageRequest::Buttons::YesNo ? MsgBoxResult::Yes : MsgBoxResult::Ok;
  }
  bool runDialog(QDialog& dialog) override {
    if (dialogUsers_.empty()) {
      unexpected_ << QString::fromLatin1(dialog.metaObject()->className());
      return false;
    }
    const DialogUser user = dialogUsers_.takeFirst();
    // Visible to the user's clicks and keys, but never put on a screen.
    dialog.setAttribute(Qt::WA_DontShowOnScreen);
    dialog.show();
    const bool accepted = user(dialog);
    dialog.hide();
    return accepted;
  }

 private:
  template <typename Answer, typename Request>
  std::optional<Answer> next(QList<std::optional<Answer>>& answers, QList<Request>& requests,
                             const Request& request, const char* what) {
    requests << request;
    if (answers.empty()) unexpected_ << QString::fromLatin1(what);
    return answers.empty() ? std::nullopt : answers.takeFirst();
  }

  // The scripted answers still to give, oldest first.
  QList<std::optional<QString>> open_, save_;
  QList<std::optional<QColor>> colour_;
  QList<DialogUser> dialogUsers_;
  QList<FileDialogRequest> fileRequests_;
  QList<QColor> colourRequests_;
  QList<MessageRequest> messages_;
  QStringList unexpected_;
};

// What every window test starts with: scripted dialogs, a folder of its own and
// a quiet console.
class WindowTest : public QObject {
 protected:
  void startWindowTest() {
    failOnConsoleNoise();
    dialogs_ = std::make_unique<ScriptedDialogs>();
    dir_ = std::make_unique<QTemporaryDir>();
  }
  QString path(const QString& name) const { return dir_->filePath(name); }
  // Pictures open off the window's thread: as a user would, wait until they are in.
  static void waitForPictures() { QTRY_COMPARE(PictureLoadJob::underWay(), 0); }
  // Every scripted answer used and none missing; then the window goes, and the dialog
  // double with it (it uninstalls itself before the next test installs its own).
  template <typename Window>
  void endWindowTest(Window& window) {
    QCOMPARE(dialogs_->leftovers(), QString());
    window.reset();
    dialogs_.reset();
  }

  std::unique_ptr<ScriptedDialogs> dialogs_;
  std::unique_ptr<QTemporaryDir> dir_;
};
