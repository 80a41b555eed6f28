#pragma once

#include "model/designerror.h"

#include <QString>

// The message of `error` as the user reads it, in the editor and from the batch commands alike: its
// German text with the file name (decoded from the platform's encoding) for %s.
QString errorText(const DesignError& error);
