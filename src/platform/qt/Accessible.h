// Names for assistive technology (AT-SPI on Linux) and keyboard use of the
// program's controls. Every interactive control carries an accessible name:
// a list, text box or drop-down the text of its label, an image button its
// tool tip, a tab picture its caption. Pictures that act as buttons (labels
// with a click handler) are made real buttons for screen readers and the
// keyboard: role Button (or PageTab), a press action, Tab focus, and Space
// or Enter to press.
#pragma once

#include <QAccessible>
#include <QString>

#include <initializer_list>

class QLabel;
class QWidget;

namespace ravelin::accessible {

// The label's text as a name: mnemonic ampersands and a trailing colon gone.
QString nameFromLabelText(const QString& text);

// Names `control` after `label` and makes the label its buddy (so the
// label's mnemonic, if any, focuses the control).
void nameAfterLabel(QWidget* control, QLabel* label);

// Gives an image button its tool tip and the same text as its name.
void setToolTipAndName(QWidget* button, const QString& toolTip);

// Exposes a picture with a click handler as a button of the given role;
// a press (from the keyboard or a screen reader) is a left click in its
// middle. Call before the widget is first shown.
void makePictureButton(QWidget* picture, QAccessible::Role role = QAccessible::Button);

// A person's click: a left press and release in the middle of `widget`.
void clickInTheMiddle(QWidget* widget);

// Makes the "Toggle" and "Press" actions of every check box and option
// button a person's click. Qt's own toggle action flips the state without
// the clicked signal, so a screen reader's toggle would tick a box and start
// nothing. Call once, after the QApplication exists.
void installClickingToggles();

// Keyboard focus moves through the widgets in this order.
void setFocusOrder(std::initializer_list<QWidget*> widgets);

} // namespace ravelin::accessible
