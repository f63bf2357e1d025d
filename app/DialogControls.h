#pragma once
// Control numbers on Qt widgets, and the program's pictures by number.

#include <QIcon>
#include <QPixmap>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

class QDialog;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace app {

// Marks widget as control id of its dialog and returns it.
template <typename T> T* Tag(T* widget, int id) {
    widget->setProperty("controlId", id);
    return widget;
}

// The control numbered id among the dialog's children (null when none).
QWidget* FindControl(const QWidget* dialog, int id);

template <typename T> T* Control(const QWidget* dialog, int id) {
    return qobject_cast<T*>(FindControl(dialog, id));
}

// Picture resources 128, 129, 132, 136, 137: drawn for the device pixel
// ratio given (twice as large, and marked so, from 1.5 up).
QPixmap Picture(int id, qreal devicePixelRatio = 1.0);
// Both sizes, for the window's title bar and task bar.
QIcon Icon(int id);

// A label showing picture id at its size, sharp on any screen (drawn anew
// for the device pixel ratio of the screen it is on), named for a screen
// reader by name.
QLabel* PictureLabel(int id, const char* name, QWidget* parent);

// A static text that wraps over as many lines as it needs.
QLabel* WrappedText(const char* text, QWidget* parent);

// The label of field: Alt and the letter after "&" in text move to the
// field, and a screen reader names the field by the label.
QLabel* FieldLabel(const char* text, QWidget* field, QWidget* parent);

// A single-line path field numbered id with no length limit: a list of
// thousands of paths is never cut.
QLineEdit* PathField(int id, QWidget* parent);

// What Enter does to a push button.
enum class EnterKey {
    WhenFocused, // presses it while it has the focus (elsewhere: the default button)
    Default,     // presses it also while no other button has the focus
    Never,       // never presses it: the dialog gives Enter a meaning of its own
};

// A push button numbered id that calls onClick (when given) each time it is pressed.
QPushButton* DialogButton(const char* text, int id, QWidget* parent,
                          std::function<void()> onClick = {},
                          EnterKey enter = EnterKey::WhenFocused);

// Tab visits the widgets in the order given.
void ChainTabOrder(std::initializer_list<QWidget*> widgets);

// The buttons right-aligned in one row.
QHBoxLayout* ButtonRow(std::initializer_list<QWidget*> buttons);

// body in a frameless scroll area that asks for body's whole natural size:
// a dialog shows all of it where the screen has room, and scrolls it where
// the screen is too small (the dialog's buttons stay outside, in sight).
QScrollArea* ScrollingBody(QWidget* body, QWidget* parent);

// Makes the dialog's natural size its minimum and lets it grow only in
// width, so that no control is ever squeezed or cut; on a screen too small
// for that size, the size of the screen (its scrolling body scrolls). Call
// once its layout is complete.
void GrowOnlyInWidth(QDialog* dialog);

// Gives a converter dialog its owner window, when templateId is the
// dialog's own template; false otherwise.
bool CreateModelessDialog(QDialog* dialog, QWidget* owner, int templateId, int ownTemplate);

// Lays out an information box: the picture numbered pictureId, the texts
// beside it and an OK button (the default) that accepts the dialog.
void LayOutInfoBox(QDialog* dialog, int pictureId, QVBoxLayout* texts);

} // namespace app
