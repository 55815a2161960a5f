#include "app/window/StatusPanels.h"

#include <QLabel>
#include <QStatusBar>

namespace korvane {

namespace {

constexpr int kStatusBarHeight = 19;
constexpr int kPanelWidths[] = {300, 75};
constexpr int kPanelCount = 3;

}  // namespace

TStatusPanels::TStatusPanels(QStatusBar& bar) {
  bar.setFixedHeight(kStatusBarHeight);
  for (int i = 0; i < kPanelCount; ++i) {
    auto* panel = new QLabel(&bar);
    panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    if (i < kPanelCount - 1) panel->setFixedWidth(kPanelWidths[i]);
    bar.addWidget(panel, i == kPanelCount - 1 ? 1 : 0);
    FPanels.push_back(panel);
  }
  FTexts.resize(kPanelCount);
}

void TStatusPanels::SetText(const std::string& text, int index) {
  if (index < 0 || index >= kPanelCount) return;
  const auto i = static_cast<size_t>(index);
  if (FTexts[i] == text) return;
  FTexts[i] = text;
  FPanels[i]->setText(QString::fromUtf8(text));
}

QString TStatusPanels::Text(int index) const {
  return index >= 0 && index < kPanelCount ? FPanels[static_cast<size_t>(index)]->text() : QString();
}

}  // namespace korvane
