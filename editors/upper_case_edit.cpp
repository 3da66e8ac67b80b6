#include "editors/upper_case_edit.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace qgu::editors {
namespace {

// Typed text becomes upper case.
class UpperCaseValidator : public QRegularExpressionValidator {
 public:
  explicit UpperCaseValidator(QObject* parent)
      : QRegularExpressionValidator(QRegularExpression("[\\x20-\\x7E]*"), parent) {}

  void fixup(QString& input) const override { input = input.toUpper(); }

  State validate(QString& input, int& position) const override {
    input = input.toUpper();
    return QRegularExpressionValidator::validate(input, position);
  }
};

}  // namespace

CUpperCaseEdit::CUpperCaseEdit(int id, int maxLength, QWidget* parent) : QLineEdit(parent) {
  setObjectName(QString::number(id));
  setMaxLength(maxLength);
  setValidator(new UpperCaseValidator(this));
}

void CUpperCaseEdit::SetText(const std::string& text) {
  stored_ = text;
  setText(QString::fromStdString(text).toUpper());
  shown_ = this->text();  // a stored text longer than the edit's limit shows cut, but is kept whole
}

std::string CUpperCaseEdit::Text() const { return text() == shown_ ? stored_ : text().toStdString(); }

}  // namespace qgu::editors
