#pragma once
// The settings dialog: shows the store's settings on every showing and takes
// them back on Apply. It never touches the ini file.
#include <QDialog>
#include <memory>

#include "config/Config.h"

namespace Ui {
class ConfigForm;
}

namespace korvane {

class TConfigForm : public QDialog {
  Q_OBJECT

 public:
  // Centred on mainWindow whenever shown; the main window shows it with exec().
  // It shows and takes back the settings of store, which outlives it.
  TConfigForm(QWidget* mainWindow, TConfig& store);
  ~TConfigForm() override;

 public slots:
  void EditLowerSizeExit();
  void EditSampleExit();
  void BtnKBClick();
  void BtnMBClick();
  void BtnApplyClick();
  void BtnCancelClick();

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FormShow();
  ConfigFormView ReadView() const;
  void ShowView(const ConfigFormView& view);
  int32_t LowerSizeTag() const;
  void SetLowerSize(int32_t bound);

  std::unique_ptr<Ui::ConfigForm> FUi;
  TConfig& ConfigStore;
};

}  // namespace korvane
