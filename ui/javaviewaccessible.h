#pragma once

// What assistive technology learns about the Java view: a read-only, multi-line text whose characters,
// words and lines can be read, with a cursor on the line the view's keyboard cursor stands on.

class TJavaView;

// Gives every Java view its accessible interface; once per program is enough, more calls do nothing.
void installJavaViewAccessibility();
// Tells assistive technology that the cursor of `view` moved, when the view has the keyboard focus.
void javaViewCursorMoved(TJavaView& view);
