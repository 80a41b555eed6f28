#pragma once

#include "model/struktteile.h"

#include <QIcon>

// The picture of a tool-bar button: a small drawing of an element of `kind`, made with the model's own
// drawing code, in the structogram or the flowchart style; 50 x 25 pixels.
QIcon toolButtonPicture(Kind kind, bool flowchart);
