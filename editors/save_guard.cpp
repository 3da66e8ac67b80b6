#include "editors/save_guard.h"

#include <QString>

#include "editors/editor_texts.h"
#include "frontend/message_box.h"

namespace qgu::editors {

bool MayReplace(QWidget* owner, const std::filesystem::path& path, const std::optional<FileStamp>& whenRead) {
  const std::optional<FileStamp> now = StampOf(path);
  if (!now || now == whenRead) return true;
  const QString question = QString::asprintf(kChangedOnDiskFormat, path.filename().string().c_str());
  return frontend::ShowMessage(owner, kEditorTitle, question.toStdString(), frontend::MessageIcon::kExclamation,
                               frontend::MessageButtons::kYesNo) == frontend::MessageAnswer::kYes;
}

}  // namespace qgu::editors
