#pragma once

#include "model/struktteile.h"

#include <QIcon>

// The picture of a tool-bar button: a small drawing of an element of `kind`, made with the model's own
// drawing code, in the structogram or the flowchart style, 50 x 25 pixels. It is drawn afresh for each
// resolution the button asks for, so it stays sharp on high-resolution screens; the counting loop carries
// its range "1..n" in letters large enough to tell it from the loop with the test first.
QIcon toolButtonPicture(Kind kind, bool flowchart);
