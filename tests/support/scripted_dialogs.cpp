#include "tests/support/scripted_dialogs.h"

ScriptedDialogs::ScriptedDialogs() { installDialogBackend(this); }

ScriptedDialogs::~ScriptedDialogs() { installDialogBackend(nullptr); }

namespace {

template <typename T>
std::optional<T> next(std::deque<std::optional<T>>& answers, QStringList& unexpected,
                      const QString& what) {
  if (answers.empty()) {
    unexpected << what;
    return std::nullopt;
  }
  std::optional<T> answer = std::move(answers.front());
  answers.pop_front();
  return answer;
}

}  // namespace

std::optional<QString> ScriptedDialogs::openFileName(QWidget*, const FileDialogRequest& request) {
  fileRequests_ << request;
  return next(openAnswers_, unexpected_, QStringLiteral("open dialog"));
}

std::optional<QString> ScriptedDialogs::saveFileName(QWidget*, const FileDialogRequest& request) {
  fileRequests_ << request;
  return next(saveAnswers_, unexpected_, QStringLiteral("save dialog"));
}

std::optional<QColor> ScriptedDialogs::colour(QWidget*, const QColor& initial) {
  colourRequests_ << initial;
  return next(colourAnswers_, unexpected_, QStringLiteral("colour dialog"));
}

MsgBoxResult ScriptedDialogs::message(QWidget*, const MessageRequest& request) {
  messages_ << request;
  if (!messageAnswers_.empty()) {
    const MsgBoxResult answer = messageAnswers_.front();
    messageAnswers_.pop_front();
    return answer;
  }
  return request.buttons == MessageRequest::Buttons::YesNo ? MsgBoxResult::Yes : MsgBoxResult::Ok;
}
