#pragma once
// The row that ends the program's small dialogs: a default button that accepts and
// "Отменить", which rejects.

class QBoxLayout;
class QDialog;
class QPushButton;
class QString;

struct SButtonRow {
    QPushButton* accept;
    QPushButton* cancel;
};

// Appends the row to layout; the buttons are named btn_Accept and btn_Cancel.
SButtonRow AddButtonRow(QDialog& dialog, QBoxLayout& layout, const QString& acceptCaption);
