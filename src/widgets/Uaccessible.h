#pragma once
// What a screen reader is told about the program's controls beyond Qt's own interfaces.
//
// InstallAccessibility (idempotent; the program calls it before its first window, the form base
// when it is made) installs, for the whole application:
// - the forms' interface: a form shown modelessly is a frame (a window of the program), a modal
//   one a dialog;
// - the naming of controls that have no name of their own, when they are shown or their tooltip
//   changes. The label before a control (or before the composite control it is the focus proxy
//   of) in its layout, when that label is no control's buddy (the grid cell to its left, the box
//   item before it, its form row's label), becomes its buddy. A control still without name reads
//   the name of the composite it stands for; else its tooltip (a button without text, a field
//   without label); a tab widget its current page's caption (again when the page changes), a
//   scroll area on a tab page that page's caption; last its status line text. A name given by the
//   code (setAccessibleName) or by a buddy label is never replaced; a name given here follows the
//   tooltip it came from, and gives way to a label that comes later.
// Under AT-SPI a combo box's name is its current item and its label comes by the label relation a
// buddy gives; a name given here (or by SetLabelFor) is its description too.
#include <QString>

class QLabel;
class QWidget;

void InstallAccessibility();

// The name this module gives `widget` when it has none: empty when it has one or nothing stands
// for it. Also what the naming applies on show.
QString DerivedAccessibleName(const QWidget* widget);

// Names `widget` now as the naming on show would.
void NameAccessible(QWidget* widget);

// `label` stands for `control`: its buddy (Qt then reads the label as the control's name), and for
// a control under another parent, where Qt looks for no label, the control's name as well.
void SetLabelFor(QLabel* label, QWidget* control);
