#include "model/designerror.h"

#include "model/texts.h"

const char* messageTemplate(ErrorReason reason)
{
    switch (reason) {
    case ErrorReason::StreamRead:
        return texts::kStreamReadError;
    case ErrorReason::StreamWrite:
        return texts::kStreamWriteError;
    case ErrorReason::CannotOpenFile:
        return texts::kCannotOpenFile;
    case ErrorReason::CannotCreateFile:
        return texts::kCannotCreateFile;
    case ErrorReason::NotADesign:
        return texts::kNotADesign;
    case ErrorReason::TooDeeplyNested:
        return texts::kTooDeeplyNested;
    case ErrorReason::UnknownOutputFormat:
        return texts::kUnknownOutputFormat;
    case ErrorReason::ImageTooLarge:
        return texts::kImageTooLarge;
    case ErrorReason::TextTooLarge:
        return texts::kClipboardTextTooLarge;
    case ErrorReason::OutOfMemory:
        return texts::kOutOfMemory;
    }
    return texts::kStreamReadError;
}
