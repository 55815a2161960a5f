#include "app/window/MainFormLook.h"

#include <QPainter>
#include <QPixmap>
#include <QStyledItemDelegate>

#include "ui_MainForm.h"

namespace korvane {

namespace {

constexpr int kFontPixels = 13;
constexpr int kRowHeight = 18;

// Rows of fixed height painted plainly: background (highlight when selected),
// the text 2 pixels from the left at the top, a focus rectangle.
class TComboRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), kRowHeight};
  }

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette& palette = option.palette;
    painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
    painter->setPen(selected ? palette.highlightedText().color() : palette.text().color());
    painter->setFont(option.font);
    const QRect textRect = option.rect.adjusted(2, 0, 0, 0);
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, index.data().toString());
    if (option.state & QStyle::State_HasFocus) {
      QStyleOptionFocusRect focus;
      focus.QStyleOption::operator=(option);
      focus.backgroundColor = selected ? palette.highlight().color() : palette.base().color();
      option.widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, option.widget);
    }
  }
};

void Fill(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour);
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

void SetTextColour(QWidget* widget, const QColor& colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, colour);
  widget->setPalette(palette);
}

// A loudspeaker with two sound waves, for the mixer button.
QIcon LoudspeakerIcon() {
  QPixmap pixmap(16, 16);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::black);
  painter.drawPolygon(QPolygonF({{1, 6}, {4, 6}, {8, 2}, {8, 14}, {4, 10}, {1, 10}}));
  painter.setPen(QPen(Qt::black, 1.4));
  painter.setBrush(Qt::NoBrush);
  painter.drawArc(QRectF(6, 4.5, 5, 7), -60 * 16, 120 * 16);
  painter.drawArc(QRectF(6, 1.5, 9, 13), -60 * 16, 120 * 16);
  return QIcon(pixmap);
}

void SetUpFont(QMainWindow& form) {
  QFont formFont = form.font();
  formFont.setPixelSize(kFontPixels);
  form.setFont(formFont);
}

void SetUpColours(QMainWindow& form, Ui::MainForm& ui) {
  Fill(form.centralWidget(), Qt::white);
  Fill(ui.PnlMain, Qt::white);
  Fill(ui.Panel1, Qt::white);
  Fill(ui.Panel2, Qt::black);
  for (QLabel* label : {ui.LblOpenState, ui.LblPlayState, ui.LblStatusTxt}) SetTextColour(label, QColor(0, 0, 128));
}

void SetUpComboList(QComboBox& list) {
  list.setItemDelegate(new TComboRowDelegate(&list));
  list.setAttribute(Qt::WA_InputMethodEnabled, false);
}

}  // namespace

void ApplyMainFormLook(QMainWindow& form, Ui::MainForm& ui) {
  SetUpFont(form);
  SetUpColours(form, ui);
  ui.BtnSndVol->setIcon(LoudspeakerIcon());
  SetUpComboList(*ui.ComboList);
}

}  // namespace korvane
