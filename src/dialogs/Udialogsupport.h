#pragma once
// Placement shared by the set-up dialogs that live for the whole run.
class QWidget;

// Moves the window to the bottom right of the available area of its screen (the primary screen
// when it has none yet), 10 pixels from the right and bottom edges, frame included.
void PlaceBottomRight(QWidget* window);
