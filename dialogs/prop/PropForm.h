#pragma once
// The player properties dialog: a read-only snapshot, taken each time it is
// shown, of what the player says about its settings, media and controls.
// Make it once and exec() it for each showing: the chosen tab is kept.
#include <QDialog>
#include <memory>

#include "player/Player.h"

class QPlainTextEdit;

namespace Ui {
class PropForm;
}

namespace korvane {

class TPropForm : public QDialog {
  Q_OBJECT

 public:
  TPropForm(QWidget* mainWindow, IWMPCore& player);
  ~TPropForm() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormShow();
  void ReportSettings();
  void ReportMedia();
  void ReportControls();
  void CentreOnMainWindow();

  std::unique_ptr<Ui::PropForm> FUi;
  QWidget* FMainWindow;
  IWMPCore& FPlayer;
};

}  // namespace korvane
