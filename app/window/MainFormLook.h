#pragma once
// The main window's look as designed: its font, the panels' colours, the
// mixer button's icon and the list's plain rows.
class QMainWindow;
namespace Ui {
class MainForm;
}

namespace korvane {

void ApplyMainFormLook(QMainWindow& form, Ui::MainForm& ui);

}  // namespace korvane
