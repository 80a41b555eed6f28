#pragma once

class QMenu;
class TForm1;

// The pop-up menu of a diagram window (PopupMenu1): its items in the window's order, with mnemonics, each
// calling the window's handler; the insert items and those that act on the current element carry what
// they need (ui/commandstates.h).
QMenu* createDiagramPopup(TForm1& form);
