#include "app/window/MoveToMenu.h"

#include <QAction>
#include <QMenu>

#include "base/Paths.h"
#include "config/Config.h"
#include "dialogs/QtText.h"
#include "dialogs/trash/MoveToForm.h"

namespace korvane {
namespace {

QString ItemText(int n, const std::string& folder) {
  QString text = QStringLiteral("送り先%1へ移動").arg(n);
  if (folder.empty()) return text;
  // The folder's own name; a '&' in it would mark a mnemonic.
  const std::string name = ExtractFileName(ExcludeTrailingPathDelimiter(folder));
  return text + QStringLiteral(" (") + ShownText(name.empty() ? folder : name).replace('&', "&&") + ')';
}

}  // namespace

TMoveToMenu::TMoveToMenu(QMenu& menu, QWidget& window, TConfig& store,
                         std::function<void(const std::string& folder)> moveTo)
    : QObject(&menu), FWindow(window), FStore(store) {
  menu.addSeparator();
  for (size_t i = 0; i < FItems.size(); ++i) {
    const int n = static_cast<int>(i) + 1;
    FItems[i] = menu.addAction(ItemText(n, ""));
    FItems[i]->setObjectName(QStringLiteral("MenuMoveTo%1").arg(n));
    FItems[i]->setShortcut(QKeySequence(Qt::ALT | static_cast<Qt::Key>(Qt::Key_0 + n)));
    connect(FItems[i], &QAction::triggered, this, [this, n, moveTo] { moveTo(FStore.MoveTarget(n)); });
    window.addAction(FItems[i]);
  }
  QAction* configure = menu.addAction(QStringLiteral("送り先の設定..."));
  configure->setObjectName(QStringLiteral("MenuMoveToConf"));
  connect(configure, &QAction::triggered, this, [this] { Configure(); });
  Refresh();
}

void TMoveToMenu::Refresh() {
  for (size_t i = 0; i < FItems.size(); ++i) {
    const int n = static_cast<int>(i) + 1;
    FItems[i]->setText(ItemText(n, FStore.MoveTarget(n)));
    FItems[i]->setEnabled(!FStore.MoveTarget(n).empty());
  }
}

void TMoveToMenu::Configure() {
  TMoveToForm form(&FWindow, FStore);
  if (form.exec() == QDialog::Accepted) Refresh();
}

}  // namespace korvane
