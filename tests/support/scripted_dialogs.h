#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

#include "common/dialogs.h"

// A dialog backend for tests: every file or colour dialog takes the next
// scripted answer (nothing = the user cancelled); message boxes are recorded
// and answered at once, with the next scripted button or else their first. A dialog that comes without a scripted answer is
// recorded as unexpected and cancelled, so a test can fail on it instead of
// hanging on a real modal dialog. Installs itself while it lives.
class ScriptedDialogs final : public DialogBackend {
 public:
  ScriptedDialogs();
  ~ScriptedDialogs() override;
  ScriptedDialogs(const ScriptedDialogs&) = delete;
  ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

  void answerOpen(std::optional<QString> fileName) { openAnswers_.push_back(std::move(fileName)); }
  void answerSave(std::optional<QString> fileName) { saveAnswers_.push_back(std::move(fileName)); }
  void answerColour(std::optional<QColor> colour) { colourAnswers_.push_back(std::move(colour)); }
  void answerMessage(MsgBoxResult button) { messageAnswers_.push_back(button); }

  // What the program asked for, oldest first.
  const QList<FileDialogRequest>& fileRequests() const { return fileRequests_; }
  const QList<QColor>& colourRequests() const { return colourRequests_; }
  const QList<MessageRequest>& messages() const { return messages_; }
  const QStringList& unexpected() const { return unexpected_; }
  // Answers scripted but never asked for.
  int unusedAnswers() const {
    return int(openAnswers_.size() + saveAnswers_.size() + colourAnswers_.size() +
               messageAnswers_.size());
  }

  std::optional<QString> openFileName(QWidget* parent, const FileDialogRequest& request) override;
  std::optional<QString> saveFileName(QWidget* parent, const FileDialogRequest& request) override;
  std::optional<QColor> colour(QWidget* parent, const QColor& initial) override;
  MsgBoxResult message(QWidget* parent, const MessageRequest& request) override;

 private:
  std::deque<std::optional<QString>> openAnswers_, saveAnswers_;
  std::deque<std::optional<QColor>> colourAnswers_;
  std::deque<MsgBoxResult> messageAnswers_;
  QList<FileDialogRequest> fileRequests_;
  QList<QColor> colourRequests_;
  QList<MessageRequest> messages_;
  QStringList unexpected_;
};
