#pragma once

// What assistive technology (a screen reader) learns about a diagram window: the diagram area is a tree
// whose one top item is the shown block, and whose items are the elements below it (ui/outline rules:
// model/outline.h), each with a role, a name of kind and text, and its state; the focus follows the
// current element. Item interfaces are made only when asked for, so a large design costs nothing until a
// reader walks into it.

class QAbstractScrollArea;
class TForm1;

// Gives every diagram area its accessible interface; once per program is enough, more calls do nothing.
void installDiagramAccessibility();
// The tree of `form` may have changed (after every change, and when it shows another block): items of
// elements that left it are dropped.
void diagramTreeChanged(TForm1& form);
// Tells assistive technology that the current element of `form` has the focus, when its diagram area
// has the keyboard focus.
void announceCurrentElement(TForm1& form);
