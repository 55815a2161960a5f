#include "dialogs/trash/MoveToForm.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "config/Config.h"
#include "dialogs/MessageBox.h"
#include "dialogs/QtText.h"

namespace korvane {

TMoveToForm::TMoveToForm(QWidget* owner, TConfig& store) : QDialog(owner), FStore(store) {
  setWindowTitle(QStringLiteral("送り先の設定"));
  auto* grid = new QGridLayout(this);
  for (size_t i = 0; i < FPaths.size(); ++i) {
    const int row = static_cast<int>(i);
    grid->addWidget(new QLabel(QStringLiteral("送り先%1").arg(row + 1), this), row, 0);
    FPaths[i] = new QLineEdit(EditText(store.FMoveTo[i]), this);
    FPaths[i]->setObjectName(QStringLiteral("EditMoveTo%1").arg(row + 1));
    FPaths[i]->setMinimumWidth(360);
    grid->addWidget(FPaths[i], row, 1);
    auto* browse = new QPushButton(QStringLiteral("参照..."), this);
    browse->setAutoDefault(false);
    connect(browse, &QPushButton::clicked, this, [this, i] { Browse(i); });
    grid->addWidget(browse, row, 2);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  grid->addWidget(buttons, static_cast<int>(FPaths.size()), 0, 1, 3);
}

void TMoveToForm::Browse(size_t row) {
  const QString chosen = QFileDialog::getExistingDirectory(this, QStringLiteral("送り先%1").arg(row + 1), FPaths[row]->text());
  if (!chosen.isEmpty()) FPaths[row]->setText(chosen);
}

// A changed target is a full path an ini line can hold; any other keeps the
// dialog open (one the ini already held stays as it was, unused).
void TMoveToForm::accept() {
  std::array<std::string, 9> typed;
  for (size_t i = 0; i < FPaths.size(); ++i) {
    typed[i] = FromEditText(FPaths[i]->text());
    const bool changed = typed[i] != FStore.FMoveTo[i];
    if (changed && !typed[i].empty() && !IsMoveTargetPath(typed[i])) {
      ShowErrorBox(this, windowTitle(), QStringLiteral("送り先%1: フォルダの完全なパスを入力してください").arg(i + 1));
      FPaths[i]->setFocus();
      return;
    }
  }
  FStore.FMoveTo = typed;
  QDialog::accept();
}

}  // namespace korvane
