#include "rotaskiv/capture_save.h"

#include <QCoreApplication>

#include "common/dialogs.h"

namespace capture_save {

QString extensionOf(const QString& fileName) {
  const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
  return dot < 0 ? fileName : fileName.mid(dot + 1);
}

std::optional<QString> askFileName(QWidget* parent, const QString& initialDir) {
  CommonDialog dialog;
  dialog.DialogTitle = QCoreApplication::translate("CaptureForm", "保存为");
  dialog.Filter = QCoreApplication::translate(
      "CaptureForm",
      "PNG文件(*.PNG)|*.PNG|JPEG文件(*.jpg;*.jpeg)|*.jpg|位图文件(*.bmp)|*.bmp|GIF文件(*.gif)|*."
      "gif|TIFF文件(*.TIFF)|*.tiff|所有文件(*.*)|*.*");
  dialog.FilterIndex = 1;
  dialog.DefaultExt = QStringLiteral("PNG");
  dialog.InitDir = initialDir;
  dialog.OverwritePrompt = false;
  if (!dialog.ShowSave(parent)) return std::nullopt;
  return dialog.FileName;
}

}  // namespace capture_save
