#pragma once
// The About dialog: the program's icon, name, version and description, a few
// links, the operating system, and memory and time figures refreshed twice a
// second. Any key closes it.
#include <QDialog>
#include <map>
#include <memory>
#include <string>

#include "dialogs/info/SysInfo.h"

class QLabel;
class QTimer;

namespace Ui {
class InfoForm;
}

namespace korvane {

class TInfoForm : public QDialog {
  Q_OBJECT

 public:
  explicit TInfoForm(QWidget* owner);
  ~TInfoForm() override;

  void UpdateStatus();
  void Timer1Timer();

  // The link handlers; each tells its labels apart by Sender.
  void LblExeNameClick(QObject* Sender);
  void lblURLClick(QObject* Sender);
  void Label1Click(QObject* Sender);
  void lblMailClick(QObject* Sender);
  void LblLaunchOnStartupClick(QObject* Sender);
  void LblOpenStartupClick(QObject* Sender);

 protected:
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  using Handler = void (TInfoForm::*)(QObject*);

  void FormCreate();
  void FormKeyDown();
  void SetFormCaption();
  void CenterOnWorkArea();
  // Labels to their text, the panel to its visible labels, the form to the panel.
  void FitToContents();
  void BindClick(QLabel* label, Handler handler);
  void RunClick(QObject* Sender, Handler handler);

  std::unique_ptr<Ui::InfoForm> FUi;
  std::map<QObject*, Handler> FClicks;
  QTimer* Timer1;
  TStatusPeaks FPeaks;  // of the figures shown while the dialog is open
  std::string FExePath;
  std::string FFileVersion;
};

}  // namespace korvane
