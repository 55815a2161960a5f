// The one-line input dialog, driven with the keys a user would press.
#include "dialogs/InputQuery.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include "tests/support/ModalAnswers.h"

namespace korvane {
namespace {

void Press(QWidget* target, Qt::Key key, const QString& text = {}) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(target, &release);
}

void Type(QWidget* target, const QString& text) {
  for (const QChar c : text) Press(target, Qt::Key_unknown, QString(c));
}

QLineEdit* EditOf(QDialog& dialog) { return dialog.findChild<QLineEdit*>("InputEdit"); }

class InputQueryDialog : public ::testing::Test {
 protected:
  QWidget FOwner;
};

TEST_F(InputQueryDialog, ShowsCaptionPromptAndSelectedProposal) {
  QString caption, prompt, selected, okText, cancelText;
  int maxLength = 0;
  bool okIsDefault = false;
  QWidget* parent = nullptr;
  test::WhenModal([&](QDialog& dialog) {
    caption = dialog.windowTitle();
    parent = dialog.parentWidget();
    prompt = dialog.findChild<QLabel*>()->text();
    selected = EditOf(dialog)->selectedText();
    maxLength = EditOf(dialog)->maxLength();
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
      (button->text() == "OK" ? okText : cancelText) = button->text();
      if (button->text() == "OK") okIsDefault = button->isDefault();
    }
    Press(EditOf(dialog), Qt::Key_Return);
  });
  std::string value = "take1Interview";
  EXPECT_TRUE(InputQuery(&FOwner, "ファイル名変更", "/music/\ntake1\n.avi", value));
  EXPECT_EQ(value, "take1Interview");
  EXPECT_EQ(caption, "ファイル名変更");
  EXPECT_EQ(parent, &FOwner);
  EXPECT_EQ(prompt, "/music/\ntake1\n.avi");
  EXPECT_EQ(selected, "take1Interview");
  EXPECT_EQ(maxLength, 255);
  EXPECT_EQ(okText, "OK");
  EXPECT_EQ(cancelText, "キャンセル");
  EXPECT_TRUE(okIsDefault);
}

TEST_F(InputQueryDialog, TypingReplacesTheSelectionAndIsTakenAsTyped) {
  test::WhenModal([](QDialog& dialog) {
    Type(EditOf(dialog), " new name ");
    Press(EditOf(dialog), Qt::Key_Return);
  });
  std::string value = "old";
  EXPECT_TRUE(InputQuery(&FOwner, "c", "p", value));
  EXPECT_EQ(value, " new name ");
}

TEST_F(InputQueryDialog, EscapeCancelsAndKeepsTheValue) {
  test::WhenModal([](QDialog& dialog) {
    Type(EditOf(dialog), "typed");
    Press(EditOf(dialog), Qt::Key_Escape);
  });
  std::string value = "old";
  EXPECT_FALSE(InputQuery(&FOwner, "c", "p", value));
  EXPECT_EQ(value, "old");
}

TEST_F(InputQueryDialog, BytesThatAreNotUtf8SurviveAnUnchangedField) {
  test::WhenModal([](QDialog& dialog) { Press(EditOf(dialog), Qt::Key_Return); });
  std::string value = "bad\xff name";
  EXPECT_TRUE(InputQuery(&FOwner, "c", "<b>not markup</b>", value));
  EXPECT_EQ(value, "bad\xff name");
}

}  // namespace
}  // namespace korvane
