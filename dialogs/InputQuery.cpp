#include "dialogs/InputQuery.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/Utf.h"
#include "dialogs/QtText.h"

namespace korvane {

bool InputQuery(QWidget* owner, const std::string& caption, const std::string& prompt, std::string& value,
                int maxLength) {
  QDialog dialog(owner);
  dialog.setWindowTitle(ShownText(caption));
  auto* label = new QLabel(ShownText(prompt), &dialog);
  label->setTextFormat(Qt::PlainText);  // a file name is never markup
  auto* edit = new QLineEdit(&dialog);
  edit->setObjectName("InputEdit");
  edit->setMaxLength(maxLength);
  edit->setText(EditText(value));
  edit->selectAll();
  auto* buttons = new QDialogButtonBox(&dialog);
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
  ok->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(label);
  layout->addWidget(edit);
  layout->addWidget(buttons);
  label->setBuddy(edit);
  edit->setFocus();
  if (dialog.exec() != QDialog::Accepted) return false;
  value = FromEditText(edit->text());
  return true;
}

}  // namespace korvane
