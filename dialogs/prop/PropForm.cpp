#include "dialogs/prop/PropForm.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/MessageBox.h"
#include "dialogs/prop/Prop.h"
#include "ui_PropForm.h"

namespace korvane {

namespace {

using LineBuilder = std::function<void(std::vector<std::string>&)>;

void ShowLines(QPlainTextEdit* memo, const std::vector<std::string>& lines) {
  QStringList text;
  text.reserve(static_cast<qsizetype>(lines.size()));
  for (const std::string& line : lines) text << QString::fromStdString(line);
  memo->setPlainText(text.join(QLatin1Char('\n')));
}

// Fills the memo in one go; when the player fails part way, the lines before
// the failure are shown and the error goes on to the caller.
void Fill(QPlainTextEdit* memo, const LineBuilder& build) {
  std::vector<std::string> lines;
  try {
    build(lines);
  } catch (...) {
    ShowLines(memo, lines);
    throw;
  }
  ShowLines(memo, lines);
}

}  // namespace

TPropForm::TPropForm(QWidget* mainWindow, IWMPCore& player)
    : QDialog(mainWindow), FUi(std::make_unique<Ui::PropForm>()), FMainWindow(mainWindow), FPlayer(player) {
  FUi->setupUi(this);
  for (QPlainTextEdit* memo : {FUi->MemSettings, FUi->MemMedia, FUi->MemControls}) {
    memo->setAttribute(Qt::WA_InputMethodEnabled, false);
  }
}

TPropForm::~TPropForm() = default;

void TPropForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (event->spontaneous()) return;  // restored from minimised: keep the snapshot
  CentreOnMainWindow();
  FormShow();
}

// A failed query leaves the lines before it; the error is shown once the
// dialog is up, as any failing command's is, never thrown into Qt.
void TPropForm::FormShow() {
  for (QPlainTextEdit* memo : {FUi->MemSettings, FUi->MemMedia, FUi->MemControls}) memo->clear();
  try {
    ReportSettings();
    ReportMedia();
    ReportControls();
  } catch (const std::exception& error) {
    const QString text = QString::fromStdString(error.what());
    QMetaObject::invokeMethod(
        this, [this, text] { ShowErrorBox(this, QApplication::applicationName(), text); },
        Qt::QueuedConnection);
  }
}

void TPropForm::ReportSettings() {
  Fill(FUi->MemSettings, [this](std::vector<std::string>& lines) { ReportSettingsLines(FPlayer, lines); });
}

void TPropForm::ReportMedia() {
  Fill(FUi->MemMedia, [this](std::vector<std::string>& lines) { ReportMediaLines(FPlayer, lines); });
}

void TPropForm::ReportControls() {
  Fill(FUi->MemControls, [this](std::vector<std::string>& lines) { ReportControlsLines(FPlayer, lines); });
}

void TPropForm::CentreOnMainWindow() {
  if (!FMainWindow) return;
  QRect frame = frameGeometry();
  frame.moveCenter(FMainWindow->frameGeometry().center());
  move(frame.topLeft());
}

}  // namespace korvane
