#pragma once
// The move-to targets' dialog: nine rows of a folder path and a browse button
// (the desktop's folder chooser); OK puts them in the store, Cancel nothing.
#include <QDialog>
#include <array>

class QLineEdit;

namespace korvane {

class TConfig;

class TMoveToForm : public QDialog {
 public:
  TMoveToForm(QWidget* owner, TConfig& store);

  void accept() override;

 private:
  void Browse(size_t row);

  TConfig& FStore;
  std::array<QLineEdit*, 9> FPaths{};
};

}  // namespace korvane
